// The show's run queue: each TimedEvent is a piece of work the main loop must still take up
// (a train line waiting for its train, or a section of the script) and at the same time a
// horizontal band of the scene inside its parent's band. The entries form a tree that mirrors
// the nesting of the scene; child lists are sorted by top and stable; each band may cap the
// trains running in it and below it. The due list of the main loop threads the same entries.
//
// Entries are numbered from 1 (0 = none); freed entries are reused before the table grows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program/trains/numbered_table.h"

namespace yov {

namespace event_kind {
inline constexpr uint8_t kFree = 0;
inline constexpr uint8_t kRoot = 1;       // script block 1, the whole scene
inline constexpr uint8_t kSection = 2;    // a section started by another block
inline constexpr uint8_t kTrainLine = 3;  // its train record waits for the train start
inline constexpr uint8_t kScene = 4;      // a scene started by a block
}  // namespace event_kind

// FindBandPosition's refusals.
inline constexpr int32_t kNoRoom = -1;
inline constexpr int32_t kTrainLimitReached = -2;

// A section's run state "waiting until its bands are empty", and the state it wakes into.
inline constexpr uint8_t kSectWaitingForRoom = 4;
inline constexpr uint8_t kSectWoken = 3;

inline constexpr int32_t kRunQueueGrowth = 10;

struct TimedEvent {
    int32_t Index = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t FirstChild = 0;
    int32_t Next = 0;  // next sibling; in a free entry the next free entry
    int32_t Parent = 0;
    int32_t DueNext = 0;
    uint8_t Kind = event_kind::kFree;
    uint8_t OnDueList = 0;   // so that queueing an entry already due cannot cut the list
    int32_t Target = 0;      // kind 3: TrainRec, else SectRec
    int32_t TrainLimit = 0;  // 0 = no limit
    int32_t ActiveTrains = 0;
};

struct RunQueue : NumberedTable<TimedEvent> {};

// The run queue of the show records in use (show_records.h); inline, as the frame step reaches it
// at every object it steps.
namespace show_records_detail {
extern RunQueue* currentQueue;
}
inline RunQueue& runQueue() { return *show_records_detail::currentQueue; }

// Empties the table (used count and free head 0), as every display pass does.
void ResetRunQueue();

int32_t AddTimedEvent(uint8_t kind, int32_t target, int32_t parent, int32_t top, int32_t height);
void ReleaseTimedEvent(int32_t entry);
int32_t FindBandPosition(int32_t band, int32_t height, std::u16string_view position);
void AddActiveCount(int32_t entry, int32_t delta);
void FlagEventChain(int32_t entry, uint8_t level);

}  // namespace yov
