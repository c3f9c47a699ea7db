#include "program/stock/stock_scroll.h"

#include <algorithm>
#include <cstdlib>

#include "platform/numbers.h"

namespace yov {

StockScroll::StockScroll(ScrollBarPort& bar, std::function<void()> redraw) : bar_(bar), redraw_(std::move(redraw)) {}

int32_t StockScroll::BarValueOf(int32_t position, int32_t scrollMax) {
    // The quotient first, in double precision, as the bar has always been scaled.
    const double scale = static_cast<double>(kScrollBarRange) / scrollMax;
    const double v = plat::roundHalfEven((static_cast<double>(position) - 1) * scale + 1);
    // The last position maps below the bar's end, so the end itself stays a jump target.
    return static_cast<int32_t>(std::clamp(v, 1.0, static_cast<double>(kScrollBarRange - 1)));
}

int32_t StockScroll::PositionOf(int32_t barValue, int32_t scrollMax) {
    // The bar's end is the list's end; scaled, it would stop short of it by a bar value's worth.
    if (barValue >= kScrollBarRange) return scrollMax;
    const double scale = static_cast<double>(scrollMax) / kScrollBarRange;
    return plat::clampToInt32(plat::roundHalfEven((static_cast<double>(barValue) - 1) * scale + 1));
}

void StockScroll::SetValue(int32_t position) {
    TopEntry = position;
    if (ScrollMax < 1) return;
    if (ScrollMax <= kScrollBarRange) {
        bar_.setValue(position);
        return;
    }
    BarValue = BarValueOf(position, ScrollMax);
    if (bar_.value() == BarValue) {
        // Setting the bar to what it shows raises no change: ask for the redraw instead.
        if (redraw_) redraw_();
        return;
    }
    bar_.setValue(BarValue);
}

void StockScroll::SetMaximum(int32_t maximum) {
    if (maximum == ScrollMax) return;
    ScrollMax = maximum;
    // The position stays within the new range, so a window never shows rows past the end of
    // its list; the bar may move while its range changes, the position is the model's.
    const int32_t top = std::clamp(TopEntry, 1, std::max(maximum, 1));
    if (maximum <= kScrollBarRange) {
        bar_.setMaximum(std::max(maximum, 1));
        TopEntry = top;
        bar_.setValue(top);
        TopEntry = top;
        return;
    }
    bar_.setMaximum(kScrollBarRange);
    SetValue(top);
}

void StockScroll::Change() {
    const int32_t b = bar_.value();
    if (ScrollMax <= kScrollBarRange) {
        TopEntry = b;
        return;
    }
    const int32_t d = b - BarValue;
    if (d == 0) return;
    const int64_t wanted = std::abs(d) > StepLimit ? PositionOf(b, ScrollMax) : static_cast<int64_t>(TopEntry) + d;
    SetValue(static_cast<int32_t>(std::clamp<int64_t>(wanted, 1, ScrollMax)));
}

}  // namespace yov
