// The blocks of the scene script at run time: each due run-queue entry of a section, scene,
// group or path advances its block by one step (RunSect): a section lays out its parallel
// lines, then picks its next script item, finds a free band for it inside its own band and
// starts it as a sub-block, a scene, a group train or a one-shot train. A block that finds
// no room waits until one of its bands is freed; a block told to finish waits until its
// bands are empty and then ends. The item choice follows the block's sequence mode
// (PickSectLine, and PickPoolLine for pools).
//
// The records are the script reader's SectRec table (scriptReader().S.Sections): the blocks
// read from the script, followed by dynamic copies for blocks that run more than once at a
// time. Hold indices across anything that can reach a frame step: the table grows.
#pragma once

#include <cstdint>

#include "program/scene/scene_records.h"
#include "program/trains/train_records.h"

namespace yov {

// SectRec::RunState.
namespace sect_state {
inline constexpr uint8_t kIdle = 0;
inline constexpr uint8_t kStart = 1;
inline constexpr uint8_t kNextItem = 2;
inline constexpr uint8_t kRetryItem = 3;
inline constexpr uint8_t kWaitingForRoom = 4;
inline constexpr uint8_t kSceneEnds = 6;
inline constexpr uint8_t kEnded = 7;
inline constexpr uint8_t kFreeCopy = 8;
}  // namespace sect_state

inline constexpr int32_t kSectCopyGrowth = 30;
inline constexpr int32_t kMaxSectLines = 31;

// The record of block n (script blocks and dynamic copies); outside the table a program
// error (subscript out of range).
SectRec& sectRec(int32_t n);
// Whether block n has a record (script block or dynamic copy).
bool SectExists(int32_t n);
// Blocks read from the script (records above are dynamic copies).
int32_t ScriptBlockCount();
// Script item m of the member table; outside it a program error.
ScriptItem& scriptItem(int32_t m);
// Drops every dynamic copy and the in-use and finishing marks, as every display pass does;
// the root block starts again.
void ResetSections();

// What the run queue asks of a block's record.
int32_t BindSectEvent(int32_t sect, int32_t entry, int32_t top, int32_t height);
void MarkSectFinishing(int32_t sect);

// The section fields a train line is set up from, and the area ComputeLineArea gave back.
LineSection LineSectionOf(int32_t sect);
void StoreLineArea(int32_t sect, const LineSection& line);

void RunSect(int32_t sect);
int32_t PickSectLine(int32_t sect);
int32_t PickPoolLine(int32_t pool);
int32_t AllocSectRec(int32_t block, int32_t caller);
void EndSect(int32_t sect);
void ResetSectRun(int32_t sect);
void RunSectObjects(int32_t scene, int32_t event, int32_t parent);

}  // namespace yov
