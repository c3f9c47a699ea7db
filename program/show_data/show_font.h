// The show font: the labels, plates and texts of a show are written in it, and its line
// height is the show's label text height.
#pragma once

#include <cstdint>

class QFont;

namespace yov {

// The bundled DejaVu Sans at 9 pixels, normal weight, drawn without smoothing so that a
// pixel is either the text's or the picture's, each glyph (a space too) advancing by its own
// whole width.
const QFont& showFont();

// The font's line height in pixels, the show's label text height; 0 without a GUI.
int32_t ShowFontLineHeight();

}  // namespace yov
