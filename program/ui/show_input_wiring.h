// Hands the show's input procedures, its panel, its popup's description submenus and its
// password dialogs to the show windows, the engine's events, the start-up ("/a"), the display
// start and the frame step (DDMenus). Called once by WireShowWindows.
#pragma once

namespace yov {

void WireShowInput();

}  // namespace yov
