// The stock windows' mouse, drag and drop in Qt: a control's presses, releases and moves go
// to the window's input logic with the row and the control they hit; a drag of entries
// carries the stock drag text under our own type and as plain text, so that a text editor
// (our text window among them) takes the drop; the caption's drop feedback.
#pragma once

#include <QPoint>

#include <cstdint>
#include <functional>
#include <string>

class QMimeData;
class QWidget;

namespace yov {

class StockWindow;

// The controls of a row.
enum class StockPart { None, Box, Caption, SizeLabel, Category, DescMark };

// What a point of a control hits: the row (1-based; 0 none), its control, and the point in
// that control's own coordinates.
struct StockHit {
    int32_t cell = 0;
    StockPart part = StockPart::None;
    QPoint local;
};

using StockHitResolver = std::function<StockHit(QPoint point)>;

// Hands the control's mouse and drag events to the window's input. A control installed as
// row boxCell's picture box is that row's window for tips, popups, focus and hover.
void InstallStockInput(StockWindow& window, QWidget* control, StockHitResolver resolve, int32_t boxCell = 0);

// The information column of the rows, which one widget paints for all of them: the category
// label, caption, size label or description mark of the row at a point, as the row shows
// them; other points, rows past those shown and rows past the stock hit nothing.
StockHitResolver StockRowsResolver(const StockWindow& window);

// Row `cell`'s picture box: all of it is that row's box while the row shows an entry.
StockHitResolver StockBoxResolver(const StockWindow& window, int32_t cell);

// The picture box of a row as installed, null when none.
QWidget* StockBoxWidget(const StockWindow& window, int32_t cell);

// The data of a drag of entries: the drag format's bytes under our own type, and the same
// text as plain text.
QMimeData* MakeStockDragData(const std::u16string& text);

// Drags the data (taken over) out of the control, as a copy; returns when the drag ends.
void DragFrom(QWidget* source, QMimeData* data);

}  // namespace yov
