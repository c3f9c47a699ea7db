// Frames of moving parts and their step programs.
#include "program/scene/anim_frames.h"

#include <algorithm>
#include <string>

#include "lumvatek/exports.h"
#include "platform/codepage.h"
#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/scene/part_area.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_items.h"

namespace yov {

namespace {

// Frames a slot can hold: its frame counters are bytes, and frame 255 means none.
constexpr int32_t kMaxFrames = 249;

void SetFrames(PictureSlot& s, const FrameLayout& layout) {
    s.FrameWidth = layout.width;
    s.FrameHeight = layout.height;
    s.SrcX = layout.firstX;
    s.SrcY = layout.firstY;
    s.StepX = layout.stepX;
    s.StepY = layout.stepY;
    s.StepDelay = std::max(1, layout.time);
    s.LastFrame = static_cast<uint8_t>(std::clamp(layout.count, 1, kMaxFrames) - 1);
}

// The slot's frames from the layout, standing at (x, y) of the part and drawn through its
// mask; a copy of the slot as it is then.
PictureSlot StandSlot(int32_t slot, const FrameLayout& layout, int32_t x, int32_t y) {
    PictureSlot& s = pictureSlots()[slot];
    SetFrames(s, layout);
    s.PosX = x;
    s.PosY = y;
    s.Flags |= kSlotTransparent;
    return s;
}

}  // namespace

void ReadFrameLayout(FrameLayout& layout, int32_t pictureWidth, int32_t pictureHeight) {
    layout.width = ItemNumber(layout.width > 0 ? layout.width : pictureWidth, plist::W);
    layout.height = ItemNumber(layout.height > 0 ? layout.height : pictureHeight, plist::H);
    layout.firstX = ItemNumber(layout.firstX, plist::FX);
    layout.firstY = ItemNumber(layout.firstY, plist::FY);
    layout.time = ItemNumber(layout.time, plist::T);
    layout.count = ItemNumber(layout.count, plist::Frames);
    layout.stepX = ItemNumber(layout.stepX != 0 ? layout.stepX : layout.width, plist::StepX);
    layout.stepY = ItemNumber(layout.stepY, plist::StepY);
    if (layout.width < 1 || layout.height < 1) RaiseProgramError(u"Animation picture is smaller as needed");
    if (layout.count <= 0) {
        // As many frames as the picture holds along the step.
        int64_t n = 1;
        if (layout.stepX > 0)
            n = (int64_t{pictureWidth} - layout.firstX - layout.width) / layout.stepX + 1;
        else if (layout.stepY > 0)
            n = (int64_t{pictureHeight} - layout.firstY - layout.height) / layout.stepY + 1;
        layout.count = static_cast<int32_t>(std::clamp<int64_t>(n, 1, kMaxFrames));
    }
    layout.count = std::min(layout.count, kMaxFrames);
}

void ExtractPantographParts(int32_t slot, int16_t mirror, FrameLayout& layout, int32_t x, int32_t y) {
    const PictureRef ref = pictureRef();
    const int32_t w = std::max(1, ref.PicRefOpenWidth);
    const int32_t h = std::max(1, ref.PicRefOpenHeight);
    drawingStep(10601);
    GetPictureSlotBuffer(slot, w, h);
    const PictureSlot s = StandSlot(slot, layout, x, y);
    if (s.BufDC != 0) {
        FillRectColor(plat::HDC{static_cast<uint32_t>(s.BufDC)}, plat::HDC{static_cast<uint32_t>(s.BufMaskDC)}, s.BufX,
                      s.BufY, w, h, currentCanvas().colour, plat::BLACKNESS, 18003);
        DrawPicturePart(ref.PicRefCache, static_cast<LvHandle>(s.BufDC), static_cast<LvHandle>(s.BufMaskDC), s.BufX,
                        s.BufY, 0, h, u"", 0);
    }
    drawingStep(10602);
    if (mirror != 0 && s.BufDC != 0) {
        // Each frame turned round where it stands.
        for (int32_t k = 0; k <= s.LastFrame; ++k) {
            const int64_t fx = int64_t{s.SrcX} + int64_t{s.StepX} * k;
            const int64_t fy = int64_t{s.SrcY} + int64_t{s.StepY} * k;
            // Frames outside the picture are refused by CreateAnimSurface below.
            if (fx < 0 || fy < 0 || fx + s.FrameWidth > w || fy + s.FrameHeight > h) continue;
            MirrorArea(s.BufDC, s.BufMaskDC, s.BufX + static_cast<int32_t>(fx), s.BufY + static_cast<int32_t>(fy),
                       s.FrameWidth, s.FrameHeight, 12022);
        }
    }
    drawingStep(10603);
    CreateAnimSurface(slot, w, h);
}

void DrawSlotFrames(int32_t slot, FrameLayout& layout, int32_t x, int32_t y) {
    const PartArea a = CurrentPartArea();
    // The frames' cells side by side, as large as the part allows.
    auto extent = [&](int32_t first, int32_t step, int32_t size, int32_t limit) {
        const int64_t e = int64_t{first} + int64_t{step} * (layout.count - 1) + size;
        return static_cast<int32_t>(std::clamp<int64_t>(e, 1, std::max<int64_t>(1, int64_t{limit} * kMaxFrames)));
    };
    const int32_t w = extent(layout.firstX, layout.stepX, layout.width, a.width);
    const int32_t h = extent(layout.firstY, layout.stepY, layout.height, a.height);
    GetPictureSlotBuffer(slot, w, h);
    const PictureSlot s = StandSlot(slot, layout, x, y);
    const CurrentCanvas& c = currentCanvas();
    if (s.BufDC != 0) {
        for (int32_t k = 0; k <= s.LastFrame; ++k)
            CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX + s.SrcX + s.StepX * k, s.BufY + s.SrcY + s.StepY * k, s.FrameWidth,
                       s.FrameHeight, static_cast<int32_t>(c.pictureDc.id), static_cast<int32_t>(c.maskDc.id), a.x + x,
                       a.y + y, 1, 1, 0, 0, 12003);
    }
    // The part now moves in its slot: the picture under it is no longer drawn.
    FillRectColor(plat::HDC{}, c.maskDc, a.x + x, a.y + y, s.FrameWidth, s.FrameHeight, 0, plat::BLACKNESS, 18003);
    CreateAnimSurface(slot, w, h);
}

void CompileAnimScript(int32_t slot) {
    PictureSlotTable& t = pictureSlots();
    std::u16string labels;
    int32_t offset = 0;
    bool compiled = false;
    for (int32_t i = 1; i <= t.LabelCount; ++i) {
        std::u16string& mode = t.AnimLabelMode[static_cast<size_t>(i)];
        const char16_t first = mode.empty() ? u' ' : mode.front();
        PictureSlot& s = t[slot];
        if (first == u'P') {
            const int32_t next =
                lv::CompileAnim(plat::encodeCodePage(mode, plat::CodePage::Windows1252).c_str(), offset);
            if (next < 0) {
                t[slot].AnimProgram.clear();
                RaiseProgramError(GetText(u"EANIM", u"Error in animation program"));
            }
            mode = u"P" + decimal(offset);
            if (i == t.DefaultLabel) {
                s.State = kSlotProgram;
                s.AnimPC = static_cast<int16_t>(offset);
                s.LoopDepth = 0;
                s.AnimTarget = 0;
            }
            offset = next;
            compiled = true;
        } else if (i == t.DefaultLabel && (first == u'F' || first == u'B')) {
            s.AnimFrame = first == u'F' ? s.LastFrame : 0;
            s.InitFrame = s.AnimFrame;
            s.LayerTable.fill(255);
        } else if (i == t.DefaultLabel && first == u'C') {
            s.State = kSlotCycling;
        }
        labels += u'|';
        labels += t.AnimLabelName[static_cast<size_t>(i)];
        labels += u':';
        labels += mode;
    }
    PictureSlot& s = t[slot];
    s.Name = labels;
    if (compiled) {
        s.AnimProgram.assign(static_cast<size_t>(offset), 0);
        const int32_t n = lv::GetCompiled(s.AnimProgram.data(), offset);
        s.AnimProgram.resize(static_cast<size_t>(std::clamp(n, 0, offset)));
    }
}

}  // namespace yov
