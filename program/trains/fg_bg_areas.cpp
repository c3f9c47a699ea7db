#include "program/trains/fg_bg_areas.h"

#include <algorithm>
#include <vector>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/show_data/show_state.h"
#include "program/core/startup/program_state.h"
#include "program/trains/area_templates.h"
#include "program/trains/bg_layers.h"
#include "program/trains/line_params.h"
#include "program/trains/temp_background.h"

namespace yov {

namespace {

constexpr int32_t kSiteStart = 10901;
constexpr int32_t kSitePlace = 10905;
constexpr int32_t kSiteStretch = 10908;
constexpr int32_t kSiteWindow = 21009;
constexpr int32_t kSiteSidePlace = 21010;
constexpr int32_t kSiteSceneStore = 32010;
constexpr int32_t kSitePiece = 29007;
constexpr int32_t kSiteSurfaceStore = 13014;
constexpr int32_t kStripCanvas = 5;
constexpr int32_t kReportFlags = 0x3000000;

// A range end or a place, read as the line readers read positions of the area's record.
int32_t Position(TrainRec& area, std::u16string_view text, int32_t length, int32_t& dir) {
    return EvalAreaPosition(area, text, length, dir);
}

int32_t Mod(int32_t a, int32_t b) { return b == 0 ? 0 : a % b; }

struct Placement {
    TrainRec& area;
    int32_t owner;
    uint8_t kind;
    LayerRecord& layer;

    // Clamps the range to the area and places the strip of the current canvas there.
    void Place(int32_t left, int32_t right, int32_t w, int32_t offset, int32_t y, int32_t h, int32_t anim) const {
        if (left < 0) {
            offset = static_cast<int32_t>((int64_t{offset} - left) % std::max(w, 1));
            left = 0;
        }
        right = std::min(right, area.Width);
        BuildBgLayers(area, left, right, w, offset, y, h, owner, kind, anim, layer);
    }
};

// Shrinks the strip in the current canvas to newW x newH through the service window's
// picture box.
void StretchStrip(int32_t w, int32_t h, int32_t newW, int32_t newH) {
    const CurrentCanvas& cc = currentCanvas();
    LoadedPicture& box = areaTemplates().General;
    FreeLoadedPicture(box);
    CreateCanvasDC(std::max(newW, 1), std::max(newH, 1), box.dcs, 32, 0, plat::BLACKNESS, kSiteStretch);
    box.width = newW;
    box.height = newH;
    const int32_t top = cc.height - h;
    plat::SetStretchBltMode(box.dcs.picture.dc, plat::HALFTONE);
    plat::StretchBlt(box.dcs.picture.dc, 0, 0, newW, newH, cc.pictureDc, 0, top, w, h, plat::SRCCOPY);
    plat::StretchBlt(box.dcs.mask.dc, 0, 0, newW, newH, cc.maskDc, 0, top, w, h, plat::SRCCOPY);
    frameStep(kSiteStretch);
    FillRectColor(cc.pictureDc, cc.maskDc, 0, top, w, h, 0, plat::BLACKNESS, kSiteStretch);
    plat::BitBlt(cc.pictureDc, 0, cc.height - newH, newW, newH, box.dcs.picture.dc, 0, 0, plat::SRCCOPY);
    plat::BitBlt(cc.maskDc, 0, cc.height - newH, newW, newH, box.dcs.mask.dc, 0, 0, plat::SRCCOPY);
}

// The visible blocks of a band, at most ten, 1..n (element 0 present).
std::vector<VisibleBlock> BlocksOf(const MaskedPicture& band, const TrainRec& area) {
    std::vector<int32_t> raw(static_cast<size_t>(kMaxLayerBlocks) * 4);
    const int32_t n = lv::VisibleBlocks(0, area.Width, area.VehicleHeight, static_cast<const uint8_t*>(band.mask.bits),
                                        0, 0, area.Width, area.VehicleHeight, raw.data(), kMaxLayerBlocks, kBlockGap);
    std::vector<VisibleBlock> blocks(1);
    for (int32_t i = 0; i < std::clamp(n, 0, kMaxLayerBlocks); ++i) {
        const int32_t* b = raw.data() + static_cast<size_t>(i) * 4;
        blocks.push_back(VisibleBlock{b[0], b[2], b[1], b[3]});
    }
    return blocks;
}

// A surface keyed on the show's key colour, cleared to it.
LvHandle KeyedSurface(int32_t width, int32_t height, int32_t site) {
    const LvHandle surface = lv::CreateSurface(width, height, displayState().KeyPixel, site);
    if (surface != 0) lv::FillSurface(surface, 0, 0, width, height, displayState().KeyPixel, 0, site);
    return surface;
}

// Every block of a band gets its own copy of the pixels in a draw buffer; in DirectDraw
// operation also a surface holding them over the key colour. 1..n, element 0 present.
std::vector<LayerPiece> PiecesOf(const MaskedPicture& band, const TrainRec& area, int32_t& count) {
    std::vector<LayerPiece> pieces(1);
    const std::vector<VisibleBlock> blocks = BlocksOf(band, area);
    for (size_t i = 1; i < blocks.size(); ++i) {
        const VisibleBlock& b = blocks[i];
        LayerPiece p;
        p.Left = b.Left;
        p.Right = b.Left + b.Width;
        p.Values[piece_value::kTop] = b.Top;
        p.Values[piece_value::kHeight] = b.Height;
        const LvHandle buffer = AllocDrawBuffer(b.Width, b.Height, 0, kSitePiece);
        p.Buffer = static_cast<int32_t>(buffer);
        if (buffer != 0) {
            LvHandle dc = 0, mask = 0;
            int32_t bx = 0, by = 0;
            lv::GetBufferData(buffer, &dc, &mask, &bx, &by, nullptr);
            p.Values[piece_value::kBufferX] = bx;
            p.Values[piece_value::kBufferY] = by;
            p.Values[piece_value::kBufferDC] = static_cast<int32_t>(dc);
            p.Values[piece_value::kBufferMaskDC] = static_cast<int32_t>(mask);
            CopyRectEx(static_cast<int32_t>(dc), static_cast<int32_t>(mask), bx, by, b.Width, b.Height,
                       band.picture.dc.Value(), band.mask.dc.Value(), b.Left, b.Top, 1, 1, 0, 0, kSitePiece);
        }
        if (programState().run.BatchMode != 0) {
            p.Surface = static_cast<int32_t>(KeyedSurface(b.Width, b.Height, kSitePiece));
            if (p.Surface != 0) {
                CopyRectEx(0, 0, 0, 0, b.Width, b.Height, band.picture.dc.Value(), band.mask.dc.Value(), b.Left, b.Top,
                           3, 0, static_cast<LvHandle>(p.Surface), 0, kSitePiece);
            }
        }
        pieces.push_back(p);
    }
    count = static_cast<int32_t>(pieces.size()) - 1;
    return pieces;
}

void ReadElement(std::u16string element, TrainRec& area, const Placement& place) {
    std::u16string pictures = element;
    std::u16string params;
    // The first ":" outside brackets: a picture's description ("[FL:...]") keeps its own.
    const int32_t colon = paramParser().Look(element, 1, static_cast<int32_t>(element.size()) + 1, u':');
    if (colon > 0) {
        pictures = plat::trim(std::u16string_view(element).substr(0, static_cast<size_t>(colon) - 1));
        params = plat::trim(std::u16string_view(element).substr(static_cast<size_t>(colon)));
    } else {
        pictures = plat::trim(element);
    }
    int32_t w = 0, h = 0, anim = 0;
    LoadTempBackground(pictures, w, h, anim, place.owner);
    if (w <= 0) return;

    ParamParser& parser = paramParser();
    parser.ParamText = params;
    parser.ParamPos = 1;
    std::u16string where = parser.GetStringParam(kParamRaw, 0);
    int16_t heightClass = 0;
    const int32_t vertical = parser.GetLetterNumber(heightClass, kNoValue, 0);
    std::u16string word = parser.GetStringParam(kParamRaw, 0);
    std::u16string p4 = parser.GetStringParam(kParamRaw, 0);
    std::u16string p5 = parser.GetStringParam(kParamRaw, 0);
    const int32_t vh = area.VehicleHeight;
    const bool given = vertical != kNoValue;
    int32_t y = heightClass == 0   ? (given ? vertical : 0)
                : heightClass == 1 ? (given ? vertical - h / 2 : (vh - h) / 2)
                                   : (given ? vertical - h : vh - h);

    if (plat::equalsNoCase(word, u"FIT") || plat::equalsNoCase(p4, u"FIT")) {
        int64_t newW = w, newH = h;
        if (y < area.AboveBase - 10 && int64_t{y} + h > area.AboveBase) {
            newH = area.AboveBase - y;
            newW = newH * w / h;
        }
        if (w > area.Width) {
            const int64_t hh = int64_t{h} * area.Width / w;
            if (area.Width < newW || hh < newH) {
                newW = area.Width;
                newH = hh;
            }
        }
        if ((newH < h || newW < w) && newW > 0 && newH > 0) {
            StretchStrip(w, h, static_cast<int32_t>(newW), static_cast<int32_t>(newH));
            w = static_cast<int32_t>(newW);
            h = static_cast<int32_t>(newH);
        }
        if (plat::equalsNoCase(word, u"FIT")) word.clear();
        p4.clear();
        p5.clear();
    }

    int32_t left = 0, right = 0, offset = 0;
    if (const size_t dots = where.find(u".."); dots == std::u16string::npos) {
        int32_t dir = 0;
        left = Position(area, where, w, dir);
        right = static_cast<int32_t>(std::min<int64_t>(int64_t{left} + w, INT32_MAX));
    } else {
        int32_t dirLeft = 0, dirRight = 0;
        left = Position(area, std::u16string_view(where).substr(0, dots), 0, dirLeft);
        right = Position(area, std::u16string_view(where).substr(dots + 2), 0, dirRight);
        const int32_t span = right - left;
        if (dirLeft % 2 != 0) {
            offset = 0;
        } else if (dirLeft == 2) {
            offset = w / 2;
        } else if (dirRight % 2 != 0) {
            offset = w - Mod(span, w);
        } else if (dirRight == 2) {
            offset = w - Mod(span + w / 2, w);
        } else {
            offset = (w - Mod(span, w)) / 2;
        }
    }

    frameStep(kSitePlace);
    if (word.empty()) {
        place.Place(left, right, w, offset, y, h, anim);
    } else if (word == u"<" || word == u">" || word == u"<>") {
        const int32_t first = p4.empty() ? 0 : plat::clampToInt32(paramParser().EvalNumber(p4).number());
        const int32_t second = p5.empty() ? 0 : plat::clampToInt32(paramParser().EvalNumber(p5).number());
        const int32_t c1 = word == u">" ? 0 : first;
        const int32_t c2 = word == u"<" ? 0 : word == u">" ? first : second;
        const int32_t shown = w - c1 - c2;
        if (shown <= 0) {
            FreePictureSlotChain(anim);
        } else if (shown < area.Width) {
            place.Place(left, left + shown, w, c1, y, h, anim);
        } else {
            place.Place(0, area.Width, w, c1 + GetRandomIndex(shown - area.Width, 0), y, h, anim);
        }
    } else if (word == u"*") {
        FreePictureSlotChain(anim);
    } else if (word == u"#") {
        const int32_t span = right - left;
        if (p4.empty()) {
            place.Place(left, right, w, GetRandomIndex(w, 0), y, h, anim);
        } else if (span <= w) {
            place.Place(left, right, w, GetRandomIndex(w - span, kSiteWindow), y, h, anim);
        } else {
            const int32_t r = GetRandomIndex(span - w, kSiteSidePlace);
            place.Place(left + r, left + r + w, w, 0, y, h, anim);
            // The side parts fill the room left and right of the main strip.
            auto side = [&](std::u16string text, int32_t from, int32_t to, bool flushRight) {
                if (to <= from) return;
                int32_t sw = 0, sh = 0, sideAnim = 0;
                LoadTempBackground(text, sw, sh, sideAnim, place.owner);
                if (sideAnim != 0) {
                    FreePictureSlotChain(sideAnim);
                    RaiseProgramError(u"No animation is allowed on the background side part");
                }
                if (sw <= 0) return;  // nothing to place flush, and no modulo of 0
                const int32_t sideOffset = flushRight ? Mod(sw - Mod(to - from, sw), sw) : 0;
                place.Place(from, to, sw, sideOffset, y, sh, 0);
            };
            side(p4, left, left + r, true);
            side(p5.empty() ? p4 : p5, left + r + w, right, false);
        }
    } else {
        const int32_t start = plat::clampToInt32(EvalRelativeValue(word, static_cast<double>(w)).number());
        place.Place(left, right, w, Mod(start, w), y, h, anim);
    }
}

void StoreLayer(TrainRec& area, int32_t owner, uint8_t kind, LayerRecord& layer) {
    PictureSlotTable& slots = pictureSlots();
    PicPartPool& parts = picParts();
    if ((kind == layer_kind::kBackground || kind == layer_kind::kForeground) && parts.valid(owner)) {
        // Every animation of the part keeps the scene background behind it.
        int32_t s = parts[owner].FirstSlot;
        for (int32_t guard = 0; slots.valid(s) && guard <= slots.Count; ++guard) {
            if (programState().run.BatchMode != 0) {
                PictureSlot& slot = slots[s];
                const LvHandle surface =
                    lv::CreateSurface(slot.FrameWidth, slot.FrameHeight, displayState().KeyPixel, kSiteSurfaceStore);
                slot.Surface2 = static_cast<int32_t>(surface);
                if (surface != 0) {
                    lv::DDBlt(surface, 0, 0, slot.FrameWidth, slot.FrameHeight, area.SceneSurface,
                              area.AreaLeftX + slot.PosX, area.BaseY - slot.PosY - slot.FrameHeight, 0,
                              kSiteSurfaceStore);
                }
                s = slot.NextSlot;
                continue;
            }
            const LvHandle buffer = AllocDrawBuffer(slots[s].FrameWidth, slots[s].FrameHeight, 0, kSiteSceneStore);
            PictureSlot& slot = pictureSlots()[s];
            slot.Buffer2 = static_cast<int32_t>(buffer);
            if (buffer != 0) {
                LvHandle dc = 0;
                int32_t bx = 0, by = 0;
                lv::GetBufferData(buffer, &dc, nullptr, &bx, &by, nullptr);
                CopyRectEx(static_cast<int32_t>(dc), 0, bx, by, slot.FrameWidth, slot.FrameHeight, area.SceneDC, 0,
                           area.AreaLeftX + slot.PosX, area.BaseY - slot.PosY - slot.FrameHeight, 1, 0, 0, 0,
                           kSiteSceneStore);
            }
            s = pictureSlots()[s].NextSlot;
        }
    }
    switch (kind) {
    case layer_kind::kTemporary: {
        // Without a band the span is empty (0, 0), so that it can always be read. A new
        // temporary background replaces the pieces of the one before and their grow copies.
        if (layer.Band.picture.dc) {
            FreeTempPieces(area);
            area.TgPieces = PiecesOf(layer.Band, area, area.TgPieceCount);
        }
        int32_t from = 0, to = 0;
        if (area.TgPieceCount > 0) {
            from = area.TgPieces[1].Left;
            to = area.TgPieces[static_cast<size_t>(area.TgPieceCount)].Right;
        }
        area.TbgFrom = from;
        area.TbgTo = to;
        for (int i = 0; i <= std::min<int32_t>(BookPages(showState()), kMaxBackPages - 1); ++i) {
            area.TbgBufferFrom[static_cast<size_t>(i)] = from;
            area.TbgBufferTo[static_cast<size_t>(i)] = to;
        }
        break;
    }
    case layer_kind::kBackground:
        if (!layer.BgBand.picture.dc) break;
        area.BgBlocks = BlocksOf(layer.BgBand, area);
        area.BgBlockCount = static_cast<int32_t>(area.BgBlocks.size()) - 1;
        DeleteCanvasDC(layer.BgBand);  // the pixels stay in the scene background
        break;
    case layer_kind::kForeground: {
        if (!layer.Band.picture.dc) break;
        area.FgPieces = PiecesOf(layer.Band, area, area.FgPieceCount);
        if (!parts.valid(area.FgPart)) break;
        int32_t s = parts[area.FgPart].FirstSlot;
        for (int32_t guard = 0; slots.valid(s) && guard <= slots.Count; ++guard) {
            PictureSlot& slot = slots[s];
            slot.OwnerBlock = 0;
            for (int32_t b = 1; b <= area.FgPieceCount; ++b) {
                const LayerPiece& k = area.FgPieces[static_cast<size_t>(b)];
                if (k.Left < slot.PosX + slot.FrameWidth && slot.PosX < k.Right) {
                    slot.OwnerBlock = b;
                    break;
                }
            }
            if (slot.OwnerBlock == 0) throw ProgramError(error_number::kMemoryOverflow, u"FgAnim Area not found");
            s = slot.NextSlot;
        }
        break;
    }
    default: break;
    }
}

void Report(int32_t site, std::u16string_view where) {
    if (currentPendingError().number == error_number::kReported) throw;
    ReportError(site, where, kReportFlags);
}

}  // namespace

void GetFgBg(std::u16string description, TrainRec& area, int32_t ownerPart, uint8_t kind) {
    if (description.empty()) return;
    ParamTable& table = paramTable();
    ParamParser& parser = paramParser();
    const int32_t savedBase = table.Base;
    const int32_t savedTop = table.Top;
    const std::u16string savedText = parser.ParamText;
    const int32_t savedPos = parser.ParamPos;
    struct Restore {
        ParamTable& t;
        ParamParser& p;
        int32_t base, top;
        const std::u16string& text;
        int32_t pos;
        ~Restore() {
            t.Base = base;
            t.Top = top;
            p.ParamText = text;
            p.ParamPos = pos;
        }
    } restore{table, parser, savedBase, savedTop, savedText, savedPos};
    table.Base = table.Top;

    LayerRecord layer;
    struct FreeLayer {
        LayerRecord& l;
        ~FreeLayer() { FreeLayerRecord(l); }
    } freeLayer{layer};

    const Placement place{area, ownerPart, kind, layer};
    try {
        frameStep(kSiteStart);
        SelectCanvas(kStripCanvas);
        std::u16string text = plat::trim(description);
        if (text.size() >= 2 && text.front() == u'(' && text.back() == u')')
            text = plat::trim(text.substr(1, text.size() - 2));
        int32_t pos = 1;
        const int32_t end = static_cast<int32_t>(text.size()) + 1;
        // Every token moves pos on by at least its delimiter, so the loop ends with the text.
        for (int32_t guard = 0; pos < end && guard <= end; ++guard) {
            std::u16string element = GetNextToken(text, pos, end, u";");
            if (!plat::trim(element).empty()) ReadElement(element, area, place);
        }
    } catch (...) {
        Report(31018, u" in GetFgBg Part 1");
    }
    if (kind != layer_kind::kBackground && kind != layer_kind::kForeground && kind != layer_kind::kTemporary) return;
    try {
        StoreLayer(area, ownerPart, kind, layer);
    } catch (...) {
        Report(31019, u" in GetFgBg Part 2");
    }
}

void FreeTempPieces(TrainRec& area) {
    for (auto [list, count] :
         {std::pair{&area.TgPieces, &area.TgPieceCount}, std::pair{&area.GrowPieces, &area.GrowPieceCount}}) {
        for (LayerPiece& p : *list) {
            LvHandle buffer = static_cast<LvHandle>(p.Buffer);
            FreeDrawBuffer(buffer);
            LvHandle surface = static_cast<LvHandle>(p.Surface);
            if (surface != 0) lv::DeleteSurface(&surface);
        }
        list->assign(1, LayerPiece{});
        *count = 0;
    }
}

void FreeLayerPieces(TrainRec& area) {
    FreeTempPieces(area);
    for (auto [list, count] : {std::pair{&area.FgPieces, &area.FgPieceCount}}) {
        for (LayerPiece& p : *list) {
            LvHandle buffer = static_cast<LvHandle>(p.Buffer);
            FreeDrawBuffer(buffer);
            LvHandle surface = static_cast<LvHandle>(p.Surface);
            if (surface != 0) lv::DeleteSurface(&surface);
        }
        list->assign(1, LayerPiece{});
        *count = 0;
    }
}

}  // namespace yov
