#include "program/trains/train_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include "program/core/texts/qt_text.h"
#include "program/show_data/show_font.h"

namespace yov {
TextExtent MeasureShowText(std::u16string_view text) {
    const QFontMetrics m(showFont());
    return {m.horizontalAdvance(toQString(text)), m.height()};
}

void DrawShowText(plat::HDC dc, int32_t x, int32_t y, std::u16string_view text, plat::COLORREF colour) {
    const TextExtent e = MeasureShowText(text);
    if (e.Width < 1 || e.Height < 1) return;
    QImage img(e.Width, e.Height, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setFont(showFont());
        p.setPen(QColor(plat::GetRValue(colour), plat::GetGValue(colour), plat::GetBValue(colour)));
        p.drawText(QPoint(0, QFontMetrics(showFont()).ascent()), toQString(text));
    }
    // Unsmoothed glyphs: a pixel is either the text's or the picture's.
    for (int32_t j = 0; j < e.Height; ++j)
        for (int32_t i = 0; i < e.Width; ++i)
            if (qAlpha(img.pixel(i, j)) >= 128) plat::SetPixelV(dc, x + i, y + j, colour);
}

}  // namespace yov
