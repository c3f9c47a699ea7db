// Hands the train generation's procedures to the show. Called once in main, before Main runs.
#pragma once

namespace yov {

void WireTrains();

}  // namespace yov
