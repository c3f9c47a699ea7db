// The program's tool tip (TipFrm) as the windows show it: next to the window it explains,
// kept on the screen, hidden by the service timer after its display time, by the start of a
// command and by anything modal.
#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <string>

class QWidget;

namespace yov {

// Where a tip of that size goes for a point at screen x pointX of a window with that frame
// (below the window, else above, left or right of it), on a screen of that size.
QRect TipPlacement(QSize tip, int32_t pointX, const QRect& window, QSize screen);

// Shows the text near the client point (x, y) of the window; a display time above 0 hides
// it after that many milliseconds. Nothing happens for an empty text or while a stock
// window runs a command; the same text shown again stays where it is.
void ShowTip(std::u16string& text, QWidget* window, int32_t x, int32_t y, int32_t displayMs);
void HideTip();

}  // namespace yov
