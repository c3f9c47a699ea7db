// Every part of the program hands its entries to start-up before Main runs: the show, the
// scene script, the preview, the show's input, stock loading, trains, the text window, the
// stock windows, the settings dialog and the About window.
#pragma once

namespace yov {

void WireProgram();

}  // namespace yov
