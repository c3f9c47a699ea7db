#include "program/trains/temp_background.h"

#include <limits>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_picture.h"
#include "program/trains/area_templates.h"

namespace yov {

namespace {

constexpr int32_t kSiteGap = 10906;
constexpr int16_t kMeasureOnly = 0xC0;

// A position or size that no longer fits 32 bits is the runtime's overflow error.
int32_t Checked(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) {
        throw ProgramError(error_number::kOverflow, u"Overflow");
    }
    return static_cast<int32_t>(v);
}

int32_t GapOf(const std::u16string& item) {
    const double v = plat::roundHalfEven(plat::val(item));
    return Checked(static_cast<int64_t>(v));
}

struct Item {
    std::u16string name;
    std::u16string description;  // from the first "[" on, "[M]" in front for a mirrored one
    bool jpeg = false;
};

// Splits an expanded list entry into its picture name and description.
Item ItemOf(const std::u16string& entry) {
    Item item;
    std::u16string name = entry;
    bool mirrored = false;
    if (!name.empty() && name[0] == u'#') {
        name = plat::ltrim(std::u16string_view(name).substr(1));
        mirrored = true;
    }
    const size_t bracket = name.find(u'[');
    if (bracket != std::u16string::npos) {
        item.description = name.substr(bracket);
        name.resize(bracket);
    }
    if (mirrored) item.description = u"[M]" + item.description;
    item.name = name;
    const std::u16string upper = plat::ucase(name);
    item.jpeg = upper.size() >= 4 && upper.compare(upper.size() - 4, 4, u".JPG") == 0;
    return item;
}

// A relative JPEG name is taken from the stock folder.
std::string JpegPath(const std::u16string& name) {
    const std::u16string full = IsRootedPath(name) ? name : JoinFilePath(programState().scene.StockDir, name);
    return plat::resolvePath(plat::utf16ToUtf8(full));
}

// The picture box holds the JPEG last loaded in one strip; a run of the same file loads once.
struct JpegBox {
    std::string lastPath;
    bool any = false;

    void Load(const std::u16string& name, int32_t before, int32_t after) {
        const std::string path = JpegPath(name);
        if (any && path == lastPath) return;
        frameStep(before);
        LoadPictureFile(path, areaTemplates().General);  // a failed load is 0 x 0
        lastPath = path;
        any = true;
        frameStep(after);
    }
    const LoadedPicture& picture() const { return areaTemplates().General; }
};

// Loads or opens the item's picture for the measuring or the drawing pass; its size.
std::pair<int32_t, int32_t> OpenItem(Item& item, JpegBox& jpeg, bool measuring) {
    if (item.jpeg) {
        jpeg.Load(item.name, measuring ? strip_site::kJpegMeasureBefore : strip_site::kJpegDrawBefore,
                  measuring ? strip_site::kJpegMeasureAfter : strip_site::kJpegDrawAfter);
        return {jpeg.picture().width, jpeg.picture().height};
    }
    OpenPictureRef(item.name, measuring ? kMeasureOnly : int16_t{0}, 0);
    return {pictureRef().PicRefOpenWidth, pictureRef().PicRefOpenHeight};
}

}  // namespace

void LoadTempBackground(std::u16string& text, int32_t& width, int32_t& height, int32_t& animHead, int32_t ownerPart) {
    std::vector<std::u16string> list;
    const int32_t n = ExpandThroughEngine(text, programState().Shared.MacroCount, list);
    if (n < 0) RaiseProgramError(GetErrorNumberText(-n, text, 0));
    const int32_t count = std::min<int32_t>(n, static_cast<int32_t>(list.size()) - 1);

    width = 0;
    height = 0;
    JpegBox jpeg;
    // Measuring pass.
    int64_t total = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const std::u16string& entry = list[static_cast<size_t>(i)];
        if (plat::isNumeric(entry)) {
            total = static_cast<int64_t>(plat::roundHalfEven(static_cast<double>(total) + plat::val(entry)));
            continue;
        }
        Item item = ItemOf(entry);
        if (item.name.empty()) continue;
        const auto [w, h] = OpenItem(item, jpeg, true);
        total += w;
        if (h > height) height = h;
    }
    width = Checked(total);
    if (width <= 0) {
        width = 0;
        return;
    }

    CurrentCanvas& cc = currentCanvas();
    cc.fillPosition = 0;
    RebuildCanvas(width, height);
    cc.secondPosition = height;
    const int32_t stripTop = cc.height - height;  // the strip stands on the canvas's bottom
    const int32_t dc = cc.pictureDc.Value();
    const int32_t maskDc = cc.maskDc.Value();
    // What an earlier strip left there must not show through gaps or failed pictures.
    FillRectColor(cc.pictureDc, cc.maskDc, 0, stripTop, width, height, 0, plat::BLACKNESS, kSiteGap);
    int32_t x = 0;
    animHead = 0;
    int32_t lastSlot = 0;
    PictureSlotTable& slots = pictureSlots();

    for (int32_t i = 1; i <= count; ++i) {
        const std::u16string& entry = list[static_cast<size_t>(i)];
        if (plat::isNumeric(entry)) {
            const int32_t gap = GapOf(entry);
            FillRectColor(cc.pictureDc, cc.maskDc, x, stripTop, gap, height, 0, plat::BLACKNESS, kSiteGap);
            x = Checked(int64_t{x} + gap);
            continue;
        }
        Item item = ItemOf(entry);
        if (item.name.empty()) continue;
        const auto [w, h] = OpenItem(item, jpeg, false);
        if (!item.jpeg) {
            DrawPicturePart(pictureRef().PicRefCache, dc, maskDc, x, stripTop + height - h, w, h, item.name, 0);
        } else if (w > 0 && h > 0) {
            const LoadedPicture& p = jpeg.picture();
            CopyRectEx(dc, maskDc, x, stripTop + height - h, w, h, p.dcs.picture.dc.Value(), p.dcs.mask.dc.Value(), 0,
                       0, 1, 1, 0, 0, strip_site::kJpegDrawAfter);
        }
        cc.fillPosition = Checked(int64_t{x} + w);
        if (h < height)
            FillRectColor(cc.pictureDc, cc.maskDc, x, stripTop, w, height - h, 0, plat::BLACKNESS, kSiteGap);

        int32_t advance = w;
        if (!item.description.empty()) {
            frameStep(strip_site::kBeforeDescription);
            PicPartPool& parts = picParts();
            PicPart& scratch = parts[0];
            scratch.X = x;
            scratch.PartY = stripTop + height - h;
            scratch.Width = w;
            scratch.PartHeight = h;
            scratch.FirstSlot = 0;
            scratch.Attribute = parts.valid(ownerPart) ? parts[ownerPart].Attribute : 0;
            parts.CurPart = 0;  // new slots belong to no part yet
            int32_t bandHeight = height;
            BuildVehiclePicture(item.description, bandHeight, 0, 0);
            frameStep(strip_site::kAfterDescription);
            advance = picParts()[0].Width;
            const int32_t first = picParts()[0].FirstSlot;
            if (first != 0 && ownerPart == 0) RaiseProgramError(u"No animation is allowed on the temporary background");
            // Chain the description's slots onto the strip's chain, moved to the item's place.
            int32_t s = first;
            for (int32_t guard = 0; s != 0 && slots.valid(s) && guard <= slots.Count; ++guard) {
                const int32_t next = slots[s].NextSlot;
                slots[s].PosX = Checked(int64_t{slots[s].PosX} + x);
                slots[s].NextSlot = 0;
                if (lastSlot == 0) {
                    animHead = s;
                } else {
                    slots[lastSlot].NextSlot = s;
                }
                lastSlot = s;
                s = next;
            }
        }
        x = Checked(int64_t{x} + advance);
    }
    frameStep(strip_site::kAfterDrawing);
    width = x;
}

}  // namespace yov
