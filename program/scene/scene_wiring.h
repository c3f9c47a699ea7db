// Hands the scene script's reader and section table to the show and to start-up. Called
// once in main, before Main runs.
#pragma once

namespace yov {

void WireScene();

}  // namespace yov
