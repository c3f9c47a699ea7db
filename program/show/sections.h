// The blocks of the scene script run by the show: each due run-queue entry of a section, scene,
// group or path advances its block by one step (RunSect): a section lays out its parallel
// lines, then picks its next script item, finds a free band for it inside its own band and
// starts it as a sub-block, a scene, a group train or a one-shot train. A block that finds
// no room waits until one of its bands is freed; a block told to finish waits until its
// bands are empty and then ends. The blocks' records and picks are the section table's
// (program/trains/section_table.h).
#pragma once

#include <cstdint>

#include "program/trains/section_table.h"

namespace yov {

void RunSect(int32_t sect);
void RunSectObjects(int32_t scene, int32_t event, int32_t parent);

}  // namespace yov
