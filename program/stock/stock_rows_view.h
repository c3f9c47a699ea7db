// What the drawing of a stock window's rows needs of the toolkit: text widths in the rows'
// fonts, and being told which rows to show again. The rows' contents are the cell records;
// the view paints them from there.
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

enum class RowFont {
    Box,       // the file line, the author and an error over the picture
    Category,  // the category label
    Name,      // the entry's name
    BoldName,  // the name of a selected entry
};

class StockRowsView {
public:
    virtual ~StockRowsView() = default;
    virtual int32_t textWidth(RowFont font, std::u16string_view text) = 0;
    // The controls of cell i show what its record says now.
    virtual void cellChanged(int32_t cell) = 0;
    // The picture box of cell i is painted from the cell's buffer (frame, strip, texts).
    virtual void paintBox(int32_t cell) = 0;
    // The window of cell i's picture box, made when the row is first shown.
    virtual uintptr_t boxWindow(int32_t cell) = 0;
};

// Widths without a toolkit: six pixels a character, seven in bold.
int32_t PlainTextWidth(RowFont font, std::u16string_view text);

}  // namespace yov
