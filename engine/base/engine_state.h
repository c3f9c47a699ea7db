// What InitDLL hands over and the engine keeps for the whole run: the program's random
// source, its SharedState record and the descriptors of its ten shared arrays. The event
// callback lives with the event record (events.h).
//
// Main thread only, except that worker threads may read the fields once InitDLL returned.
#pragma once

#include <cstdint>

#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace lvk {

inline constexpr int kSharedArrayCount = 10;

struct EngineBinding {
    LvInstance instance = 0;
    LvRandomProc random = nullptr;
    SharedState* shared = nullptr;
    // In InitDLL's order: stock entries, stock files, authors, library infos, categories,
    // languages, translated texts, description keys, description values, description texts.
    LvArrayDesc* arrays[kSharedArrayCount] = {};
};

EngineBinding& Binding();

// InitDLL's binding step, and the seam tests use to bind a record and a random source of
// their own. Null arguments unbind.
void BindShared(SharedState* shared, LvRandomProc random);
void BindArrays(LvArrayDesc* const (&arrays)[kSharedArrayCount]);
// All ten arrays of one SharedArrays record, in InitDLL's order.
void BindArrays(SharedArrays& arrays);

inline SharedState* Shared() { return Binding().shared; }

// A random index from 0 to n - 1 from the program's sequence. For n < 2 nothing is drawn and
// the result is 0, the program's own rule, so that engine and program draw alike. Without a
// bound source the result is 0; a source answering outside the range is clamped into it.
int32_t RandomIndex(int32_t n, int32_t site);

}  // namespace lvk
