#include "program/stock/stock_image.h"

#include <string>

#include "platform/raster.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"

namespace yov {

namespace {

constexpr int16_t kNoPictureFile = 32765;
constexpr int32_t kSiteWPic = 15007;

// WPic at the picture's size, cleared to white.
void sizeWPic(int32_t width, int32_t height) {
    PictureBox& p = WPic();
    if (p.box.dc.id == 0 || p.width != width || p.height != height) {
        DeleteMemoryDC(p.box);
        CreateMemoryDC(width, height, 32, p.box, plat::WHITENESS, kSiteWPic);
        p.width = width;
        p.height = height;
    } else {
        plat::PatBlt(p.box.dc, 0, 0, width, height, plat::WHITENESS);
    }
}

bool composed(int32_t n) {
    // Errors while building are the picture services' to tell; here they only mean "no".
    const int32_t partMark = picParts().StackCount;
    const int32_t slotMark = pictureSlots().StackCount;
    UseCanvas(7, kVehicleTransparent, 0, 0, 0);
    currentCanvas().fillPosition = 0;
    bool done = false;
    try {
        const int32_t part = LoadStockEntryPicture(n, u"");
        if (part != 0 && picParts().valid(part)) {
            const PicPart p = picParts()[part];
            if (p.Width > 0 && p.PartHeight > 0) {
                sizeWPic(p.Width, p.PartHeight);
                const CurrentCanvas& c = currentCanvas();
                plat::BitBlt(WPic().box.dc, 0, 0, p.Width, p.PartHeight, c.pictureDc, p.SrcX, p.PartY, plat::SRCCOPY);
                done = true;
            }
        }
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) {
            ReleaseToMark(partMark, slotMark);
            throw;
        }
    } catch (const std::exception&) {}
    // Only what this build made goes: other pictures on the stacks stay.
    ReleaseToMark(partMark, slotMark);
    return done;
}

bool ownPicture(int32_t n) {
    programState().Shared.TransparentColor = static_cast<int32_t>(kVehicleTransparent);
    try {
        std::u16string name;
        OpenPictureRef(name, 0, n);
        const PictureRef r = pictureRef();
        if (r.PicRefWidth < 1 || r.PicRefHeight < 1) return false;
        const int32_t width = r.PicRefCell != 0 ? r.PicRefCellWidth : r.PicRefWidth;
        const int32_t height = r.PicRefCell != 0 ? r.PicRefCellHeight : r.PicRefHeight;
        sizeWPic(width, height);
        DrawPicturePart(r.PicRefCache, WPic().box.dc.id, 0, 0, 0, width, height, name, 0);
        return true;
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
    } catch (const std::exception&) {}
    return false;
}

}  // namespace

PictureBox& WPic() {
    static PictureBox box;
    return box;
}

void FreeWPic() {
    PictureBox& p = WPic();
    DeleteMemoryDC(p.box);
    p = PictureBox{};
}

bool GenWImg(int32_t n) {
    ProgramState& st = programState();
    if (n < 1 || n > st.Shared.StockCount || !st.Arrays.Stock.has(n)) return false;
    const int32_t background = st.Shared.TransparentColor;
    bool done = false;
    try {
        done = st.Arrays.Stock[n].FileIndex >= kNoPictureFile ? composed(n) : ownPicture(n);
    } catch (...) {
        st.Shared.TransparentColor = background;
        throw;
    }
    st.Shared.TransparentColor = background;
    return done;
}

}  // namespace yov
