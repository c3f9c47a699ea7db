#include "program/show_data/show_font.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

namespace yov {

const QFont& showFont() {
    static const QFont font = [] {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(9);
        f.setWeight(QFont::Normal);
        f.setStyleStrategy(QFont::NoAntialias);
        // Whole-pixel advances, glyph by glyph, as a label is measured: laid out at the
        // font's fractional advances a space of 2.86 pixels shrank into the rounding of the
        // glyphs beside it and words ran together ("Regionaltrain").
        f.setHintingPreference(QFont::PreferFullHinting);
        return f;
    }();
    return font;
}

int32_t ShowFontLineHeight() {
    if (QGuiApplication::instance() == nullptr) return 0;
    return QFontMetrics(showFont()).height();
}

}  // namespace yov
