// Library start and stop as the rest of the engine and the tests see them.
#pragma once

namespace lvk {

// 1 from InitDLL to CloseDLL.
bool LibraryInitialised();

// What the library does when the process lets go of it without CloseDLL: no event may reach
// the departing program, the registered windows are released, and the library stops. It runs
// once, from the first InitDLL's registration (process end or unloading the library);
// tests call it directly.
void ProcessDetach();

}  // namespace lvk
