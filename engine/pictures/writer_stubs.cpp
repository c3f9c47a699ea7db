// Exports the library keeps for callers of earlier versions: they do nothing and answer -1.
#include "lumvatek/exports.h"

namespace {
constexpr LvResult kNotAvailable = -1;
}  // namespace

LV_EXPORT LvResult CollectZip(int32_t, int32_t, int32_t, int32_t, int32_t) noexcept { return kNotAvailable; }
LV_EXPORT LvResult PackZip(int32_t, int32_t, int32_t) noexcept { return kNotAvailable; }
LV_EXPORT LvResult WriteTSVPicture(int32_t, int32_t, int32_t) noexcept { return kNotAvailable; }
LV_EXPORT LvResult FinishZip(int32_t) noexcept { return kNotAvailable; }
LV_EXPORT LvResult MedianCut(int32_t) noexcept { return kNotAvailable; }
LV_EXPORT LvResult WriteGifPicture(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) noexcept {
    return kNotAvailable;
}
LV_EXPORT LvResult ConvertPicture() noexcept { return kNotAvailable; }
LV_EXPORT LvResult GenHist() noexcept { return kNotAvailable; }
LV_EXPORT LvResult InitMedianCut() noexcept { return kNotAvailable; }
LV_EXPORT LvResult TerminateMedianCut() noexcept { return kNotAvailable; }
