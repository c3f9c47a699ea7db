#include "program/ui/stock_frm.h"

#include <QCloseEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

#include "program/core/startup/program_state.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/form_members.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/window_dispatch.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_seams.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"
#include "program/ui/stock_input_qt.h"

namespace yov {

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

// The rows: each entry's name where its row begins, framed when selected. The pictures,
// categories and marks of a row are drawn by the window's refresh once it draws them.
class StockRows : public QWidget {
public:
    explicit StockRows(StockFrm* frm) : QWidget(frm), frm_(frm) {
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const StockWindow& w = frm_->window();
        const ProgramState& st = programState();
        const int32_t rowHeight = StockRowHeight(st.Shared.PictureHeight);
        QPainter painter(this);
        const int lineHeight = QFontMetrics(font()).height();
        for (int32_t i = 1; i <= w.CellCount; ++i) {
            const int32_t e = w.VscrValue() + i - 1;
            if (e < 1 || e > st.Shared.StockCount || !st.Arrays.Stock.has(e)) break;
            const StockEntry& entry = st.Arrays.Stock[e];
            const int top = 5 + (i - 1) * rowHeight;
            painter.drawText(QRect(2, top, width() - 4, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromStdU16String(entry.Name));
            if ((entry.SelectMask & static_cast<uint16_t>(w.SelBit)) != 0)
                painter.drawRect(QRect(0, top - 2, width() - 1, rowHeight - 1));
        }
    }

private:
    StockFrm* frm_;
};

StockFrm::StockFrm() {
    setObjectName(QStringLiteral("StockFrm"));
    setProperty("tag", QStringLiteral("STKLST"));
    setWindowTitle(QStringLiteral("Stock List window"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    rows_ = new StockRows(this);
    rows_->setParent(central);
    vscr_ = new QScrollBar(Qt::Vertical, central);
    vscr_->setObjectName(QStringLiteral("VScr"));
    // The list keeps the focus; the bar is worked with the mouse.
    vscr_->setFocusPolicy(Qt::NoFocus);
    vscr_->setRange(1, 1);
    statusBar()->setObjectName(QStringLiteral("SBar"));
    bar_ = std::make_unique<QtScrollBarPort>(vscr_);
    window_ = std::make_unique<StockWindow>(*this);
    connect(vscr_, &QScrollBar::valueChanged, this, [this] { window_->VScr_Change(); });
    FormMembers members;
    members.FCmd = [this](int16_t& code, int32_t& a1, int32_t& a2, int32_t& a3, int32_t& a4) {
        return FCmd(code, a1, a2, a3, a4);
    };
    members.Rfsh0 = [this] { window_->Rfsh0(); };
    SetFormMembers(this, std::move(members));
    loaded_ = window_->Load();
    InstallStockInput(*window_, rows_, StockRowsResolver(*window_), true);
    statusBar()->setVisible(stockWindows().Options.StBar != 0);
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
    const bool handled = stockSeams().command ? stockSeams().command(*window_, code, arg1, arg2, arg3, arg4)
                                              : HandleFormCmd(code, this, arg1);
    if (handled) return true;
    throw ProgramError(error_number::kNotMine, u"");
}

// A key the window's commands handle is consumed; any other goes on to Qt.
void StockFrm::keyPressEvent(QKeyEvent* event) {
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
    statusBar()->setVisible(stockWindows().Options.StBar != 0);
    window_->Layout(central->height());
    const int barWidth = vscr_->sizeHint().width();
    const int32_t rowHeight = StockRowHeight(programState().Shared.PictureHeight);
    vscr_->setGeometry(central->width() - barWidth, 0, barWidth, window_->CellCount * rowHeight);
    rows_->setGeometry(0, 0, std::max(central->width() - barWidth, 0), central->height());
}

ScrollBarPort& StockFrm::scrollBar() { return *bar_; }

void StockFrm::setScrollEnabled(bool enabled) { vscr_->setEnabled(enabled); }

void StockFrm::setScrollPage(int32_t step) { vscr_->setPageStep(std::max(step, 1)); }

int32_t StockFrm::innerWidth() const { return centralWidget() != nullptr ? centralWidget()->width() : width(); }

double StockFrm::categoryTextWidth(const std::u16string& text) {
    return QFontMetricsF(rows_->font()).horizontalAdvance(QString::fromStdU16String(text));
}

uintptr_t StockFrm::statusBarWindow() { return reinterpret_cast<uintptr_t>(statusBar()); }

void StockFrm::setCaption(const std::u16string& caption) { setWindowTitle(QString::fromStdU16String(caption)); }

void StockFrm::paintRows() { rows_->update(); }

void StockFrm::hideForm() { hide(); }

void StockFrm::unloadForm() { deleteLater(); }

StockFrm* OpenStockWindow() {
    auto* frm = new StockFrm;
    if (!frm->loaded()) return nullptr;
    frm->show();
    return frm;
}

void WireStockWindows() {
    laterParts().showStockBrowser = [] { OpenStockWindow(); };
    WireStockCommands();
    WireStockInput();
    utilHooks().hideTip = HideTip;
}

}  // namespace yov
