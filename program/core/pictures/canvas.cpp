#include "program/core/pictures/canvas.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/program_state.h"

namespace yov {
namespace {

constexpr int32_t kDefaultUnit = 58;
constexpr int32_t kSiteCanvas = 29001;
constexpr int32_t kSiteRebuilt = 29002;
constexpr int32_t kSiteKeepContent = 12002;
constexpr int32_t kSiteFillAbove = 18002;
constexpr int32_t kStepBeforeRebuild = 10001;
constexpr int32_t kStepAfterRebuild = 10002;

std::array<Canvas, kCanvasSlots>& slots() {
    static std::array<Canvas, kCanvasSlots> s;
    return s;
}

void makeCanvas(Canvas& c, uint32_t colour, int32_t width, int32_t height, uint8_t mode) {
    MaskedPicture made;
    CreateCanvasDC(width, height, made, 32, -1, 0, kSiteCanvas);
    c = Canvas{};
    c.picture = made.picture;
    c.mask = made.mask;
    c.colour = colour;
    c.width = width;
    c.height = height;
    c.secondPosition = height;
    c.inUse = 1;
    c.mode = mode;
}

// Deletes a canvas picture made aside unless it was taken over.
class PendingPicture {
public:
    explicit PendingPicture(MaskedPicture& p) : p_(p) {}
    ~PendingPicture() {
        if (!taken_) DeleteCanvasDC(p_);
    }
    PendingPicture(const PendingPicture&) = delete;
    PendingPicture& operator=(const PendingPicture&) = delete;
    void take() { taken_ = true; }

private:
    MaskedPicture& p_;
    bool taken_ = false;
};

}  // namespace

Canvas& canvasSlot(int slot) {
    if (slot < 0 || slot >= kCanvasSlots) throw std::out_of_range("canvas slot " + std::to_string(slot));
    return slots()[static_cast<size_t>(slot)];
}

CurrentCanvas& currentCanvas() {
    static CurrentCanvas current;
    return current;
}

int32_t canvasUnit() {
    const int32_t unit = programState().Shared.PictureHeight;
    return unit > 0 ? unit : kDefaultUnit;
}

void UseCanvas(int slot, uint32_t colour, int32_t width, int32_t height, uint8_t mode) {
    Canvas& c = canvasSlot(slot);
    if (width == 0) width = 8 * canvasUnit();
    if (height == 0) height = canvasUnit();
    if (c.inUse && c.width >= width && c.height >= height) {
        c.colour = colour;
        c.mode = mode;
    } else {
        FreeCanvas(slot);
        makeCanvas(c, colour, width, height, mode);
    }
    SelectCanvas(slot);
}

uint32_t SelectCanvas(int slot) {
    Canvas& c = canvasSlot(slot);
    if (!c.inUse) {
        makeCanvas(c, 0, 8 * canvasUnit(), canvasUnit(), 0);
    }
    CurrentCanvas& cur = currentCanvas();
    if (cur.slot != 0) {
        Canvas& previous = canvasSlot(cur.slot);
        previous.fillPosition = cur.fillPosition;
        previous.secondPosition = cur.secondPosition;
    }
    cur.slot = static_cast<uint8_t>(slot);
    cur.pictureDc = c.picture.dc;
    cur.maskDc = c.mask.dc;
    cur.pictureBits = c.picture.bits;
    cur.maskBits = c.mask.bits;
    cur.width = c.width;
    cur.height = c.height;
    cur.mode = c.mode;
    cur.fillPosition = c.fillPosition;
    cur.secondPosition = c.secondPosition;
    cur.colour = c.colour;
    programState().Shared.TransparentColor = static_cast<int32_t>(c.colour);
    return c.colour;
}

void FreeCanvas(int slot) {
    Canvas& c = canvasSlot(slot);
    if (!c.inUse) return;
    DeleteMemoryDC(c.picture);
    DeleteMemoryDC(c.mask);
    c = Canvas{};
    if (currentCanvas().slot == slot) currentCanvas() = CurrentCanvas{};
}

void RebuildCanvas(int32_t neededWidth, int32_t neededHeight) {
    CurrentCanvas& cur = currentCanvas();
    Canvas& c = canvasSlot(cur.slot);
    if (!c.inUse) return;
    const int32_t fill = cur.fillPosition;
    if (fill + neededWidth <= c.width && neededHeight <= c.height) return;
    drawingStep(kStepBeforeRebuild);

    const int32_t oldHeight = c.height;
    const int32_t newHeight = std::max(neededHeight, oldHeight);
    int32_t newWidth = c.width;
    if (fill + neededWidth > c.width) {
        const int32_t n = neededWidth;
        newWidth = n < 500 ? 2 * n + fill : n < 1000 ? n + fill + 500 : n + fill;
    }
    MaskedPicture made;
    CreateCanvasDC(newWidth, newHeight, made, 32, -1, 0, kSiteRebuilt);
    PendingPicture pending(made);
    if (fill > 0) {
        CopyRectEx(made.picture.dc.Value(), made.mask.dc.Value(), 0, newHeight - oldHeight, fill, oldHeight,
                   c.picture.dc.Value(), c.mask.dc.Value(), 0, 0, 1, 1, 0, 0, kSiteKeepContent);
        if (newHeight > oldHeight) {
            FillRectColor(made.picture.dc, made.mask.dc, 0, 0, fill, newHeight - oldHeight, c.colour, plat::BLACKNESS,
                          kSiteFillAbove);
        }
    }
    DeleteMemoryDC(c.picture);
    DeleteMemoryDC(c.mask);
    c.picture = made.picture;
    c.mask = made.mask;
    c.width = newWidth;
    c.height = newHeight;
    pending.take();
    // Selected before the step, so that the step never sees the deleted DCs as current.
    SelectCanvas(cur.slot);
    drawingStep(kStepAfterRebuild);
}

}  // namespace yov
