// The demo scene as the show paints it, for frame tests and the frame benchmark: its
// background over the whole scene (a scene record), a path with its track linked behind it,
// and a train picture of the demo's vehicles placed on a path, entering from the left. The
// engine must be started and the area painting given its scene DC (displayState().SceneDC).
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/texts/number_text.h"
#include "program/show/frame_step.h"
#include "program/trains/train_records.h"
#include "program/trains/area_painting.h"
#include "program/show_data/display_state.h"
#include "program/trains/picture_file.h"
#include "program/trains/train_picture.h"

namespace demo_scene {

inline constexpr int32_t kVehicleHeight = 60;
inline const char16_t* const kBackground = u"(demo_land.gif:0..100;demo_station.gif:*50,176;demo_masts.gif:0..100)";

// The scene record: the demo's background painted over the whole scene, active.
inline int32_t SceneRecord(int32_t width, int32_t height) {
    const int32_t scene = yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kSceneRecord));
    yov::TrainRec& r = yov::trains().at(scene);
    r.Width = width;
    r.BandHeight = height;
    r.AboveBase = height;
    r.VehicleHeight = kVehicleHeight;
    r.OriginY = height;
    std::u16string way = u"X";
    std::u16string bg = kBackground;
    std::u16string none, points;
    yov::PaintObject(r, way, none, 0, bg, 1, none, 0, points);
    yov::InsertActiveTrain(scene);
    return scene;
}

// A path of the scene with its rail line `rail` pixels above the scene's bottom and the
// demo's track ("E"), linked behind the scene record and active.
inline int32_t Path(int32_t scene, int32_t rail) {
    const yov::TrainRec& s = yov::trains().at(scene);
    const int32_t width = s.Width;
    const int32_t height = s.BandHeight;
    const int32_t path = yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kDependent | yov::train_flag::kMoving));
    yov::TrainRec& p = yov::trains().at(path);
    p.Width = width;
    p.VehicleHeight = kVehicleHeight;
    p.AboveBase = kVehicleHeight + 10;
    p.BelowBase = 14;
    p.OriginY = height - rail;
    p.BandTop = p.OriginY - p.AboveBase;
    p.SceneDC = yov::displayState().SceneDC.Value();
    p.MasterTrain = scene;
    p.NextLinked = yov::trains().at(scene).NextLinked;
    yov::trains().at(scene).NextLinked = path;
    std::u16string code = u"E";
    yov::DrawObjectPicture(code, yov::decimal(p.SceneDC), u"0", 0, p.OriginY, yov::trains().at(path), 0);
    yov::InsertActiveTrain(path);
    return path;
}

// A new train picture of the demo's vehicle files (kept in `vehicles`), member 1 of the path,
// its right end at the path's left end.
inline int32_t Train(int32_t path, std::initializer_list<const char*> files,
                     std::vector<yov::LoadedPicture>& vehicles) {
    yov::TrainPictureTable& table = yov::trainPictures();
    const int32_t picture = ++table.Count;
    table.Alloc = table.Count;
    table.Entries.resize(static_cast<size_t>(table.Count) + 1);
    table[picture] = yov::TrainPicture{};
    int32_t previous = 0;
    int32_t width = 0;
    int32_t height = 0;
    vehicles.reserve(vehicles.size() + files.size());
    for (const char* file : files) {
        vehicles.emplace_back();
        yov::LoadedPicture& v = vehicles.back();
        yov::LoadPictureFile(std::string(YOV_DEMO_DATA) + "/" + file, v);
        const int32_t part = yov::AllocPicPart(static_cast<uint8_t>(path));
        yov::PicPart& q = yov::picParts()[part];
        q.DC = v.dcs.picture.dc.Value();
        q.MaskDC = v.dcs.mask.dc.Value();
        q.Width = v.width;
        q.PartHeight = v.height;
        q.Flags = 1;  // drawn through its mask
        q.OffsetX = width;
        q.OwnerPicture = picture;
        width += v.width;
        height = std::max(height, v.height);
        if (previous == 0)
            table[picture].FirstPart = part;
        else
            yov::picParts()[previous].NextPart = part;
        previous = part;
    }
    yov::TrainPicture& pic = table[picture];
    pic.Width = width;
    pic.Height = height;
    pic.X = -width;
    pic.Dir = 1;
    pic.MotionState = yov::kPictureBuilt;
    pic.PaintedX.fill(yov::kNeverPainted);
    yov::trains().at(path).Members[1] = picture;
    yov::trains().at(path).MemberCount = 1;
    return picture;
}

// No scene tick: the scene is the benchmark's. Every train runs right at 0.3 pixels per
// millisecond and comes round again past the scene's width.
struct SlidingTrains final : yov::FrameMovers {
    int32_t width = 0;
    void moveObject(int32_t train, int32_t ms) override {
        yov::TrainPicture& p = yov::trainPictures()[yov::trains().at(train).Members[1]];
        p.X += ms * 3 / 10;
        if (p.X > width) p.X = -p.Width;
    }
    int32_t doTimedEvents() override { return 0; }
};

}  // namespace demo_scene
