#include "program/show/show_font.h"

#include <QFont>

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

}  // namespace yov
