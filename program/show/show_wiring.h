// Hands the show's procedures and values to the program core: the train records' animation
// lists to the picture pools, and the step state, the count of trains in
// motion and the two show brushes to the drawing toolbox. Called once at start-up.
#pragma once

namespace yov {

void WireShow();

}  // namespace yov
