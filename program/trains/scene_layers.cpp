#include "program/trains/scene_layers.h"

#include <string>

#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas_copy.h"
#include "program/core/pictures/picture_ref.h"
#include "program/scene/scene_records.h"
#include "program/trains/section_table.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/core/startup/program_state.h"
#include "program/show_data/display_state.h"
#include "program/trains/fg_bg_areas.h"
#include "program/trains/line_area.h"

namespace yov {

namespace {

constexpr int32_t kSiteCatchUp = 10803;
constexpr int16_t kScenePainted = 16;

// A foreground part for a record whose layer text asks for one: its animations need an owner.
void giveForegroundPart(int32_t train, const std::u16string& text) {
    if (text.empty() || picParts().valid(trains().at(train).FgPart)) return;
    const int32_t fg = AllocPicPart(static_cast<uint8_t>(train));
    picParts()[fg].Kind = kFgPartKind;
    trains().at(train).FgPart = fg;
}

}  // namespace

void PaintSceneBackground(int32_t scene) {
    // Copies: a frame step while the layer builds may grow the section table.
    std::u16string bg = sectRec(trains().at(scene).Sect).Background;
    const int32_t bgLine = sectRec(trains().at(scene).Sect).BackgroundOwner;
    std::u16string way, fg, tg, points;
    PaintObject(trains().at(scene), way, fg, 0, bg, bgLine, tg, 0, points);
}

void PaintScenePath(int32_t path) {
    const SectRec sect = sectRec(trains().at(path).Sect);
    std::u16string way = sect.Way, fg = sect.Foreground, bg = sect.Background, tg = sect.TempBackground;
    giveForegroundPart(path, fg);
    PaintPathOverScene(trains().at(path), way, fg, sect.ForegroundOwner, bg, sect.BackgroundOwner, tg,
                       sect.TempBackgroundOwner);
}

void PaintSceneForeground(int32_t scene) {
    std::u16string fg = sectRec(trains().at(scene).Sect).Foreground;
    giveForegroundPart(scene, fg);
    if (!fg.empty()) {
        TrainRec& r = trains().at(scene);
        r.FgText = fg;
        r.FgLine = sectRec(r.Sect).ForegroundOwner;
        r.FgSpanBottom = 0;
        r.FgSpanTop = r.VehicleHeight;
        GetFgBg(fg, r, r.FgPart, layer_kind::kForeground);
    }
    TrainRec& r = trains().at(scene);
    if (programState().run.BatchMode != 0) {
        CopyRectEx(0, 0, r.AreaLeftX, r.AreaTopY, r.Width, r.BandHeight, r.SceneDC, 0, r.AreaLeftX, r.AreaTopY, 1, 0,
                   r.SceneSurface, 0, kSiteCatchUp);
    }
    SetLayerFlags(r, static_cast<int16_t>(kScenePainted | (r.LayerFlags & 0x77)));
    CleanPictureCache();
}

}  // namespace yov
