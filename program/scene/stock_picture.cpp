// The picture of a stock entry: its base picture with an overlay, its running-phase
// pictures side by side and its pantograph, on the current canvas as one picture part.
#include "program/scene/stock_picture.h"

#include <algorithm>
#include <map>
#include <vector>

#include "lumvatek/shared.h"
#include "platform/numbers.h"
#include "platform/raster.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/vehicle_build.h"
#include "program/scene/vehicle_picture.h"

namespace yov {
namespace {

constexpr int16_t kRefBase = 1;
constexpr int16_t kRefOverlay = 2;
constexpr int16_t kRefPhase = 3;
constexpr int16_t kRefPantograph = 4;
constexpr int32_t kSiteColumnFill = 18020;
constexpr int32_t kSiteScaleBuffer = 28021;
constexpr int32_t kSitePhaseCell = 12051;
constexpr int32_t kSiteOverlayPaint = 12052;
constexpr int32_t kSitePantoRoof = 12049;
constexpr int32_t kSitePantoRaised = 12050;
constexpr int32_t kStepPantoFirst = 10711;
constexpr int32_t kStepPantoSecond = 10712;
constexpr int32_t kDefaultPixelsPerPhase = 3;
constexpr uint8_t kSourceOfItsOwn = 2;
constexpr int32_t kMaxFileIndex = 32764;
constexpr uint8_t kMarkLeft = 2;
constexpr uint8_t kMarkRight = 1;
constexpr uint8_t kRepeatedLeft = 4;
constexpr uint8_t kRepeatedRight = 8;
constexpr int32_t kMinPictureHeight = 30;
constexpr int32_t kMaxPictureHeight = 300;

int32_t StockPictureHeight() {
    return std::clamp(programState().Shared.PictureHeight > 0 ? programState().Shared.PictureHeight : 58,
                      kMinPictureHeight, kMaxPictureHeight);
}

// A number of a picture description, held to the range of every script and stock number.
int32_t Number(std::u16string_view text) { return plat::clampToInt32(paramParser().LeadingNumber(plat::trim(text))); }

// Position (1-based) of the first `what` outside brackets and quotes from start; 0 none.
int32_t Look(const std::u16string& text, int32_t start, char16_t what) {
    const int32_t found = engine_calls::rLook(text, start, 0, what);
    if (found < 0) RaiseProgramError(FormatText(u"MISB", {text}));
    return found;
}

// Cuts the sections (from the first "[") off a picture text.
std::u16string CutSections(std::u16string& text) {
    const size_t bracket = text.find(u'[');
    if (bracket == std::u16string::npos) return {};
    std::u16string sections = text.substr(bracket);
    text.erase(bracket);
    return sections;
}

// A leading "#" of a picture name: the picture is drawn mirrored.
bool TakeHash(std::u16string& name) {
    name = plat::trim(name);
    if (name.empty() || name.front() != u'#') return false;
    name.erase(0, 1);
    return true;
}

[[noreturn]] void NotInParent(std::u16string_view name) { RaiseProgramError(FormatText(u"OPNP", {name})); }

// The picture last opened drawn with its mask into a picture of its own size.
struct Drawn {
    MaskedPicture picture;
    int32_t width = 0;
    int32_t height = 0;
    Drawn() = default;
    Drawn(const Drawn&) = delete;
    Drawn& operator=(const Drawn&) = delete;
    ~Drawn() { DeleteCanvasDC(picture); }
};

void DrawOpened(Drawn& out, std::u16string_view name, bool mirrored) {
    const PictureRef& r = pictureRef();
    out.width = std::max(r.PicRefWidth, 1);
    out.height = std::max(r.PicRefHeight, 1);
    CreateCanvasDC(out.width, out.height, out.picture, 32, -1, 0, kSiteScaleBuffer);
    DrawPicturePart(r.PicRefCache, out.picture.picture.dc.id, out.picture.mask.dc.id, 0, 0, 0, r.PicRefHeight, name,
                    mirrored ? 1 : 0);
}

// Paints the drawn picture through its mask onto the canvas at (x, y), kept inside the
// rectangle of the picture being built: offsets from a description may point anywhere.
void PaintClipped(const Drawn& d, int32_t x, int32_t y, int32_t clipLeft, int32_t clipTop, int32_t clipWidth,
                  int32_t clipHeight) {
    const int32_t left = std::max(x, clipLeft), top = std::max(y, clipTop);
    const int64_t right = std::min<int64_t>(int64_t{x} + d.width, int64_t{clipLeft} + clipWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + d.height, int64_t{clipTop} + clipHeight);
    if (right <= left || bottom <= top) return;
    const CurrentCanvas& c = currentCanvas();
    CopyRectEx(c.pictureDc.id, c.maskDc.id, left, top, static_cast<int32_t>(right - left),
               static_cast<int32_t>(bottom - top), d.picture.picture.dc.id, d.picture.mask.dc.id, left - x, top - y, 2,
               1, 0, 0, kSiteOverlayPaint);
}

int32_t CurrentPartIndex() { return picParts().CurPart; }
PicPart& Part(int32_t index) { return picParts()[index]; }

// Where a phase picture goes: "<" the left edge, ">" the right edge, "*" or none centred,
// else the offsets before its name.
struct PhasePlace {
    char16_t align = u'*';
    int32_t x = 0;
    int32_t y = 0;
};

}  // namespace

int32_t LoadStockEntryPicture(int32_t n, std::u16string_view suffix) {
    ProgramState& st = programState();
    if (n < 1 || n > st.Shared.StockCount || !st.Arrays.Stock.has(n))
        RaiseProgramError(FormatText(u"PNF", {u"#" + plat::widen(std::to_string(n))}));
    const StockEntry& e = st.Arrays.Stock[n];
    std::u16string description;
    if (static_cast<uint16_t>(e.FileIndex) == kFileIndexMacro) {
        description = e.Text2 + std::u16string(suffix);
    } else {
        description = plat::trim(e.Name + e.Text3 + std::u16string(suffix));
    }
    return LoadStockPicture(description, 0, 0, 0);
}

int32_t LoadStockPicture(std::u16string_view description, int32_t maxHeight, uint8_t options, int32_t scale) {
    if (description.empty()) return 0;
    PictureBuildState& b = pictureBuildState();
    if ((options & 1) == 0) {
        b.PictureSource = 0;
        b.PaletteCount = 0;
        b.PictureFlags = 0;
        b.DataLength = 0;
        b.PictureMarks = 0;
        b.PhaseNumber = 0.0f;
        b.HashFlag = 0;
        b.TallestHeight = 0;
        b.TallestPlain = 0;
        // The description's flags are the vehicle's: a new one starts without them.
        vehicleBuild().PictureFlags = 0;
    }
    b.PhaseCount = 0;
    b.WidthBudget = scale;
    const std::u16string text = plat::ucase(description);
    const int32_t limit = maxHeight != 0 ? maxHeight : StockPictureHeight();

    // The first picture, its sections, its pantograph and its overlay.
    const int32_t plus = Look(text, 1, u'+');
    std::u16string first = plus > 0 ? text.substr(0, static_cast<size_t>(plus) - 1) : text;
    std::u16string further = plus > 0 ? text.substr(static_cast<size_t>(plus)) : std::u16string();
    const std::u16string sections = CutSections(first);
    std::u16string pantograph;
    uint8_t mark = 0;
    size_t markAt = first.find(u'<');
    if (markAt != std::u16string::npos) {
        mark = kMarkLeft;
    } else if ((markAt = first.find(u'>')) != std::u16string::npos) {
        mark = kMarkRight;
    }
    if (mark != 0) {
        pantograph = plat::ltrim(first.substr(markAt + 1));
        first.erase(markAt);
    }
    std::u16string overlay;
    int32_t overlayX = 0, overlayY = 0;
    const size_t colon = first.find(u':');
    if (colon != std::u16string::npos && colon + 1 > 2) {
        overlay = plat::trim(first.substr(0, colon));
        first.erase(0, colon + 1);
        const size_t second = first.find(u':');
        if (second != std::u16string::npos) {
            const std::u16string numbers = first.substr(second + 1);
            first.erase(second);
            const size_t third = numbers.find(u':');
            overlayX = Number(numbers.substr(0, third));
            if (third != std::u16string::npos) overlayY = Number(numbers.substr(third + 1));
        }
    }
    const bool mirrored = TakeHash(first);
    b.HashFlag = mirrored ? 1 : 0;

    // The base picture.
    std::u16string name = first;
    OpenPictureRef(name, kRefBase, 0);
    const int32_t width = pictureRef().PicRefWidth, height = pictureRef().PicRefHeight;
    b.BaseWidth = width;
    b.BaseHeight = height;
    b.PaletteCount = lv::GetPalNumEntries();
    b.PictureFlags = lv::GetPictureFlags();
    b.DataLength = lv::GetLastLength();
    if (pictureRef().PicRefStock != 0) NoteStockPictureSource(pictureRef().PicRefStock);
    if (width < 1 || height < 1) NotInParent(name);
    int32_t drawWidth = width, drawHeight = height;
    if (height > limit) {
        if ((b.PictureOptions & 1) != 0) {
            drawWidth = std::max(1, plat::clampToInt32(static_cast<double>(limit) * width / height));
            drawHeight = limit;
        } else {
            b.WidthBudget = plat::clampToInt32(static_cast<double>(scale) * height / limit);
        }
    }
    const int32_t part = AllocPicPart(0);
    picParts().CurPart = part;
    RebuildCanvas(drawWidth, std::max(drawHeight, limit));
    int32_t x0, top;
    {
        const CurrentCanvas& c = currentCanvas();
        x0 = c.fillPosition;
        top = c.height - drawHeight;
        // The column is cleared whole: pantographs and placed pictures reach above the picture.
        FillRectColor(c.pictureDc, c.maskDc, x0, 0, drawWidth, c.height, c.colour, plat::BLACKNESS, kSiteColumnFill);
    }
    {
        Drawn base;
        DrawOpened(base, name, mirrored);
        const CurrentCanvas& c = currentCanvas();
        if (drawWidth == width && drawHeight == height) {
            plat::BitBlt(c.pictureDc, x0, top, width, height, base.picture.picture.dc, 0, 0, plat::SRCCOPY);
            plat::BitBlt(c.maskDc, x0, top, width, height, base.picture.mask.dc, 0, 0, plat::SRCCOPY);
        } else {
            for (plat::HDC dc : {c.pictureDc, c.maskDc}) plat::SetStretchBltMode(dc, plat::COLORONCOLOR);
            plat::StretchBlt(c.pictureDc, x0, top, drawWidth, drawHeight, base.picture.picture.dc, 0, 0, width, height,
                             plat::SRCCOPY);
            plat::StretchBlt(c.maskDc, x0, top, drawWidth, drawHeight, base.picture.mask.dc, 0, 0, width, height,
                             plat::SRCCOPY);
        }
    }
    {
        PicPart& p = Part(part);
        p.StockIndex = pictureRef().PicRefStock;
        p.SrcX = x0;
        p.PartY = top;
        p.Width = drawWidth;
        p.PartHeight = drawHeight;
        p.PixelsPerFrame = kDefaultPixelsPerPhase;
        p.Flags |= 1;
    }
    // The canvas counts the picture as filled, so that growing it keeps the picture.
    currentCanvas().fillPosition = x0 + drawWidth;
    b.PartOriginX = x0;
    b.TallestHeight = std::max(b.TallestHeight, drawHeight);
    b.TallestPlain = std::max(b.TallestPlain, drawHeight);

    if (!overlay.empty()) {
        std::u16string overlayName = overlay;
        OpenPictureRef(overlayName, kRefOverlay, 0);
        if (int64_t{overlayX} + pictureRef().PicRefWidth > drawWidth) NotInParent(overlayName);
        Drawn o;
        DrawOpened(o, overlayName, false);
        PaintClipped(o, x0 + overlayX, top + drawHeight - overlayY - o.height, x0, top, drawWidth, drawHeight);
    }

    int32_t value = limit;
    const int32_t buildFlags = options & 1;
    if (!pantograph.empty()) LoadPantographPicture(pantograph, mark, -1, limit, 0);
    if (!sections.empty()) {
        BuildVehiclePicture(sections, value, 0, buildFlags);
        // The description may have cropped or grown the picture: the cells take its new size.
        x0 = Part(part).SrcX;
        drawWidth = std::max(Part(part).Width, 1);
        drawHeight = std::max(Part(part).PartHeight, 1);
    }

    // The phase pictures, one cell each to the right of the vehicle picture.
    PhasePlace place;
    int32_t pos = 1;
    const int32_t length = static_cast<int32_t>(further.size());
    while (!further.empty() && pos <= length + 1) {
        int32_t end = Look(further, pos, u'+');
        if (end <= 0) end = length + 1;
        std::u16string item = further.substr(static_cast<size_t>(pos) - 1, static_cast<size_t>(end - pos));
        pos = end + 1;
        const std::u16string phaseSections = CutSections(item);
        item = plat::trim(item);
        if (item.empty()) continue;
        const char16_t lead = item.front();
        if (lead == u'.') {
            if (b.PicturesOnly == 0) Part(part).PixelsPerFrame = plat::clampToByte(plat::val(item.substr(1)));
            continue;
        }
        if (lead == u'/') {
            b.PhaseNumber = static_cast<float>(plat::val(item.substr(1)));
            continue;
        }
        if (lead == u'<' || lead == u'>' || lead == u'*') {
            place.align = lead;
            item = plat::trim(item.substr(1));
            if (item.empty()) continue;
        } else if (item.find(u':') != std::u16string::npos) {
            const size_t last = item.rfind(u':');
            const std::u16string numbers = item.substr(0, last);
            item = item.substr(last + 1);
            const size_t between = numbers.find(u':');
            place.align = 0;
            place.x = Number(numbers.substr(0, between));
            place.y = between == std::u16string::npos ? 0 : Number(numbers.substr(between + 1));
        } else {
            place.align = u'*';
        }
        const bool phaseMirrored = TakeHash(item);
        OpenPictureRef(item, kRefPhase, 0);
        if (pictureRef().PicRefStock != 0) NoteStockPictureSource(pictureRef().PicRefStock);
        const int32_t k = ++b.PhaseCount;
        if (pictureRef().PicRefWidth > drawWidth || pictureRef().PicRefHeight > drawHeight)
            RaiseProgramError(FormatText(u"PHB", {item}));
        const int32_t cell = x0 + k * drawWidth;
        currentCanvas().fillPosition = cell;
        RebuildCanvas(drawWidth, std::max(drawHeight, limit));
        currentCanvas().fillPosition = cell + drawWidth;
        {
            const CurrentCanvas& c = currentCanvas();
            top = c.height - drawHeight;
            Part(part).PartY = top;
            FillRectColor(c.pictureDc, c.maskDc, cell, 0, drawWidth, c.height, c.colour, plat::BLACKNESS,
                          kSiteColumnFill);
            CopyRectEx(c.pictureDc.id, c.maskDc.id, cell, top, drawWidth, drawHeight, c.pictureDc.id, c.maskDc.id, x0,
                       top, 1, 1, 0, 0, kSitePhaseCell);
        }
        Drawn phase;
        DrawOpened(phase, item, phaseMirrored);
        int32_t px = place.x, py = place.y;
        if (place.align == u'<') {
            px = 0, py = 0;
        } else if (place.align == u'>') {
            px = drawWidth - phase.width, py = 0;
        } else if (place.align == u'*') {
            px = (drawWidth - phase.width) / 2, py = 0;
        }
        PaintClipped(phase, cell + px, top + drawHeight - py - phase.height, cell, top, drawWidth, drawHeight);
        if (!phaseSections.empty()) BuildVehiclePicture(phaseSections, value, static_cast<uint8_t>(k), buildFlags);
    }
    Part(part).RunFrames = static_cast<uint8_t>(std::min(b.PhaseCount, 255));

    std::u16string left = u"<", right = u">";
    MarkRepeatedSlots(part, left);
    MarkRepeatedSlots(part, right);
    picParts().CurPart = part;
    CurrentCanvas& c = currentCanvas();
    c.fillPosition = Part(part).SrcX + Part(part).Width * (1 + b.PhaseCount);
    c.secondPosition = std::max(c.secondPosition, Part(part).PartHeight);
    return part;
}

void LoadPantographPicture(std::u16string& name, uint8_t mark, int32_t y, int32_t heightLimit, int32_t /*extra*/) {
    PictureBuildState& b = pictureBuildState();
    const int32_t part = CurrentPartIndex();
    if (part < 1 || !picParts().valid(part)) NotInParent(name);
    int32_t offset = 0;
    bool hash = false;
    size_t lead = 0;
    name = plat::trim(name);
    for (; lead < name.size() && (name[lead] == u'^' || name[lead] == u'#'); ++lead) {
        if (name[lead] == u'^') offset = StockPictureHeight() - Part(part).PartHeight;
        if (name[lead] == u'#') hash = true;
    }
    name.erase(0, lead);
    OpenPictureRef(name, kRefPantograph, 0);
    if (b.PicturesOnly != 0) return;
    const int32_t pw = pictureRef().PicRefWidth, ph = pictureRef().PicRefHeight;
    const int32_t partWidth = Part(part).Width, partHeight = Part(part).PartHeight;
    const int32_t height = ph - offset;
    if (y < 0) y = partHeight - ph + offset;
    const int64_t topLine = int64_t{height} + y;
    if (pw > partWidth || topLine > heightLimit || height < 1 || pw < 2) NotInParent(name);
    const int32_t half = pw / 2;
    const int32_t x = (partWidth - pw) / 2;
    const bool mirror = ((mark & kMarkLeft) != 0) != hash;
    int32_t group = 0;
    for (int side = 0; side < 2; ++side) {
        const int32_t slot = AllocPictureSlot();
        frameStep(side == 0 ? kStepPantoFirst : kStepPantoSecond);
        {
            PictureSlot& s = pictureSlots()[slot];
            if (group == 0) group = slot;
            s.Name = u"|PAN: ";
            s.PosX = x + side * half;
            s.PosY = partHeight - static_cast<int32_t>(topLine);
            s.FrameWidth = half;
            s.FrameHeight = height;
            s.StepX = half;
            s.StepDelay = 1;
            s.LastFrame = 1;
            s.Flags = kSlotTransparent;
            s.GroupKey = group;
        }
        GetPictureSlotBuffer(slot, 2 * half, height);
        const PictureSlot s = pictureSlots()[slot];
        if (s.Buffer == 0) continue;
        // Frame 1 is the half raised over the vehicle, frame 0 the vehicle without it. A
        // mirrored picture's left half is its source's right half.
        const int32_t sourceX = mirror ? pw - (side + 1) * half : side * half;
        const int32_t drawn = lv::GetPartWithMsk(pictureRef().PicRefCache, static_cast<LvHandle>(s.BufDC),
                                                 static_cast<LvHandle>(s.BufMaskDC), s.BufX + half, s.BufY, half,
                                                 height, sourceX, offset, mirror ? 1 : 0);
        if (drawn < 0) RaiseProgramError(u"#" + plat::widen(std::to_string(drawn)) + u" loading " + name + u" image");
        const int32_t canvasX = Part(part).SrcX + s.PosX, canvasY = Part(part).PartY + s.PosY;
        const CurrentCanvas& c = currentCanvas();
        CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX, s.BufY, half, height, c.pictureDc.id, c.maskDc.id, canvasX, canvasY, 1,
                   1, 0, 0, kSitePantoRoof);
        CopyRectEx(s.BufDC, s.BufMaskDC, s.BufX + half, s.BufY, half, height, c.pictureDc.id, c.maskDc.id, canvasX,
                   canvasY, 12, 1, 0, 0, kSitePantoRaised);
        CreateAnimSurface(slot, 2 * half, height);
    }
}

void NoteStockPictureSource(int32_t n) {
    ProgramState& st = programState();
    if (n < 1 || n > st.Shared.StockCount || !st.Arrays.Stock.has(n)) return;
    const StockEntry& e = st.Arrays.Stock[n];
    int32_t v = e.Author;
    const int32_t file = static_cast<uint16_t>(e.FileIndex);
    if (v == 0 && file >= 1 && file <= kMaxFileIndex && file <= st.Shared.StockFileCount &&
        st.Arrays.StockFiles.has(file)) {
        if ((PictureKindClass(st.Arrays.StockFiles[file].Kind) & kSourceOfItsOwn) != 0) v = -file;
    }
    int32_t& note = pictureBuildState().PictureSource;
    if (note != v) note = note != 0 ? -1 : v;
}

void MarkRepeatedSlots(int32_t partIndex, std::u16string& mark) {
    PicPartPool& parts = picParts();
    if (!parts.valid(partIndex) || mark.empty()) return;
    PictureSlotTable& t = pictureSlots();
    const uint8_t flag = mark == u"<" ? kRepeatedLeft : kRepeatedRight;
    std::map<int32_t, int32_t> perGroup;
    std::vector<int32_t> chain;
    for (int32_t s = parts[partIndex].FirstSlot; s != 0 && t.valid(s) && chain.size() <= static_cast<size_t>(t.Count);
         s = t[s].NextSlot) {
        chain.push_back(s);
        if (t[s].GroupKey != 0 && t[s].Name.find(mark) != std::u16string::npos) ++perGroup[t[s].GroupKey];
    }
    for (int32_t s : chain) {
        auto it = perGroup.find(t[s].GroupKey);
        if (it != perGroup.end() && it->second > 1) t[s].Flags |= flag;
    }
}

}  // namespace yov
