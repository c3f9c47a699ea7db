#include "program/ui/stock_frm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLayout>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

#include "program/core/texts/qt_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/program_error.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/form_members.h"
#include "program/core/windows/input_box.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_drawing.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_status_bar.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"
#include "program/ui/stock_input_qt.h"
#include "program/ui/stock_rows.h"
#include "program/ui/stock_status_bar_qt.h"

namespace yov {

namespace {
constexpr int kFrameStepMs = 250;
}  // namespace

// VScr as the scroll model sees it: minimum 1, a changed value raises VScr_Change.
class QtScrollBarPort : public ScrollBarPort {
public:
    explicit QtScrollBarPort(QScrollBar* bar) : bar_(bar) {}
    int32_t value() const override { return bar_->value(); }
    void setValue(int32_t value) override { bar_->setValue(value); }
    void setMaximum(int32_t maximum) override { bar_->setMaximum(std::max(maximum, 1)); }

private:
    QScrollBar* bar_;
};

StockFrm::StockFrm() {
    setObjectName(QStringLiteral("StockFrm"));
    setProperty("tag", QStringLiteral("STKLST"));
    setWindowTitle(QStringLiteral("Stock List window"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    vscr_ = new QScrollBar(Qt::Vertical, central);
    vscr_->setObjectName(QStringLiteral("VScr"));
    // The list keeps the focus; the bar is worked with the mouse.
    vscr_->setFocusPolicy(Qt::NoFocus);
    vscr_->setRange(1, 1);
    statusBar()->setObjectName(QStringLiteral("SBar"));
    bar_ = std::make_unique<QtScrollBarPort>(vscr_);
    window_ = std::make_unique<StockWindow>(*this);
    rows_ = new StockRows(*window_, central);
    sbar_ = new QtStockStatusBar(*window_, statusBar(), [this] { Form_Resize(); });
    rows_->lower();
    Timer1.setInterval(kFrameStepMs);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(vscr_, &QScrollBar::valueChanged, this, [this] { window_->VScr_Change(); });
    FormMembers members;
    members.FCmd = [this](int16_t& code, int32_t& a1, int32_t& a2, int32_t& a3, int32_t& a4) {
        return FCmd(code, a1, a2, a3, a4);
    };
    members.Rfsh0 = [this] { window_->Rfsh0(); };
    SetFormMembers(this, std::move(members));
    loaded_ = window_->Load();
    // The information column; each row's picture box gets its own when the layout makes it.
    InstallStockInput(*window_, rows_, StockRowsResolver(*window_));
    statusBar()->setVisible(false);
    if (loaded_) Timer1.start();
}

void StockFrm::Timer1_Timer() {
    // Quiet while a modal box is open.
    if (window_->Slot != 0 && modalState().ModalDepth == 0) StepStockFrames(*window_);
}

StockFrm::~StockFrm() {
    SetFormMembers(this, {});
    // A window destroyed without closing still gives its slot back.
    if (window_->Slot != 0) {
        WindowSlot& row = programState().WindowTable[static_cast<size_t>(window_->Slot)];
        if (row.window == this) row = {};
    }
}

bool StockFrm::FCmd(int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4) {
    // The window's dispatcher hands what it has no row for to the common keys itself.
    if (StockFCmd(*window_, code, arg1, arg2, arg3, arg4)) return true;
    throw ProgramError(error_number::kNotMine, u"");
}

// A key the window's commands handle is consumed; any other goes on to Qt. An error that
// abandons the command ends here: nothing may go on into Qt's event delivery.
void StockFrm::keyPressEvent(QKeyEvent* event) {
    try {
        const int32_t code = keyCommandOf(*event);
        if (code != 0 && Form_KeyDown(*window_, code)) {
            event->accept();
            return;
        }
        const QString text = event->text();
        if (text.size() == 1 && Form_KeyPress(*window_, text.at(0).unicode())) {
            event->accept();
            return;
        }
    } catch (...) {
        ShowHandledError();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void StockFrm::closeEvent(QCloseEvent* event) {
    int16_t cancel = 0;
    window_->DoExit(cancel);
    if (cancel != 0)
        event->ignore();
    else
        event->accept();
}

void StockFrm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && window_->Slot != 0) {
        if (isActiveWindow())
            window_->Form_Activate();
        else
            window_->Form_Deactivate();
    }
    QMainWindow::changeEvent(event);
}

void StockFrm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void StockFrm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Form_Resize();
}

void StockFrm::Form_Resize() {
    if (!isVisible() || isMinimized() || window_->Slot == 0) return;
    QWidget* central = centralWidget();
    // The status bar first: what it leaves of the window's height is the rows'.
    LayoutStatusBar(*window_);
    if (layout() != nullptr) layout()->activate();
    window_->Layout(central->height());
    rows_->placeBoxes();
    const int barWidth = StockScrollBarWidthPx();
    const int32_t rowHeight = StockRowHeight(programState().Shared.PictureHeight);
    vscr_->setGeometry(central->width() - barWidth, 0, barWidth, window_->CellCount * rowHeight);
    rows_->setGeometry(0, 0, std::max(central->width() - barWidth, 0), central->height());
}

ScrollBarPort& StockFrm::scrollBar() { return *bar_; }

StockRowsView* StockFrm::rowsView() { return rows_; }

StockStatusBar* StockFrm::statusBarControl() { return sbar_; }

void StockFrm::setScrollEnabled(bool enabled) { vscr_->setEnabled(enabled); }

void StockFrm::setScrollPage(int32_t step) { vscr_->setPageStep(std::max(step, 1)); }

int32_t StockFrm::innerWidth() const { return centralWidget() != nullptr ? centralWidget()->width() : width(); }

double StockFrm::categoryTextWidth(const std::u16string& text) {
    return QFontMetricsF(rows_->font()).horizontalAdvance(toQString(text));
}

uintptr_t StockFrm::statusBarWindow() { return reinterpret_cast<uintptr_t>(statusBar()); }

void StockFrm::setCaption(const std::u16string& caption) { setWindowTitle(toQString(caption)); }

void StockFrm::paintRows() { rows_->update(); }

void StockFrm::hideForm() { hide(); }

void StockFrm::unloadForm() { deleteLater(); }

void StockFrm::focusCell(int32_t cell) {
    if (QWidget* box = StockBoxWidget(*window_, cell)) box->setFocus(Qt::OtherFocusReason);
}

QWidget* StockFrm::cellWidget(int32_t cell) { return StockBoxWidget(*window_, cell); }

// Hover and leave for the row's box (the layout registered it with the engine for its row).
void StockFrm::trackCell(int32_t cell) {
    if (QWidget* box = StockBoxWidget(*window_, cell)) TrackMouse(static_cast<uint16_t>(cell), box);
}

void StockFrm::dragEntries(int32_t cell, const std::u16string& dragText) {
    QWidget* source = StockBoxWidget(*window_, cell);
    if (source != nullptr && !dragText.empty()) DragFrom(source, MakeStockDragData(dragText));
}

void StockFrm::dragCategory(int32_t cell, const std::u16string& text) {
    QWidget* source = StockBoxWidget(*window_, cell);
    if (source == nullptr) return;
    auto* data = new QMimeData;
    data->setText(toQString(text));
    DragFrom(source, data);
}

std::u16string StockFrm::askPattern() {
    return ShowInputBox(GetText(u"PAT", u"Pattern"), GetText(u"FPAT", u"Search pattern"), u"");
}

void StockFrm::beep() { QApplication::beep(); }

StockFrm* OpenStockWindow() {
    auto* frm = new StockFrm;
    if (!frm->loaded()) return nullptr;
    frm->show();
    return frm;
}

void WireStockWindows() { upperCalls().hideTip = HideTip; }

}  // namespace yov
