#include "program/core/pictures/canvas_buffers.h"

#include "program/core/texts/lang_texts.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/windows/msgbox.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/settings/window_placement.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/number_text.h"

namespace yov {
namespace {

constexpr int32_t kSmallClassWidth = 5000;
constexpr int32_t kMaxClasses = 10;
// The picture height when the stock sets none.
constexpr int32_t kDefaultUnit = 58;

bool g_classesHanded = false;

LvHandle TakeBuffer(int32_t width, int32_t height, int32_t kind) {
    if (!g_classesHanded) {
        g_classesHanded = true;
        const int32_t picture = programState().Shared.PictureHeight;
        const QSize screen = screenSizePx();
        const BufferClasses c = BufferClassesFor(picture > 0 ? picture : kDefaultUnit, screen.width(), screen.height());
        // The buffers are made compatible with the screen itself (DC 0).
        lv::InitBuffer(0, screen.width(), static_cast<int32_t>(c.heights.size()), c.heights.data(), nullptr,
                       c.widths.data());
    }
    return lv::AllocBuffer(width, height, kind);
}

// The engine's reason for the buffer it did not give.
std::u16string RefusalReason() {
    const int32_t code = lv::GetBufferError();
    switch (code) {
    case -10041: return u"all 256 buffer strips are in use";
    case -10042: return u"no memory for buffer records";
    case -10043: return u"no buffer class is that high";
    case -10044: return u"the raster could not make a buffer strip";
    default: return u"error " + decimal(code);
    }
}

}  // namespace

BufferClasses BufferClassesFor(int32_t unit, int32_t screenWidth, int32_t screenHeight) {
    BufferClasses c;
    for (int32_t h : {unit / 3, unit * 3 / 4, unit, unit * 3 / 2}) {
        c.heights.push_back(h);
        c.widths.push_back(kSmallClassWidth);
    }
    while (c.heights.back() < screenHeight && static_cast<int32_t>(c.heights.size()) < kMaxClasses) {
        int64_t next = int64_t{c.heights.back()} * 2;
        if (next * 5 >= int64_t{screenHeight} * 4) next = screenHeight;
        c.heights.push_back(static_cast<int32_t>(next));
        c.widths.push_back(screenWidth);
    }
    return c;
}

LvHandle AllocDrawBuffer(int32_t width, int32_t height, int32_t kind, int32_t) {
    const LvHandle buffer = TakeBuffer(width, height, kind);
    if (buffer == 0) ShowMsgBox(GetText(u"No buffer", u"No buffer"), msgbox::kOk);
    return buffer;
}

LvHandle AllocOwnedBuffer(int32_t width, int32_t height, int32_t kind, std::u16string_view owner) {
    const LvHandle buffer = TakeBuffer(width, height, kind);
    if (buffer == 0) {
        RaiseProgramError(u"No buffer of " + decimal(width) + u" x " + decimal(height) + u" pixels for " +
                          std::u16string(owner) + u": " + RefusalReason());
    }
    return buffer;
}

void FreeDrawBuffer(LvHandle& buffer) {
    if (buffer != 0) lv::FreeBuffer(&buffer);
    buffer = 0;
}

void ForgetBufferClasses() { g_classesHanded = false; }

}  // namespace yov
