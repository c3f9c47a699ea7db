// The rows of a stock window as the cell records describe them: per row the category label,
// the name, the size text, the description and way marks, the type dot, the selection frame
// and the picture box with its frame, file line, author and error. One widget paints them
// all; each row's picture box is also a window of its own, so that the engine can report
// hover, leave and wheel notices for it.
#pragma once

#include <QFont>
#include <QWidget>

#include <array>

#include "program/stock/stock_rows_view.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

class StockWindow;

// The bundled font of the rows, at the size the layout's line height allows.
const QFont& stockRowFont(bool bold = false);

class StockRows : public QWidget, public StockRowsView {
public:
    StockRows(StockWindow& window, QWidget* parent);

    // Places the picture boxes of the shown rows and hides the others.
    void placeBoxes();

    // StockRowsView.
    int32_t textWidth(RowFont font, std::u16string_view text) override;
    void cellChanged(int32_t cell) override;
    void paintBox(int32_t cell) override;
    uintptr_t boxWindow(int32_t cell) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintCell(QPainter& painter, int32_t cell);
    void paintPicture(QPainter& painter, int32_t cell, int x, int y);

    StockWindow& window_;
    std::array<QWidget*, kMaxCells + 1> boxes_{};
};

}  // namespace yov
