#include "program/core/windows/utilities.h"

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QWidget>

#include <cmath>

#include "platform/numbers.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {
constexpr int32_t kLastMenuId = 16384;
}  // namespace

int32_t GetMaxCaptionWidth(std::span<QWidget* const> controls) {
    return GetMaxCaptionWidth(controls, QApplication::font());
}

int32_t GetMaxCaptionWidth(std::span<QWidget* const> controls, const QFont& font) {
    const QFontMetricsF metrics(font);
    double widest = 0;
    for (QWidget* control : controls) {
        if (control == nullptr) continue;
        const std::u16string caption = controlCaption(control).value_or(std::u16string());
        widest = std::max(widest, metrics.horizontalAdvance(toQString(caption)));
    }
    return plat::clampToInt32(widest);
}

int32_t GetMaxArrayValue(std::span<const double> values) {
    double largest = 0;
    for (double v : values) {
        if (v > largest) largest = v;
    }
    return plat::clampToInt32(largest);
}

plat::Random& programRandom() {
    static plat::Random random;
    return random;
}

int32_t GetRandomIndex(int32_t n, int32_t /*callSite*/) noexcept { return programRandom().nextIndex(n); }

int32_t GetTabbedTextWidth(const QFont& font, std::u16string_view text, int32_t& height) {
    const QFontMetricsF metrics(font);
    const double tab = 8 * metrics.averageCharWidth();
    double x = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(u'\t', start), text.size());
        x += metrics.horizontalAdvance(toQString(text.substr(start, end - start)));
        if (end == text.size()) break;
        if (tab > 0) x = (std::floor(x / tab) + 1) * tab;
        start = end + 1;
    }
    height = static_cast<int32_t>(std::ceil(metrics.height()));
    return static_cast<int32_t>(std::ceil(x));
}

std::u16string GetMenuTip(int32_t identifier) {
    if (identifier < 0 || identifier > kLastMenuId) return {};
    const std::u16string key = engine_calls::menuKey(identifier);
    if (key.empty()) return {};
    return GetText(key + u"_TIP", u"", kTextStemOnly);
}

std::u16string DoubleAmpersands(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        out += c;
        if (c == u'&') out += c;
    }
    return out;
}

std::u16string StripAmpersands(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c != u'&') out += c;
    }
    return out;
}

}  // namespace yov
