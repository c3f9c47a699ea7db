// The library draws with the program's raster objects (platform/raster_share.h).
#include "lumvatek/exports.h"
#include "platform/raster_share.h"

namespace {
// A drawing call's invalid-parameter failure, -(87) - 20000.
constexpr LvResult kErrOtherRaster = -20087;
}  // namespace

LvResult ShareRaster(void* table, uint32_t layout) noexcept {
    return plat::raster::UseTable(plat::raster::SharedTableRef{table, layout}) ? 0 : kErrOtherRaster;
}
