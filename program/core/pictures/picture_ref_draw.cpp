// Drawing the referenced picture, and the start-up tables of picture kinds the references read.

#include "program/core/binding/engine_binding.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

namespace {

constexpr int32_t kBeforeDrawSite = 10311;
constexpr int32_t kAfterDrawSite = 10312;

int32_t Limited(int32_t width, int32_t limit) { return width <= 0 || width > limit ? limit : width; }

}  // namespace

uint8_t PictureKindClass(int kind) {
    return kind >= 0 && kind < kPictureKinds ? programState().tables.PicKindClass[static_cast<size_t>(kind)] : 0;
}

std::u16string PictureKindExtension(int kind) {
    return kind >= 0 && kind < kPictureKinds ? programState().tables.PicKindExt[static_cast<size_t>(kind)]
                                             : std::u16string();
}

void DrawPicturePart(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest, int32_t width,
                     int32_t rows, std::u16string_view name, int32_t flags) {
    frameStep(kBeforeDrawSite);
    const PictureRef& r = pictureRef();
    int32_t result;
    if (r.PicRefCell != 0) {
        result = lv::GetPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, Limited(width, r.PicRefCellWidth),
                                    r.PicRefCellHeight, r.PicRefCellX, r.PicRefCellY, flags);
    } else {
        result = lv::GetPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, Limited(width, r.PicRefOpenWidth), rows, 0,
                                    r.PicRefOpenHeight - rows, flags);
    }
    if (result < 0) RaiseProgramError(FormatText(u"ERDP", {result, name}));
    frameStep(kAfterDrawSite);
}

}  // namespace yov
