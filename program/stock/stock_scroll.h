// A stock window's scroll model: the catalogue's logical position (the entry shown in the
// first row) on a scroll bar of 16-bit values. A list of up to 8192 positions uses the bar
// as it is; a longer one is scaled onto bar values 1..8192, except that small bar steps
// (the arrows, a page) still move by whole entries, so every entry stays reachable.
#pragma once

#include <cstdint>
#include <functional>

namespace yov {

// The scroll bar VScr as the model sees it. Its minimum is 1. setValue of a value the bar
// does not show already raises the bar's change event (the owner's VScr_Change), as the
// window system does; setMaximum keeps the value within the new range.
class ScrollBarPort {
public:
    virtual ~ScrollBarPort() = default;
    virtual int32_t value() const = 0;
    virtual void setValue(int32_t value) = 0;
    virtual void setMaximum(int32_t maximum) = 0;
};

// The largest bar range used; positions beyond it are scaled.
inline constexpr int32_t kScrollBarRange = 8192;

class StockScroll {
public:
    // redraw: asks for the window's redraw where setting the bar would raise no change.
    StockScroll(ScrollBarPort& bar, std::function<void()> redraw);

    int32_t TopEntry = 0;   // the entry shown in the first row (VscrValue)
    int32_t BarValue = 0;   // the bar value last computed for a long list
    int32_t ScrollMax = 0;  // the last position (VscrMax)
    int32_t StepLimit = 1;  // largest bar step taken as a step of entries

    // VscrValue := position.
    void SetValue(int32_t position);
    // VscrMax := maximum; the position is kept within 1..maximum.
    void SetMaximum(int32_t maximum);
    // VscrChange: the bar moved; TopEntry follows it.
    void Change();

    // The bar value of a position of a long list (the mapping, on its own).
    static int32_t BarValueOf(int32_t position, int32_t scrollMax);
    // The position of a bar value of a long list.
    static int32_t PositionOf(int32_t barValue, int32_t scrollMax);

private:
    ScrollBarPort& bar_;
    std::function<void()> redraw_;
};

}  // namespace yov
