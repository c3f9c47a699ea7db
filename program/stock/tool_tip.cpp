#include "program/stock/tool_tip.h"

#include <QFontMetrics>
#include <QString>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>

#include "program/core/texts/qt_text.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/service_window.h"
#include "program/core/windows/tip_frm.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

namespace {
constexpr int kTipPadX = 8;
constexpr int kTipPadY = 6;
constexpr int kScreenMargin = 10;
constexpr int kGap = 5;
constexpr int kLargeExtent = 100000;
}  // namespace

QRect TipPlacement(QSize tip, int32_t pointX, const QRect& window, QSize screen) {
    const int w = tip.width();
    const int h = tip.height();
    int left = pointX - kGap;
    int top = window.top() + window.height() + kGap;
    if (left + w > screen.width() - kGap) left = screen.width() - w - kGap;
    if (top + h > screen.height() - kGap) {
        if (h + 2 * kGap < window.top()) {
            top = window.top() - h - kGap;  // above the window
        } else if (w + 2 * kGap < window.left()) {
            left = window.left() - w - kGap;  // left of it
            top = screen.height() - h;
        } else if (window.left() + window.width() + w + 2 * kGap <= screen.width()) {
            left = window.left() + window.width() + kGap;  // right of it
            top = screen.height() - h;
        }
    }
    return {left, top, w, h};
}

void ShowTip(std::u16string& text, QWidget* window, int32_t x, int32_t y, int32_t displayMs) {
    if (text.empty() || serviceState().CommandRunning != 0) return;
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
    StockWindowsState& sw = stockWindows();
    if (sw.TipShown != 0 && sw.TipText == text) return;
    TipFrm* tip = tipForm();
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QRect extent = QFontMetrics(tip->Txt->font()).boundingRect(QRect(0, 0, kLargeExtent, kLargeExtent), 0, shown);
    const QSize screen = screenSizePx();
    const QSize size(std::min(extent.width() + kTipPadX, screen.width() - kScreenMargin),
                     std::min(extent.height() + kTipPadY, screen.height() - kScreenMargin));
    QPoint point(x, y);
    QRect frame;
    if (window != nullptr) {
        point = window->mapToGlobal(point);
        // The window's rectangle on the screen: a child's frame geometry is in its parent's
        // co-ordinates, which put the status bar's tip under the pointer and hid it at once.
        frame = window->isWindow() ? window->frameGeometry() : QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    }
    tip->Txt->setPlainText(shown);
    tip->setGeometry(TipPlacement(size, point.x(), frame, screen));
    tip->show();
    tip->raise();
    sw.TipShown = 1;
    sw.TipText = text;
    if (displayMs > 0) {
        const int interval = serviceWindowIfLoaded() != nullptr ? serviceWindowIfLoaded()->Timer2.interval() : 10;
        serviceState().TipCountdown = displayMs / std::max(interval, 1);
    }
}

void HideTip() {
    StockWindowsState& sw = stockWindows();
    if (sw.TipShown == 0) return;
    tipForm()->hide();
    sw.TipShown = 0;
    sw.TipText.clear();
    serviceState().TipCountdown = 0;
}

}  // namespace yov
