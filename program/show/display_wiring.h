// Joins the display to the show: the show's display seams run the display start and stop,
// the display reads the drawing method from the show state and resets the scene through the
// run queue and the train records, and the display values the show state also names are
// copied into it after each start and creation.
#pragma once

namespace yov {

void WireDisplay();

}  // namespace yov
