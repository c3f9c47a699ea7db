// Hands the program core's services to the shared small windows (util_hooks.h): texts,
// localisation, settings, the file dialog and the run state they consult. Called once at
// start-up, before the first window opens.
#pragma once

namespace yov {

void WireCoreServices();

}  // namespace yov
