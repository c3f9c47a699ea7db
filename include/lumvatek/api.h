// Calling conventions of the engine library's exports.
#pragma once

#include <cstdint>

#if defined(LV_BUILDING_ENGINE)
#define LV_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define LV_EXPORT extern "C"
#endif

// Every export returns a 32-bit integer: 0, a count or a length for success, a negative
// code for failure, grouped by family in blocks of a hundred.
using LvResult = int32_t;
