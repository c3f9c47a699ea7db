// The program's own answers to what the core asks of the layers above it (the show, the
// windows, start-up's data): installed by the program's start-up before Main runs, and by a
// test that runs the core's roads on the program's own parts.
#pragma once

namespace yov {

void UseProgramParts();

}  // namespace yov
