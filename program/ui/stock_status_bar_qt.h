// A stock window's status bar in Qt: the window's QStatusBar holding one panel widget that
// draws the panels at the widths the status bar logic gives them (so that a point's panel is
// the one PanelFromX finds), or the simple text; the note timer; mouse moves over the bar
// handed to the hover tracking.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

#include "program/stock/stock_status_bar.h"

class QStatusBar;

namespace yov {

class StockWindow;

class QtStockStatusBar : public QWidget, public StockStatusBar {
public:
    // layout: the window's layout handler.
    QtStockStatusBar(StockWindow& window, QStatusBar* bar, std::function<void()> layout);

    QStatusBar* statusBar() const { return bar_; }
    QTimer Timer3;

    // StockStatusBar.
    void shown() override;
    int32_t textWidth(std::u16string_view text) const override;
    QWidget* window() override;
    void restartNoteTimer(int32_t ms) override;
    void stopNoteTimer() override;
    void beep() override;
    void layoutWindow() override;

    // Where panel p stands (its width's span), for tests and painting.
    QRect panelRect(int32_t p) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    StockWindow& window_;
    QStatusBar* bar_;
    std::function<void()> layout_;
};

}  // namespace yov
