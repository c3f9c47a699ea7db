#include "program/trains/train_placement.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/canvas.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"
#include "program/core/params/param_table.h"
#include "program/scene/script_reader.h"
#include "program/scene/vehicle_build.h"
#include "program/trains/section_table.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/trains/fg_bg_areas.h"
#include "program/trains/line_area.h"
#include "program/trains/line_params.h"
#include "program/trains/part_states.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_picture_split.h"
#include "program/trains/train_start_state.h"

namespace yov {
namespace {

constexpr int32_t kPatternFlag = 0x40000000;
constexpr int16_t kTbgSpanFlags = 0x50;

TrainRec& rec(int32_t train) { return trains().at(train); }

bool given(std::u16string_view aliases) { return !GetParam(aliases, u"").empty(); }

// The section's default way text of a way letter ("ARTEML").
std::u16string sectWay(const SectRec& sect, char16_t letter) {
    const size_t i = kWayLetters.find(letter);
    return i == std::u16string_view::npos ? std::u16string() : sect.WayDefs[i];
}

// The way of the line: "W", else the way a vehicle asked for, else the way of the kind of
// line the composition's expansion found.
std::u16string chooseWay(const SectRec& sect) {
    std::u16string way = PickWeightedAlternative(GetParam(u"W", u""));
    if (way.empty()) way = vehicleBuild().DefaultW;
    if (!way.empty()) return way;
    switch (programState().Shared.ExpandState1) {
    case 5: return GetParam(u"WA", sectWay(sect, u'A'));
    case 3: return GetParam(u"WE", sectWay(sect, u'E'));
    case 10: return GetParam(u"WM", sectWay(sect, u'M'));
    case 2: return GetParam(u"WR", sectWay(sect, u'R'));
    case 6: return GetParam(u"WT", sectWay(sect, u'T'));
    case 11: return u"H";
    case 7: return u"F";
    default: return u" ";
    }
}

std::u16string expandWay(std::u16string way) {
    if (way.size() > 2 && way.front() == u'[') {
        way = ExpandText(way, programState().Shared.MacroCount | kPatternFlag);
        if (!way.empty() && way.front() == u'[') {
            // A block of parameters: its own "W" is read behind the one that held it.
            GetParam(u"W", u"");
            BlankFoundParam();
            ExpandParamText(way);
            return PickWeightedAlternative(GetParam(u"W", u""));
        }
    }
    const SharedState& shared = programState().Shared;
    if (shared.ExpandState2 != 0 && shared.ExpandState1 > 1 && way.size() == 1)
        way += u"L" + decimal(shared.ExpandState2);
    return way;
}

void paintArea(int32_t train, const SectRec& sect) {
    std::u16string way = expandWay(chooseWay(sect));
    const std::u16string colour = GetParam(u"BGC,BGCOLOR,BACKGROUND_COLOR", u"");
    if (!colour.empty()) ParseColor(colour, 0);  // validated only
    std::u16string fg = GetParam(u"FG,FOREGROUND", u"");
    std::u16string bg = GetParam(u"BG,BACKGROUND", u"");
    std::u16string points = GetParam(u"WP,WAYPOINT", u"");
    std::u16string tg;
    const int32_t line = rec(train).Line;
    PaintObject(rec(train), way, fg, line, bg, line, tg, 0, points);
}

// The temporary (or growable) background of the run, its span and its overlap.
void placeTempBackground(int32_t train, int32_t width) {
    std::u16string text = GetParam(u"TG,TBG,TEMPORARY_BACKGROUND", u"");
    const bool tgGiven = !text.empty();
    bool growable = false;
    if (!tgGiven) {
        text = GetParam(u"XG,XBG,GROWABLE_BACKGROUND", u"");
        growable = !text.empty();
    }
    if (!text.empty()) {
        rec(train).FgSpanBottom = 0;
        rec(train).FgSpanTop = rec(train).VehicleHeight;
        GetFgBg(text, rec(train), 0, layer_kind::kTemporary);
        rec(train).FgSpanBottom = 0;
        rec(train).FgSpanTop = rec(train).VehicleHeight;
    }
    bool hidden = false;
    if (!growable) {
        if (given(u"TGA,TBGA,TBGAFTER,TEMPORATY_BACKGROUND_AFTER"))
            rec(train).Flags |= train_flag::kTbgAfterTrains;
        else if (tgGiven || given(u"TGB,TBGB,TBGBEFORE,TEMPORARY_BACKGROUND_BEFORE"))
            rec(train).Flags &= ~train_flag::kTbgAfterTrains;
        // Without segments the span is empty, so that it can always be read.
        TrainRec& r = rec(train);
        const int32_t n = std::min<int32_t>(r.TgPieceCount, static_cast<int32_t>(r.TgPieces.size()) - 1);
        r.TbgFrom = n >= 1 ? r.TgPieces[1].Left : 0;
        r.TbgTo = n >= 1 ? r.TgPieces[static_cast<size_t>(n)].Right : 0;
        for (int32_t page = 0; page <= std::min<int32_t>(BookPages(showState()), kMaxBackPages - 1); ++page) {
            r.TbgBufferFrom[static_cast<size_t>(page)] = r.TbgFrom;
            r.TbgBufferTo[static_cast<size_t>(page)] = r.TbgTo;
        }
        SetLayerFlags(r, kTbgSpanFlags);
        hidden = given(u"TGH,TBGH,HIDE_TEMPORARY_BACKGROUND");
    }
    const double wanted = GetParamNumber(u"TO,TGO,TBGO,OVERLAP,TEMPORARY_BACKGROUND_OVERLAP", 0);
    int32_t overlap = std::isfinite(wanted) ? plat::clampToInt32(std::trunc(wanted)) : 0;
    if (overlap < 0)
        overlap = static_cast<int32_t>(std::clamp<int64_t>(int64_t{width} + overlap, INT32_MIN, INT32_MAX));
    TrainRec& r = rec(train);
    r.TbgOverlap = overlap;
    if (growable || hidden) r.LayerFlags &= ~layer_flag::kTemporary;
}

}  // namespace

int32_t PlaceTrain(int32_t train, std::u16string_view composition, std::u16string_view accel, std::u16string_view brake,
                   std::u16string_view speed, std::u16string_view direction) {
    // The section's values are copied: a frame step during the build may grow its table.
    const SectRec sect = sectRec(rec(train).Sect);
    TrainStartState& start = trainStart();
    if (!direction.empty())
        start.CurDirection = ParseDirection(GetParam(direction, sect.Direction), rec(train).Direction, 0);
    const bool painted = (rec(train).Flags & train_flag::kAreaPainted) != 0;
    if (!painted) {
        const double height = GetParamNumber(u"VH,IMGY,PATH,VEHICLE_HEIGHT", 0);
        if (std::isfinite(height) && height != 0) rec(train).VehicleHeight = plat::clampToInt32(std::trunc(height));
    }
    RebuildCanvas(0, rec(train).VehicleHeight);

    std::u16string name(composition);
    uint8_t allFlagged = 1;
    const int32_t picture = BuildTrainPicture(name, allFlagged);
    // The area's layers read their places in the way this unit runs ("@+" and the like).
    rec(train).Direction = start.CurDirection;
    if (!painted) paintArea(train, sect);
    placeTempBackground(train, trainPictures()[picture].Width);
    SplitTrainPicture(rec(train), picture, 1);

    const VehicleBuildState& vehicle = vehicleBuild();
    if (!speed.empty()) {
        const float v = GetParamOrRandom(speed, static_cast<float>(rec(train).SpeedDefault), sect.Speed);
        trainPictures()[picture].Speed = v;
        trainPictures()[picture].TargetSpeed = v;
    }
    const int32_t sectIndex = rec(train).Sect;
    if (!accel.empty()) {
        const float rate = GetParamNonZero(accel, vehicle.DefaultAcceleration, DefaultAccelText(sectIndex));
        trainPictures()[picture].AccelRate = rate;
    }
    if (!brake.empty()) {
        const float rate = GetParamNonZero(brake, vehicle.DefaultBraking, DefaultDecelText(sectIndex));
        trainPictures()[picture].BrakeRate = rate;
    }
    rec(train).Direction = start.CurDirection;
    return picture;
}

std::u16string DefaultAccelText(int32_t sect) {
    const std::u16string own = SectExists(sect) ? sectRec(sect).Accel : std::u16string();
    return own.empty() ? scriptReader().S.Run.Accel : own;
}

std::u16string DefaultDecelText(int32_t sect) {
    const std::u16string own = SectExists(sect) ? sectRec(sect).Decel : std::u16string();
    return own.empty() ? scriptReader().S.Run.Decel : own;
}

void CoupleTrainPictures(int32_t first, int32_t second, int16_t side, uint8_t noMove) {
    TrainPictureTable& t = trainPictures();
    if (!t.valid(first) || !t.valid(second)) return;
    t[first].CoupledId = second;
    t[second].Dir = t[first].Dir;
    if (noMove != 0) return;
    const int32_t left = side < 0 ? first : second;
    const int32_t right = side < 0 ? second : first;
    // The picture at the rear of the direction of travel is moved up against the other.
    if (t[first].Dir < 0)
        t[right].X = t[left].X + t[left].Width;
    else
        t[left].X = t[right].X - t[left].Width;
    LinkPartChain(left, right);
}

}  // namespace yov
