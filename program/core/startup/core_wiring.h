// Hands the program's parameter table to the core's readers of parameters (core_hooks.h).
// Called once at start-up, before the first window opens.
#pragma once

namespace yov {

void WireCoreServices();

}  // namespace yov
