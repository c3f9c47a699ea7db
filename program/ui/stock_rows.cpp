#include "program/core/texts/qt_text.h"
#include "program/ui/stock_rows.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "platform/raster.h"
#include "program/core/startup/program_state.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_window.h"
#include "program/ui/stock_input_qt.h"

namespace yov {

namespace {

constexpr int kRowFontPixels = 11;
constexpr int kFrameWidth = 2;

QRect qRect(const RowRect& r) { return QRect(r.x, r.y, r.width, r.height); }

QColor colourOf(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// Text whose top-left corner is at (x, y), as the window system prints into a picture box.
void printAt(QPainter& p, int x, int y, std::u16string_view text) {
    p.drawText(QPoint(x, y + QFontMetrics(p.font()).ascent()), toQString(text));
}

// A copy of a rectangle of a raster DC's bitmap (32-bit pixels; other depths are read one
// pixel at a time).
QImage imageOf(plat::HDC dc, int x, int y, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    plat::PixelAccess px;
    if (!plat::AccessPixels(plat::GetCurrentBitmap(dc), px)) return image;
    const int left = std::max(x, 0), right = std::min(x + width, px.width);
    const int top = std::max(y, 0), bottom = std::min(y + height, px.height);
    if (right <= left || bottom <= top) return image;
    for (int row = top; row < bottom; ++row) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row - y)) + (left - x);
        if (px.bitsPerPixel == 32) {
            const uint8_t* in =
                px.topRow + static_cast<std::ptrdiff_t>(row) * px.stride + static_cast<ptrdiff_t>(left) * 4;
            std::memcpy(out, in, static_cast<size_t>(right - left) * 4);
        } else {
            for (int col = left; col < right; ++col) *out++ = colourOf(plat::GetPixel(dc, col, row)).rgb();
        }
    }
    return image;
}

}  // namespace

const QFont& stockRowFont(bool bold) {
    static const QFont plain = [] {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(kRowFontPixels);
        return f;
    }();
    static const QFont heavy = [] {
        QFont f = plain;
        f.setBold(true);
        return f;
    }();
    return bold ? heavy : plain;
}

StockRows::StockRows(StockWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
    setObjectName(QStringLiteral("StockRows"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFont(stockRowFont());
}

int32_t StockRows::textWidth(RowFont font, std::u16string_view text) {
    return QFontMetrics(stockRowFont(font == RowFont::BoldName)).horizontalAdvance(toQString(text));
}

void StockRows::cellChanged(int32_t cell) {
    const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
    update(QRect(0, g.top(cell) - kFrameWidth, width(), g.rowHeight));
}

void StockRows::paintBox(int32_t cell) {
    const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
    update(qRect(g.box(cell, window_.BoxWidth)));
}

uintptr_t StockRows::boxWindow(int32_t cell) {
    if (cell < 1 || cell > kMaxCells) return 0;
    QWidget*& box = boxes_[static_cast<size_t>(cell)];
    if (box == nullptr) {
        // Painted by the rows underneath: the box itself is only a place for the mouse.
        box = new QWidget(this);
        box->setObjectName(QStringLiteral("Box%1").arg(cell));
        box->setAttribute(Qt::WA_NoSystemBackground);
        box->setFocusPolicy(Qt::NoFocus);
        InstallStockInput(window_, box, StockBoxResolver(window_, cell), cell);
    }
    return reinterpret_cast<uintptr_t>(box);
}

void StockRows::placeBoxes() {
    const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
    for (int32_t i = 1; i <= kMaxCells; ++i) {
        QWidget* box = boxes_[static_cast<size_t>(i)];
        if (box == nullptr) continue;
        if (i <= window_.CellCount) {
            box->setGeometry(qRect(g.box(i, window_.BoxWidth)));
            box->show();
        } else {
            box->hide();
        }
    }
}

void StockRows::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    // A moving picture repaints its box alone: the other rows, with their pictures' copies,
    // are passed over.
    const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
    for (int32_t i = 1; i <= window_.CellCount && i <= kMaxCells; ++i) {
        const QRect row =
            QRect(0, g.top(i), width(), g.rowHeight) | qRect(g.category(i)) | qRect(g.frame(i, window_.BoxWidth));
        if (event->region().intersects(row)) paintCell(painter, i);
    }
}

void StockRows::paintCell(QPainter& p, int32_t i) {
    const StockCell& c = window_.Cells[static_cast<size_t>(i)];
    const StockRowGeometry g(programState().Shared.PictureHeight, stockWindows().Options.InfoColumnWidth);
    p.setPen(Qt::black);
    if (c.FrameVisible) {
        const RowRect f = g.frame(i, window_.BoxWidth);
        p.fillRect(QRect(f.x, f.y, f.width, f.height), Qt::black);
    }
    if (c.BoxVisible) {
        const RowRect b = g.box(i, window_.BoxWidth);
        p.save();
        p.setClipRect(qRect(b), Qt::IntersectClip);
        paintPicture(p, i, b.x, b.y);
        p.restore();
    }
    if (c.CategoryVisible) {
        RowRect r = g.category(i);
        r.width = c.CategoryWidth;
        p.fillRect(qRect(r), Qt::white);
        p.setFont(stockRowFont());
        printAt(p, 5, r.y, c.CategoryText);
    }
    if (c.NameVisible) {
        RowRect r = g.name(i);
        r.width = c.NameWidth;
        p.save();
        p.setClipRect(qRect(r), Qt::IntersectClip);
        p.setFont(stockRowFont(c.NameBold));
        printAt(p, r.x, r.y, c.CaptionName);
        p.restore();
    }
    p.setFont(stockRowFont());
    if (c.SizeVisible) printAt(p, g.size(i).x, g.size(i).y, c.SizeText);
    if (c.DescVisible) printAt(p, g.description(i).x, g.description(i).y, c.DescCaption);
    if (c.WayVisible) printAt(p, g.way(i).x, g.way(i).y, c.WayCaption);
    if (c.DotVisible && c.TypeIndex < programState().tables.ColorRGB.size()) {
        const RowRect d = g.dot(i);
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(colourOf(programState().tables.ColorRGB[c.TypeIndex]));
        p.setPen(Qt::black);
        p.drawEllipse(QRect(d.x, d.y, d.width - 1, d.height - 1));
        p.restore();
    }
}

void StockRows::paintPicture(QPainter& p, int32_t i, int x, int y) {
    const StockCell& c = window_.Cells[static_cast<size_t>(i)];
    const int32_t h = programState().Shared.PictureHeight;
    const int32_t boxWidth = window_.BoxWidth;
    if (c.DrawWidth != 0 && c.BufDC != 0)
        p.drawImage(x, y, imageOf(plat::HDC{c.BufDC}, c.BufX + c.Frame * c.DrawWidth, c.BufY, c.DrawWidth, h));
    if (boxWidth != c.DrawWidth) p.fillRect(QRect(x + c.DrawWidth, y, boxWidth - c.DrawWidth, h), Qt::white);
    p.setFont(stockRowFont());
    p.setPen(Qt::black);
    if (!c.FileLine.empty()) printAt(p, x + 10, y + 2, c.FileLine);
    if (c.AuthorWidth != 0) {
        const int ay = c.FileLineWidth + 20 > boxWidth - c.AuthorWidth ? 17 : 2;
        printAt(p, x + boxWidth - c.AuthorWidth - 5, y + ay, c.AuthorText);
    }
    if (!c.ErrorText.empty()) printAt(p, x + 10, y + 32, c.ErrorText);
}

}  // namespace yov
