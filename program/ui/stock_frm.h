// StockFrm: a window listing the vehicle catalogue, one entry per row, with a vertical scroll
// bar, a status bar and the stock windows' menu bar. Its logic is StockWindow; this is the
// Qt view of it. Up to ten are open at once.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <memory>

#include "program/stock/stock_window.h"

class QScrollBar;

namespace yov {

class StockRows;
class QtStockStatusBar;
class QtScrollBarPort;

class StockFrm : public QMainWindow, public StockWindowView {
    Q_OBJECT
public:
    // Form_Load runs here; a window that found no free slot has already unloaded itself
    // (loaded() is false; it is deleted by the event loop).
    StockFrm();
    ~StockFrm() override;

    bool loaded() const { return loaded_; }
    StockWindow& window() { return *window_; }
    QScrollBar* VScr() const { return vscr_; }

    // The command entry: the window's own commands, then those every window shares.
    bool FCmd(int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4);
    void Form_Resize();
    // Steps the frames of animated pictures.
    void Timer1_Timer();
    QTimer Timer1;

    // StockWindowView.
    QWidget* form() override { return this; }
    ScrollBarPort& scrollBar() override;
    void setScrollEnabled(bool enabled) override;
    void setScrollPage(int32_t step) override;
    int32_t innerWidth() const override;
    double categoryTextWidth(const std::u16string& text) override;
    uintptr_t statusBarWindow() override;
    void setCaption(const std::u16string& caption) override;
    void paintRows() override;
    void hideForm() override;
    void unloadForm() override;
    StockRowsView* rowsView() override;
    StockStatusBar* statusBarControl() override;
    void focusCell(int32_t cell) override;
    QWidget* cellWidget(int32_t cell) override;
    void trackCell(int32_t cell) override;
    void dragEntries(int32_t cell, const std::u16string& dragText) override;
    void dragCategory(int32_t cell, const std::u16string& text) override;
    std::u16string askPattern() override;
    void beep() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QScrollBar* vscr_;
    StockRows* rows_;
    QtStockStatusBar* sbar_;
    std::unique_ptr<QtScrollBarPort> bar_;
    std::unique_ptr<StockWindow> window_;
    bool loaded_ = false;
};

// Opens a stock window in the first free slot; null when all ten are open.
StockFrm* OpenStockWindow();

// Hands the stock windows to start-up and the tool tip to the core.
void WireStockWindows();

}  // namespace yov
