#include "program/trains/train_records.h"

#include <algorithm>
#include <cmath>

#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/number_text.h"
#include "program/trains/train_picture.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/trains/show_queues.h"
#include "program/trains/area_painting.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/line_params.h"

namespace yov {

namespace {

constexpr int32_t kBgPartSite = 15008;
constexpr int32_t kFgPartSite = 15009;
constexpr int32_t kTextSurfaceSite = 19001;
constexpr int32_t kFgPieceSite = 19002;
constexpr int32_t kTgPieceSite = 19004;
constexpr int32_t kGrowPieceSite = 19005;
constexpr int32_t kSnowSurfaceSite = 19006;
constexpr int32_t kWorkDcSite = 29004;

int32_t& nextActive(TrainRec& r) { return r.NextActive; }

int32_t nearest(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::llrint(std::clamp(v, -2.0e9, 2.0e9)));
}

int32_t relative(const std::u16string& text, int32_t base) {
    return nearest(paramParser().EvalRelativeValue(text, static_cast<double>(base)).number());
}

bool isFull(const std::u16string& text) {
    const std::u16string t = plat::ucase(plat::trim(text));
    return t == u"FULL" || t == u"F";
}

}  // namespace

void FreeTrainSurface(int32_t& surface, int32_t site) {
    if (surface == 0) return;
    FreeSurface(static_cast<LvHandle>(surface), site);
    surface = 0;
}

void FreeTrainBuffer(int32_t& buffer) {
    if (buffer == 0) return;
    LvHandle handle = static_cast<LvHandle>(buffer);
    FreeDrawBuffer(handle);
    buffer = 0;
}

void FreePieceImages(std::vector<LayerPiece>& pieces, int32_t count, int32_t site) {
    const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(pieces.size()) - 1);
    for (int32_t i = 1; i <= n; ++i) {
        LayerPiece& p = pieces[static_cast<size_t>(i)];
        FreeTrainSurface(p.Surface, site);
        FreeTrainBuffer(p.Buffer);
    }
}

void ResetTrainTable() { trains() = TrainTable{}; }

int32_t NewTrainRec(int16_t flags) {
    TrainTable& t = trains();
    // The index is one byte: a 256th record cannot be told from record 0.
    if (t.FreeHead == 0 && t.Count >= kMaxTrainRecords) throw ProgramError(error_number::kOverflow, u"Overflow");
    const int32_t n = t.take(kTrainRecordGrowth, nextActive);
    TrainRec& rec = t.at(n);
    rec = TrainRec{};
    rec.Index = static_cast<uint8_t>(n);
    rec.State = train_state::kNew;
    rec.Flags = flags;
    if ((flags & (train_flag::kDependent | train_flag::kSceneRecord)) == 0) {
        const int32_t bg = AllocPicPart(static_cast<uint8_t>(n));
        picParts()[bg].Kind = kBgPartKind;
        trains().at(n).BgPart = bg;
        const int32_t fg = AllocPicPart(static_cast<uint8_t>(n));
        picParts()[fg].Kind = kFgPartKind;
        trains().at(n).FgPart = fg;
    }
    showState().CurTrain = n;
    return n;
}

std::u16string StartedTrainStepText(int32_t n) {
    TrainTable& t = trains();
    const int32_t cur = showState().CurTrain;
    if (!t.valid(cur) || n < 0 || n >= kStepTexts) return {};
    return t.at(cur).StepText[static_cast<size_t>(n)];
}

void RemoveTrain(int32_t train) {
    // A record already free would go on the free list twice and be handed out twice.
    if (trains().at(train).State == train_state::kFree) return;
    // Only a record that was on the active list is counted in its bands.
    TrainTable& table = trains();
    if (table.unlink(table.ActiveHead, train, nextActive) >= 0) AddActiveCount(table.at(train).Event, -1);
    {
        TrainRec& r = trains().at(train);
        const int32_t bg = r.BgPart;
        const int32_t fg = r.FgPart;
        r.BgPart = 0;
        r.FgPart = 0;
        if (bg != 0) FreePicPart(bg, kBgPartSite);
        if (fg != 0) FreePicPart(fg, kFgPartSite);
    }
    TrainRec& r = trains().at(train);
    FreeTrainSurface(r.TextSurface, kTextSurfaceSite);
    FreeTrainBuffer(r.TextBuffer);
    FreePieceImages(r.FgPieces, r.FgPieceCount, kFgPieceSite);
    r.BgBlocks.clear();
    r.BgBlockCount = 0;
    r.FgPieces.clear();
    r.FgPieceCount = 0;
    FreePieceImages(r.TgPieces, r.TgPieceCount, kTgPieceSite);
    r.TgPieces.clear();
    r.TgPieceCount = 0;
    FreePieceImages(r.GrowPieces, r.GrowPieceCount, kGrowPieceSite);
    const int32_t members = std::min<int32_t>(r.MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        int32_t picture = trains().at(train).Members[static_cast<size_t>(m)];
        trains().at(train).Members[static_cast<size_t>(m)] = 0;
        FreeTrainPicture(picture);
    }
    TrainRec& rr = trains().at(train);
    rr.MemberCount = 0;
    rr.GrowPieces.clear();
    rr.GrowPieceCount = 0;
    FreeTrainSurface(rr.SnowSurface, kSnowSurfaceSite);
    FreeTrainBuffer(rr.SnowBuffer);
    UnqueueTrain(train);
    TrainTable& t = trains();
    TrainRec& freed = t.at(train);
    freed.NextActive = t.FreeHead;
    t.FreeHead = train;
    freed.State = train_state::kFree;
    const int32_t event = freed.Event;
    freed.Event = 0;
    if (runQueue().valid(event)) ReleaseTimedEvent(event);
}

void InsertActiveTrain(int32_t train) {
    TrainTable& t = trains();
    // Linked twice, the list would loop.
    if (t.contains(t.ActiveHead, train, nextActive)) return;
    t.insertSorted(t.ActiveHead, train, nextActive, [](const TrainRec& r) { return r.BandTop; });
    AddActiveCount(t.at(train).Event, 1);
}

int32_t ComputeLineArea(LineSection& line, const LineSection& parent) {
    const int32_t pw = parent.Width;
    int32_t x = 0;
    int32_t w = pw;
    if (!line.X.empty()) {
        x = relative(line.X, pw);
        if (x > 0.9 * pw) x = nearest(0.9 * pw);
        if (!line.DX.empty()) {
            w = relative(line.DX, pw);
            if (int64_t{x} + w > pw) {
                const int64_t sum = int64_t{x} + w;
                x = sum != 0 ? nearest(static_cast<double>(x) * pw / static_cast<double>(sum)) : 0;
                w = pw - x;
            }
        } else {
            w = x <= 0.4 * pw ? pw - 2 * x : pw - x;
        }
    } else if (!line.DX.empty()) {
        w = relative(line.DX, pw);
        if (w > pw) {
            w = pw;
            x = 0;
        } else {
            x = (pw - w) / 2;
        }
    }
    line.Left = parent.Left + x;
    line.Width = w;
    int32_t h = parent.Height;
    if (!line.DY.empty()) {
        h = isFull(line.DY) ? parent.Height : relative(line.DY, parent.Height);
        if (h < parent.Vehicle + 2) h = parent.Vehicle + 2;
        if (h > parent.Height) h = parent.Height;
    }
    line.Height = h;
    return h;
}

void InitTrainFromSect(int32_t train, const LineSection& sect, int32_t above, int32_t vehicles, int32_t below) {
    TrainRec& r = trains().at(train);
    r.Sect = sect.Index;
    r.OriginX = sect.Left;
    r.Width = sect.Width;
    if (above < 0) above = sect.Above;
    if (vehicles < 0) vehicles = sect.Vehicle;
    if (below < 0) below = sect.Below;
    r.VehicleHeight = vehicles;
    const int64_t total = int64_t{above} + vehicles + below;
    if (total <= sect.Height) {
        r.BelowBase = below;
        r.AboveBase = above + vehicles;
    } else if (int64_t{above} + below == 0) {
        // No outer zone to take the excess from: the vehicle zone is cut to the section.
        static bool logged = false;
        if (!logged) {
            logged = true;
            WriteErrorLog(u"Section " + decimal(sect.Index) + u": vehicle height " + decimal(vehicles) +
                          u" is cut to the section height " + decimal(sect.Height));
        }
        r.VehicleHeight = sect.Height;
        r.BelowBase = 0;
        r.AboveBase = sect.Height;
    } else {
        const double excess = static_cast<double>(total - sect.Height);
        r.BelowBase = below - nearest(excess * below / (static_cast<double>(above) + below));
        r.AboveBase = sect.Height - r.BelowBase;
    }
    r.OriginY = r.BandTop + r.AboveBase;
    // A line without a direction of its own gets one when its train starts.
    const int16_t dir = lineReaders().ParseDirection(sect.DirectionText, 0, 0);
    trains().at(train).Direction = dir;
    if ((sect.Flags & kSectPaintAtSetUp) != 0) {
        // Its layers and points; no way of its own.
        std::u16string way, fg = sect.FgText, bg = sect.BgText, tg = sect.TgText, points = sect.PointText;
        PaintObject(trains().at(train), way, fg, sect.FgLine, bg, sect.BgLine, tg, sect.TgLine, points);
        trains().at(train).Flags |= train_flag::kAreaPainted;
    }
    InsertActiveTrain(train);
}

void StartSectLine(LineSection& line, const LineSection& scene, int32_t k, int32_t pitch, int32_t height,
                   int32_t& used) {
    if (k < 0 || k >= 32) return;  // the used mask has 32 lines
    const uint32_t bit = uint32_t{1} << k;
    uint32_t mask = static_cast<uint32_t>(used);
    if ((mask & bit) != 0) return;
    used = static_cast<int32_t>(mask | bit);
    ComputeLineArea(line, scene);
    const int32_t t = NewTrainRec(0);
    showState().CurTrain = t;
    const int32_t e = AddTimedEvent(event_kind::kTrainLine, t, scene.Event, line.Top + k * pitch, height);
    InitTrainFromSect(t, line, -1, -1, -1);
    trains().at(t).State = train_state::kAwaitLine;
    QueueDueEvent(e);
}

ClipSpan& clipSpan() {
    static ClipSpan span;
    return span;
}

bool ClipPictureSpan(int32_t train, int32_t slot, int16_t zone) {
    const TrainRec& r = trains().at(train);
    int64_t lo = 0;
    int64_t hi = 0;
    switch (zone) {
    case band_zone::kAbove:
        lo = r.VehicleHeight;
        hi = r.AboveBase;
        break;
    case band_zone::kVehicles:
        lo = 0;
        hi = r.VehicleHeight;
        break;
    default:
        lo = -int64_t{r.BelowBase};
        hi = 0;
        break;
    }
    PictureSlotTable& table = pictureSlots();
    if (!table.valid(slot)) {
        throw ProgramError(error_number::kSubscript, u"Picture slot " + decimal(slot) + u" out of range");
    }
    const PictureSlot& s = table[slot];
    const int64_t from = std::max<int64_t>(lo, s.PosY);
    const int64_t to = std::min<int64_t>(hi, int64_t{s.PosY} + s.FrameHeight);
    ClipSpan& span = clipSpan();
    span.ClipStart = static_cast<int32_t>(from);
    span.ClipLength = to > from ? static_cast<int32_t>(to - from) : 0;
    return to > from;
}

void CreateCompositionDC(int32_t width, int32_t height) {
    MemDC& work = showState().CompositionDC;
    DeleteMemoryDC(work);  // a second creation must not leak the first
    CreateMemoryDC(width, height, 0, work, 0, kWorkDcSite);
}

void DeleteCompositionDC() { DeleteMemoryDC(showState().CompositionDC); }

}  // namespace yov
