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

// Hands the control's mouse and drag events to the window's input. A control that shows the
// picture boxes of every row at once (sharedBoxes) is also their window for tips, popups,
// focus and hover; otherwise a control whose resolver answers StockPart::Box is the box of
// the row it answers for its centre.
void InstallStockInput(StockWindow& window, QWidget* control, StockHitResolver resolve, bool sharedBoxes = false);

// The rows drawn as one widget: row i from y = 5 + (i - 1) × row height, the information
// column (StkPicX wide) its caption, the rest its picture box; points past the rows shown or
// past the stock hit nothing.
StockHitResolver StockRowsResolver(const StockWindow& window);

// The picture box of a row as installed, null when none.
QWidget* StockBoxWidget(const StockWindow& window, int32_t cell);

// The data of a drag of entries: the drag format's bytes under our own type, and the same
// text as plain text.
QMimeData* MakeStockDragData(const std::u16string& text);

// Fills the input's and the commands' window seams with the Qt ones.
void WireStockInput();

}  // namespace yov
