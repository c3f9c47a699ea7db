#include "program/ui/stock_input_qt.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <map>
#include <unordered_map>

#include "program/core/texts/qt_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_report.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/stock/stock_drag_text.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

namespace {

// The picture box of each row, by window.
using Boxes = std::map<int32_t, QPointer<QWidget>>;

std::unordered_map<const StockWindow*, Boxes>& boxesByWindow() {
    static std::unordered_map<const StockWindow*, Boxes> all;
    return all;
}

bool hasLocalFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return false;
    for (const QUrl& u : data->urls()) {
        if (!u.isLocalFile()) return false;
    }
    return !data->urls().isEmpty();
}

class StockInputFilter : public QObject {
public:
    StockInputFilter(StockWindow& window, QWidget* control, StockHitResolver resolve)
        : QObject(control), window_(window), control_(control), resolve_(std::move(resolve)) {}

protected:
    // An error that abandons a command ends here: nothing may go on into Qt's event delivery.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != control_) return false;
        try {
            return filter(event);
        } catch (...) {
            ShowHandledError();
            return true;
        }
    }

private:
    bool filter(QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: return press(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonDblClick:
            // The second press of a double click is no press of its own (a Ctrl double click
            // toggles once), and its release opens no second description.
            afterDoubleClick_ = true;
            return true;
        case QEvent::MouseButtonRelease: {
            const bool second = afterDoubleClick_;
            afterDoubleClick_ = false;
            return release(static_cast<QMouseEvent*>(event), second);
        }
        case QEvent::MouseMove: return move(static_cast<QMouseEvent*>(event));
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            // Taken so that the moves over it arrive; each move says whether a drop may come.
            if (LabPic_DropAccepted(e->mimeData()->hasFormat(kStockDragMimeType), hasLocalFiles(e->mimeData())))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            const StockHit hit = resolve_(e->position().toPoint());
            // Only a row's caption gives feedback; the boxes and category labels refuse.
            if (hit.part == StockPart::Caption &&
                LabPic_DropAccepted(e->mimeData()->hasFormat(kStockDragMimeType), hasLocalFiles(e->mimeData())))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::Drop:
            // The stock windows take no drop.
            event->ignore();
            return true;
        default: return false;
        }
    }

    bool press(QMouseEvent* e) {
        const StockHit hit = resolve_(e->position().toPoint());
        if (hit.cell < 1) return false;
        const int32_t button = mouseButtonsOf(e->button());
        const int32_t shift = shiftStateOf(e->modifiers());
        switch (hit.part) {
        case StockPart::Box: Box_MouseDown(window_, hit.cell, button, shift, hit.local.x(), hit.local.y()); break;
        case StockPart::Caption: LabPic_MouseDown(window_, hit.cell, button, shift); break;
        case StockPart::SizeLabel: SizeL_MouseDown(window_, hit.cell, button, shift); break;
        case StockPart::Category:
            CatPic_MouseDown(window_, hit.cell, button, shift, hit.local.x(), hit.local.y());
            break;
        case StockPart::DescMark:
        case StockPart::None: return false;
        }
        return true;
    }

    bool release(QMouseEvent* e, bool afterDoubleClick) {
        const StockHit hit = resolve_(e->position().toPoint());
        if (hit.cell < 1) return false;
        if (hit.part == StockPart::Box) {
            Box_MouseUp(window_, hit.cell, mouseButtonsOf(e->button()), shiftStateOf(e->modifiers()), hit.local.x(),
                        hit.local.y());
            return true;
        }
        if (hit.part == StockPart::DescMark && e->button() == Qt::LeftButton && !afterDoubleClick) {
            DescX_Click(window_, hit.cell);
            return true;
        }
        return false;
    }

    bool move(QMouseEvent* e) {
        const StockHit hit = resolve_(e->position().toPoint());
        if (hit.cell < 1) return false;
        const int32_t buttons = mouseButtonsOf(e->buttons());
        const int32_t shift = shiftStateOf(e->modifiers());
        if (hit.part == StockPart::Box) Box_MouseMove(window_, hit.cell, buttons, shift, hit.local.x(), hit.local.y());
        if (hit.part == StockPart::Category)
            CatPic_MouseMove(window_, hit.cell, buttons, shift, hit.local.x(), hit.local.y());
        return false;
    }

    StockWindow& window_;
    QWidget* control_;
    StockHitResolver resolve_;
    bool afterDoubleClick_ = false;
};

bool showsEntry(const StockWindow& w, int32_t cell) {
    const int32_t e = w.VscrValue() + cell - 1;
    return cell >= 1 && cell <= w.CellCount && e >= 1 && e <= programState().Shared.StockCount;
}

bool inside(const RowRect& r, QPoint p) {
    return p.x() >= r.x && p.x() < r.x + r.width && p.y() >= r.y && p.y() < r.y + r.height;
}

}  // namespace

void InstallStockInput(StockWindow& window, QWidget* control, StockHitResolver resolve, int32_t boxCell) {
    if (control == nullptr) return;
    if (boxCell >= 1) {
        const StockWindow* key = &window;
        boxesByWindow()[key][boxCell] = control;
        QObject::connect(control, &QObject::destroyed, [key, boxCell] {
            auto it = boxesByWindow().find(key);
            if (it == boxesByWindow().end()) return;
            it->second.erase(boxCell);
            if (it->second.empty()) boxesByWindow().erase(it);
        });
    }
    control->setMouseTracking(true);
    control->setAcceptDrops(true);
    control->installEventFilter(new StockInputFilter(window, control, std::move(resolve)));
}

StockHitResolver StockRowsResolver(const StockWindow& window) {
    const StockWindow* w = &window;
    return [w](QPoint p) {
        StockHit hit;
        const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
        if (p.y() < g.top(1) || g.rowHeight < 1) return hit;
        const int32_t cell = (p.y() - g.top(1)) / g.rowHeight + 1;
        if (!showsEntry(*w, cell)) return hit;
        const StockCell& c = w->Cells[static_cast<size_t>(cell)];
        RowRect category = g.category(cell);
        category.width = c.CategoryWidth;
        // The category label lies in front where it is wider than the column.
        if (c.CategoryVisible && inside(category, p))
            hit.part = StockPart::Category;
        else if (RowRect name = g.name(cell); c.NameVisible && inside({name.x, name.y, c.NameWidth, name.height}, p))
            hit.part = StockPart::Caption;
        else if (c.SizeVisible && inside(g.size(cell), p))
            hit.part = StockPart::SizeLabel;
        else if (c.DescVisible && !c.DescCaption.empty() && inside(g.description(cell), p))
            hit.part = StockPart::DescMark;
        else
            return hit;
        hit.cell = cell;
        hit.local = p;
        return hit;
    };
}

StockHitResolver StockBoxResolver(const StockWindow& window, int32_t cell) {
    const StockWindow* w = &window;
    return [w, cell](QPoint p) {
        StockHit hit;
        if (!showsEntry(*w, cell)) return hit;
        hit.cell = cell;
        hit.part = StockPart::Box;
        hit.local = p;
        return hit;
    };
}

QWidget* StockBoxWidget(const StockWindow& window, int32_t cell) {
    const auto it = boxesByWindow().find(&window);
    if (it == boxesByWindow().end()) return nullptr;
    const auto box = it->second.find(cell);
    return box != it->second.end() ? box->second.data() : nullptr;
}

QMimeData* MakeStockDragData(const std::u16string& text) {
    auto* data = new QMimeData;
    const std::string bytes = StockDragBytes(text);
    data->setData(QString::fromLatin1(kStockDragMimeType),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    data->setText(toQString(text));
    return data;
}

void DragFrom(QWidget* source, QMimeData* data) {
    auto* d = new QDrag(source);
    d->setMimeData(data);
    d->exec(Qt::CopyAction);
}

}  // namespace yov
