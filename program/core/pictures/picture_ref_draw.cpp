// Drawing the referenced picture, and the engine calls the references make.

#include "program/core/binding/engine_binding.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/util_hooks.h"

namespace yov {

namespace {

constexpr int32_t kBeforeDrawSite = 10311;
constexpr int32_t kAfterDrawSite = 10312;

int32_t Limited(int32_t width, int32_t limit) { return width <= 0 || width > limit ? limit : width; }

}  // namespace

PictureRefHooks::PictureRefHooks()
    : lookPicture([](const std::string& name, LvHandle module, int16_t* width, int16_t* height, int32_t* offset,
                     int32_t flags) { return lv::LookPicture(name.c_str(), module, width, height, offset, flags); }),
      openLib32([](const std::string& file, LvHandle* module) { return lv::OpenLib32(file.c_str(), module); }),
      getPartWithMsk([](int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest,
                        int32_t width, int32_t height, int32_t xSrc, int32_t ySrc, int32_t flags) {
          return lv::GetPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, width, height, xSrc, ySrc, flags);
      }),
      cleanCache([] { lv::CleanCache(); }) {}

PictureRefHooks& pictureRefHooks() {
    static PictureRefHooks hooks;
    return hooks;
}

void DrawPicturePart(int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t xDest, int32_t yDest, int32_t width,
                     int32_t rows, std::u16string_view name, int32_t flags) {
    frameStep(kBeforeDrawSite);
    const PictureRef& r = pictureRef();
    int32_t result;
    if (r.PicRefCell != 0) {
        result =
            pictureRefHooks().getPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, Limited(width, r.PicRefCellWidth),
                                             r.PicRefCellHeight, r.PicRefCellX, r.PicRefCellY, flags);
    } else {
        result =
            pictureRefHooks().getPartWithMsk(offset, pictureDc, maskDc, xDest, yDest, Limited(width, r.PicRefOpenWidth),
                                             rows, 0, r.PicRefOpenHeight - rows, flags);
    }
    if (result < 0) RaiseProgramError(FormatText(u"ERDP", {result, name}));
    frameStep(kAfterDrawSite);
}

}  // namespace yov
