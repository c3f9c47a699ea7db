#include "program/show/show_font.h"

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
        return f;
    }();
    return font;
}

int32_t ShowFontLineHeight() {
    if (QGuiApplication::instance() == nullptr) return 0;
    return QFontMetrics(showFont()).height();
}

}  // namespace yov
