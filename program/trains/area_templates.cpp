#include "program/trains/area_templates.h"

#include <algorithm>
#include <cstdlib>

#include "platform/codepage.h"
#include "program/core/startup/startup.h"

namespace yov {

AreaTemplates& areaTemplates() {
    static AreaTemplates templates;
    return templates;
}

std::string BuiltinFolder() {
    if (const char* dir = std::getenv("YOV_BUILTIN_DIR"); dir != nullptr && *dir != 0) return dir;
    return plat::utf16ToUtf8(ProgramHome()) + "/data/builtin";
}

void LoadAreaTemplates() {
    AreaTemplates& t = areaTemplates();
    if (t.Loaded) return;
    const std::string folder = BuiltinFolder();
    for (int i = 0; i < kTrackTemplates; ++i) {
        LoadPictureFile(folder + "/track" + std::to_string(i) + ".gif", t.Track[i]);
    }
    LoadPictureFile(folder + "/structure.gif", t.Structure);
    LoadPictureFile(folder + "/support.gif", t.Support);
    t.Loaded = true;
}

void FreeAreaTemplates() {
    AreaTemplates& t = areaTemplates();
    for (LoadedPicture& p : t.Track) FreeLoadedPicture(p);
    FreeLoadedPicture(t.Structure);
    FreeLoadedPicture(t.Support);
    FreeLoadedPicture(t.General);
    t.Loaded = false;
}

int32_t TileMaskedPicture(const LoadedPicture& p, int32_t destDc, int32_t x, int32_t bottomY, int32_t totalWidth) {
    if (p.width < 1 || p.height < 1 || totalWidth < 1) return 0;
    const plat::HDC dest = plat::HDC::FromValue(destDc);
    const int32_t y = bottomY - p.height;
    // The mask turns into colour as black for clear (0) and white for opaque (1); AND with
    // its inverse keeps the destination where the picture is clear, and the picture (black
    // where clear) is ORed on top.
    const plat::COLORREF text = plat::SetTextColor(dest, plat::RGB(0, 0, 0));
    const plat::COLORREF back = plat::SetBkColor(dest, plat::RGB(255, 255, 255));
    for (int32_t x0 = 0; x0 < totalWidth; x0 += p.width) {
        const int32_t w = std::min(totalWidth - x0, p.width);
        plat::BitBlt(dest, x + x0, y, w, p.height, p.dcs.mask.dc, 0, 0, 0x00220326);
        plat::BitBlt(dest, x + x0, y, w, p.height, p.dcs.picture.dc, 0, 0, plat::SRCPAINT);
    }
    plat::SetTextColor(dest, text);
    plat::SetBkColor(dest, back);
    return p.height;
}

}  // namespace yov
