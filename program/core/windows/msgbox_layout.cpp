#include "program/core/windows/msgbox_layout.h"

#include <algorithm>

#include "platform/numbers.h"

namespace yov {

MsgBoxLayout layoutMsgBox(const MsgBoxMeasures& m) {
    MsgBoxLayout out;
    int widest = 0;
    for (int i = 0; i < msgbox::kButtonCount; ++i) {
        out.shown[i] = (m.style & (1 << i)) != 0;
        if (!out.shown[i]) continue;
        ++out.count;
        widest = std::max(widest, m.captionWidths[i]);
    }
    out.buttonWidth = std::max(widest + kMsgBoxMargin, kMsgBoxMinButtonWidth);
    out.label = {kMsgBoxMargin, kMsgBoxMargin, m.textWidth, m.labelHeight};

    const int row = (out.count + 1) * kMsgBoxMargin + out.count * out.buttonWidth;
    out.innerWidth = std::max({m.textWidth + 2 * kMsgBoxMargin, kMsgBoxMinInnerWidth, row});
    const int top = m.labelHeight + 2 * kMsgBoxMargin;
    out.innerHeight = top + m.buttonHeight + kMsgBoxMargin;

    const double gap = static_cast<double>(out.innerWidth - out.count * out.buttonWidth) / (out.count + 1);
    int k = 0;
    for (int i = 0; i < msgbox::kButtonCount; ++i) {
        if (!out.shown[i]) continue;
        const double x = gap + k * (out.buttonWidth + gap);
        out.buttons[i] = {plat::clampToInt32(plat::roundHalfEven(x)), top, out.buttonWidth, m.buttonHeight};
        ++k;
    }
    return out;
}

}  // namespace yov
