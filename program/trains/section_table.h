// The records of the scene script's blocks at run time: the script reader's SectRec table
// (scriptReader().S.Sections), the blocks read from the script followed by dynamic copies for
// blocks that run more than once at a time, and the items' picks by each block's sequence
// mode (PickSectLine, and PickPoolLine for pools). The show runs the blocks (RunSect,
// program/show/sections.h); the train start picks its lines and ends its blocks here.
//
// Hold indices across anything that can reach a frame step: the table grows.
#pragma once

#include <cstdint>
#include <vector>

#include "program/scene/scene_records.h"
#include "program/trains/train_records.h"

namespace yov {

// The section records' table: dynamic copies live above the script's blocks in the same table.
struct SectTableState {
    int32_t Used = 0;      // highest record in use, script blocks included
    int32_t FreeHead = 0;  // free dynamic copies, linked through their Event field
    int32_t CurItem = 0;   // the script item last picked by any block
    std::vector<int32_t> Candidates;
};

// The section table of the show records in use (program/show/show_records.h).
namespace show_records_detail {
extern SectTableState* currentSections;
}
inline SectTableState& sectTable() { return *show_records_detail::currentSections; }

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
// Drops every dynamic copy, the in-use and finishing marks and the last item picked, as
// every display pass does; the root block starts again.
void ResetSections();

// What the run queue asks of a block's record.
int32_t BindSectEvent(int32_t sect, int32_t entry, int32_t top, int32_t height);
void MarkSectFinishing(int32_t sect);

// The section fields a train line is set up from, and the area ComputeLineArea gave back.
LineSection LineSectionOf(int32_t sect);
void StoreLineArea(int32_t sect, const LineSection& line);

int32_t PickSectLine(int32_t sect);
int32_t PickPoolLine(int32_t pool);
int32_t AllocSectRec(int32_t block, int32_t caller);
void EndSect(int32_t sect);
void ResetSectRun(int32_t sect);
// The record that holds block sect's item range and pick state: its template for a copy.
int32_t SectRangeRecord(int32_t sect);

}  // namespace yov
