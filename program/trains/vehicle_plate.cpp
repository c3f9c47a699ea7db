#include "program/trains/vehicle_plate.h"

#include <algorithm>

#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/texts/descriptions.h"
#include "program/trains/train_records.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_buffer.h"
#include "program/trains/train_start_state.h"
#include "program/trains/train_text.h"

namespace yov {
namespace {

constexpr int32_t kSitePlateSurface = 13006;
constexpr int32_t kSitePlateCopy = 12067;
constexpr int32_t kSitePlateBuffer = 32013;
constexpr int32_t kPlateOwnerTag = 0x40000;
constexpr int32_t kSitePlateBox = 18030;

// The widest plate the part may carry.
int32_t widthLimit(int32_t part) {
    const int32_t own = picParts()[part].Width;
    if (trainBuild().FirstPart != 0) return own;
    switch (trainStart().TrainStartKind) {
    case 2: {
        const int32_t t = showState().CurTrain;
        return trains().valid(t) ? trains().at(t).Width : own;
    }
    case 3: return own + 25;
    default: return own;
    }
}

}  // namespace

void BuildVehiclePlate(int32_t part) {
    const int32_t stock = picParts()[part].StockIndex;
    const TrainPictureHooks& h = trainPictureHooks();
    const std::u16string text = plat::trim(h.plateText ? h.plateText(stock) : GetDescriptionText(stock, 1, u" "));
    if (text.empty()) return;
    const TextExtent e = MeasureShowText(text);
    int32_t width = e.Width + 4;
    const int32_t height = e.Height + 2;
    const int32_t limit = widthLimit(part);
    if (width + 4 > limit) width = limit - 4;
    if (width < 1) return;

    // Copies take frame steps, which may end the build: the box goes on every way out.
    struct Box {
        MemDC dc;
        ~Box() { DeleteMemoryDC(dc); }
    } owned;
    MemDC& box = owned.dc;
    CreateMemoryDC(width, height, 32, box, plat::WHITENESS, kSitePlateBox);
    const plat::COLORREF ink = plat::RGB(0, 0, 0);
    FillRectColor(box.dc, {}, 0, 0, width, 1, ink, 0, kSitePlateBox);
    FillRectColor(box.dc, {}, 0, height - 1, width, 1, ink, 0, kSitePlateBox);
    FillRectColor(box.dc, {}, 0, 0, 1, height, ink, 0, kSitePlateBox);
    FillRectColor(box.dc, {}, width - 1, 0, 1, height, ink, 0, kSitePlateBox);
    DrawShowText(box.dc, 2, 1, text, ink);

    PicPart& p = picParts()[part];
    p.PlateWidth = width;
    p.PlateHeight = height;
    const int32_t boxDc = box.dc.Value();
    if (currentDrawMode().DirectDraw) {
        const LvHandle surface = lv::CreateSurface(width, height, 0, kSitePlateSurface);
        picParts()[part].Surface2 = static_cast<int32_t>(surface);
        if (surface != 0) CopyRectEx(0, 0, 0, 0, width, height, boxDc, 0, 0, 0, 1, 0, surface, 0, kSitePlateCopy);
    } else {
        const TrainBufferView v = AllocTrainBuffer(width, height, kPlateOwnerTag + part, kSitePlateBuffer);
        PicPart& q = picParts()[part];
        q.Buffer2 = static_cast<int32_t>(v.Handle);
        q.PlateDC = v.DC;
        q.PlateMaskDC = v.MaskDC;
        q.PlateX = v.X;
        q.PlateY = v.Y;
        if (v.Handle != 0) CopyRectEx(v.DC, 0, v.X, v.Y, width, height, boxDc, 0, 0, 0, 1, 0, 0, 0, kSitePlateCopy);
    }
}

}  // namespace yov
