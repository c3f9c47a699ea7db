#include "program/core/texts/qt_text.h"
#include "program/ui/stock_status_bar_qt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>

#include <algorithm>

#include "program/core/startup/program_state.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_window.h"
#include "program/ui/stock_rows.h"

namespace yov {

namespace {

constexpr int kPictureSize = 11;

}  // namespace

QtStockStatusBar::QtStockStatusBar(StockWindow& window, QStatusBar* bar, std::function<void()> layout)
    : QWidget(bar), window_(window), bar_(bar), layout_(std::move(layout)) {
    setObjectName(QStringLiteral("SBarPanels"));
    setFont(stockRowFont());
    setMouseTracking(true);
    bar_->setSizeGripEnabled(false);
    bar_->setFixedHeight(StatusBarHeightPx());
    bar_->addWidget(this, 1);
    Timer3.setSingleShot(true);
    connect(&Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(window_); });
}

void QtStockStatusBar::shown() {
    // A spring panel takes the rest of the bar, and its width says so.
    int32_t fixed = 0;
    StatusPanel* spring = nullptr;
    for (StatusPanel& p : Panels) {
        if (!p.Visible) continue;
        if (p.AutoSize != 0 && spring == nullptr)
            spring = &p;
        else
            fixed += p.Width + 1;
    }
    if (spring != nullptr) spring->Width = std::max(width() - fixed - 1, WideWidth + 2);
    bar_->setVisible(Visible);
    update();
}

int32_t QtStockStatusBar::textWidth(std::u16string_view text) const {
    return QFontMetrics(font()).horizontalAdvance(toQString(text));
}

QWidget* QtStockStatusBar::window() { return bar_; }

void QtStockStatusBar::restartNoteTimer(int32_t ms) { Timer3.start(ms); }
void QtStockStatusBar::stopNoteTimer() { Timer3.stop(); }
void QtStockStatusBar::beep() { QApplication::beep(); }

void QtStockStatusBar::layoutWindow() {
    if (layout_) layout_();
}

QRect QtStockStatusBar::panelRect(int32_t p) const {
    int32_t x = 0;
    for (int32_t i = 1; i <= count(); ++i) {
        const StatusPanel& panel = Panels[static_cast<size_t>(i - 1)];
        if (!panel.Visible) continue;
        if (i == p) return QRect(x, 0, panel.Width, height());
        x += panel.Width + 1;
    }
    return {};
}

void QtStockStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    if (Style == 1) {
        painter.drawText(rect().adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, toQString(SimpleText));
        return;
    }
    for (int32_t p = 1; p <= count(); ++p) {
        const StatusPanel& panel = Panels[static_cast<size_t>(p - 1)];
        const QRect r = panelRect(p);
        if (r.isEmpty()) continue;
        painter.setPen(palette().mid().color());
        painter.drawRect(r.adjusted(0, 1, -1, -2));
        int left = r.left() + 2;
        if (panel.Picture >= 0 && static_cast<size_t>(panel.Picture + 1) < programState().tables.ColorRGB.size()) {
            const uint32_t c = programState().tables.ColorRGB[static_cast<size_t>(panel.Picture + 1)];
            const QRect square(left, r.center().y() - kPictureSize / 2, kPictureSize, kPictureSize);
            painter.fillRect(square, QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
            painter.setPen(palette().windowText().color());
            painter.drawRect(square.adjusted(0, 0, -1, -1));
            left += kPictureSize + 2;
        }
        painter.setPen(palette().windowText().color());
        const QRect textRect(left, r.top(), r.right() - left - 1, r.height());
        painter.drawText(textRect, (panel.Alignment == 1 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
                         toQString(panel.Text));
    }
}

void QtStockStatusBar::mouseMoveEvent(QMouseEvent* event) {
    SBar_MouseMove(window_, static_cast<int32_t>(event->position().x()) + x());
    QWidget::mouseMoveEvent(event);
}

}  // namespace yov
