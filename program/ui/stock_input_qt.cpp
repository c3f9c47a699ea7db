#include "program/ui/stock_input_qt.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QUrl>
#include <QWidget>

#include <map>
#include <unordered_map>

#include "program/core/startup/program_state.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_drag_text.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_seams.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/stock_frm.h"

namespace yov {

namespace {

// The controls each window installed: the widget of all its boxes, or a widget per row.
struct Controls {
    QPointer<QWidget> shared;
    std::map<int32_t, QPointer<QWidget>> boxes;
    int32_t subclassedCell = 0;  // the row the shared widget's hover notices report
};

std::unordered_map<const StockWindow*, Controls>& controls() {
    static std::unordered_map<const StockWindow*, Controls> all;
    return all;
}

int32_t buttonValue(Qt::MouseButtons buttons) {
    int32_t v = 0;
    if (buttons & Qt::LeftButton) v |= 1;
    if (buttons & Qt::RightButton) v |= 2;
    if (buttons & Qt::MiddleButton) v |= 4;
    return v;
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
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != control_) return false;
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

private:
    bool press(QMouseEvent* e) {
        const StockHit hit = resolve_(e->position().toPoint());
        if (hit.cell < 1) return false;
        const int32_t button = buttonValue(e->button());
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
            Box_MouseUp(window_, hit.cell, buttonValue(e->button()), shiftStateOf(e->modifiers()), hit.local.x(),
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
        const int32_t buttons = buttonValue(e->buttons());
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

QWidget* cellWidget(StockWindow& w, int32_t cell) { return StockBoxWidget(w, cell); }

void focusCell(StockWindow& w, int32_t cell) {
    if (QWidget* box = StockBoxWidget(w, cell)) box->setFocus(Qt::OtherFocusReason);
}

// Hover and leave for the row's box. A widget of all rows reports the row it was last
// registered with, so it is registered again for each row the mouse enters.
void trackCell(StockWindow& w, int32_t cell) {
    QWidget* box = StockBoxWidget(w, cell);
    if (box == nullptr) return;
    auto it = controls().find(&w);
    if (it != controls().end() && it->second.shared == box && it->second.subclassedCell != cell) {
        it->second.subclassedCell = cell;
        if (stockEngineCalls().startSubclass)
            stockEngineCalls().startSubclass(reinterpret_cast<uintptr_t>(box), 0, static_cast<uint8_t>(w.Slot),
                                             static_cast<int16_t>(cell));
    }
    TrackMouse(static_cast<uint16_t>(cell), box);
}

void drag(QWidget* source, QMimeData* data) {
    auto* d = new QDrag(source);
    d->setMimeData(data);
    d->exec(Qt::CopyAction);
}

QStatusBar* statusBarOf(StockWindow& w) {
    auto* main = qobject_cast<QMainWindow*>(w.view().form());
    return main != nullptr ? main->statusBar() : nullptr;
}

}  // namespace

void InstallStockInput(StockWindow& window, QWidget* control, StockHitResolver resolve, bool sharedBoxes) {
    if (control == nullptr) return;
    const StockWindow* key = &window;
    Controls& c = controls()[key];
    if (sharedBoxes) {
        c.shared = control;
        c.subclassedCell = 0;
    } else {
        const StockHit centre = resolve(control->rect().center());
        if (centre.part == StockPart::Box && centre.cell >= 1) c.boxes[centre.cell] = control;
    }
    QObject::connect(control, &QObject::destroyed, [key] { controls().erase(key); });
    control->setMouseTracking(true);
    control->setAcceptDrops(true);
    control->installEventFilter(new StockInputFilter(window, control, std::move(resolve)));
}

StockHitResolver StockRowsResolver(const StockWindow& window) {
    const StockWindow* w = &window;
    return [w](QPoint p) {
        constexpr int kFirstRowTop = 5;
        StockHit hit;
        const int32_t rowHeight = StockRowHeight(programState().Shared.PictureHeight);
        if (p.y() < kFirstRowTop) return hit;
        const int32_t cell = (p.y() - kFirstRowTop) / rowHeight + 1;
        const int32_t e = w->VscrValue() + cell - 1;
        if (cell > w->CellCount || e < 1 || e > programState().Shared.StockCount) return hit;
        hit.cell = cell;
        hit.part = p.x() < stockWindows().Options.StkPicX ? StockPart::Caption : StockPart::Box;
        hit.local = p;
        return hit;
    };
}

QWidget* StockBoxWidget(const StockWindow& window, int32_t cell) {
    const auto it = controls().find(&window);
    if (it == controls().end()) return nullptr;
    if (it->second.shared) return it->second.shared.data();
    const auto box = it->second.boxes.find(cell);
    return box != it->second.boxes.end() ? box->second.data() : nullptr;
}

QMimeData* MakeStockDragData(const std::u16string& text) {
    auto* data = new QMimeData;
    const std::string bytes = StockDragBytes(text);
    data->setData(QString::fromLatin1(kStockDragMimeType),
                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    data->setText(QString::fromStdU16String(text));
    return data;
}

void WireStockInput() {
    StockInputCalls& in = stockInputCalls();
    in.focusCell = focusCell;
    in.cellWidget = cellWidget;
    in.trackCell = trackCell;
    in.dragEntries = [](StockWindow& w, int32_t cell, const std::u16string& text) {
        QWidget* source = StockBoxWidget(w, cell);
        if (source != nullptr && !text.empty()) drag(source, MakeStockDragData(text));
    };
    in.dragCategory = [](StockWindow& w, int32_t cell, const std::u16string& text) {
        QWidget* source = StockBoxWidget(w, cell);
        if (source == nullptr) return;
        auto* data = new QMimeData;
        data->setText(QString::fromStdU16String(text));
        drag(source, data);
    };

    StockCommandSeams& seams = stockCommandSeams();
    seams.statusSimpleText = [](StockWindow& w, const std::u16string* text) {
        QStatusBar* bar = statusBarOf(w);
        if (bar == nullptr) return;
        if (text != nullptr)
            bar->showMessage(QString::fromStdU16String(*text));
        else
            bar->clearMessage();
    };
    // Until the status bar lays out its own panels, a new StBar shows or hides the bar
    // through the window's layout.
    seams.setStBar = [](StockWindow& w) {
        if (auto* frm = qobject_cast<StockFrm*>(w.view().form())) frm->Form_Resize();
    };
}

}  // namespace yov
