// The frame loop of a show: the display is started once; per display pass the surfaces are
// made (which resets the scene and queues its root section), then one full frame step
// alternates with at most one due entry of the run queue, a train line for the train start
// and anything else for the section runner. At the end "L" and "LCMX" are stored.
#pragma once

#include <string>

namespace yov {

void MainLoop();

// What "L" holds: every section's current line position in decimal, each followed by ",".
std::u16string SectionLinesText();

}  // namespace yov
