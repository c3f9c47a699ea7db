// Vehicles that the tests draw onto the current canvas themselves, as plain coloured boxes,
// and a pattern expansion that splits a composition at its commas: train pictures composed
// without a stock. A composition holding "BAD" fails to expand; one holding "NODIR" leaves
// the unit's direction unset.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/raster.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/texts/program_error.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_picture.h"

namespace vehicles_test {

struct FakeVehicle {
    int32_t width;
    plat::COLORREF colour;
    uint8_t extraFrames = 0;
};

// The demo stock's vehicles as plain coloured boxes.
inline const std::map<std::u16string, FakeVehicle>& Vehicles() {
    static const std::map<std::u16string, FakeVehicle> vehicles = {
        {u"E40", {60, plat::RGB(200, 0, 0)}},        {u"COACH_A", {80, plat::RGB(0, 150, 0)}},
        {u"COACH_B", {80, plat::RGB(0, 0, 200)}},    {u"COACH_A2", {80, plat::RGB(0, 120, 40)}},
        {u"DIESEL", {50, plat::RGB(200, 200, 0)}},   {u"RAILCAR", {90, plat::RGB(150, 0, 150)}},
        {u"WAGON_BOX", {40, plat::RGB(90, 60, 30)}}, {u"LONG", {2000, plat::RGB(10, 20, 30)}},
        {u"MANY", {20, plat::RGB(1, 2, 3), 40}},
    };
    return vehicles;
}

// Draws the vehicle at the pen as a box of its colour, height rows tall, and makes its part,
// owned by the current train.
inline int32_t DrawFakeVehicle(const std::u16string& name, int32_t height) {
    const auto it = Vehicles().find(name);
    if (it == Vehicles().end()) throw yov::ProgramError(yov::error_number::kMessage, u"Picture not found");
    const FakeVehicle& v = it->second;
    yov::TrainBuildState& b = yov::trainBuild();
    const yov::CurrentCanvas& c = yov::currentCanvas();
    const int32_t frames = v.extraFrames + 1;
    yov::FillRectColor(c.pictureDc, c.maskDc, b.PenX, b.BaseY - height, v.width * frames, height, v.colour,
                       plat::WHITENESS, 0);
    const int32_t part = yov::AllocPicPart(static_cast<uint8_t>(yov::showState().CurTrain));
    yov::PicPart& p = yov::picParts()[part];
    p.SrcX = b.PenX;
    p.PartY = b.BaseY - height;
    p.Width = v.width;
    p.PartHeight = height;
    p.ExtraFrames = v.extraFrames;
    p.Name = name;
    b.PenX += v.width * frames;
    b.RunningLength += v.width;
    return part;
}

inline int32_t SplitAtCommas(std::u16string_view pattern, std::vector<std::u16string>& names, int16_t& dir) {
    if (pattern.find(u"BAD") != std::u16string_view::npos) return -1;
    names.assign(1, u"");
    size_t start = 0;
    while (start <= pattern.size()) {
        size_t comma = pattern.find(u',', start);
        if (comma == std::u16string_view::npos) comma = pattern.size();
        const std::u16string_view name = pattern.substr(start, comma - start);
        if (comma > start && name != u"NODIR") names.emplace_back(name);
        start = comma + 1;
    }
    if (dir == 0 && pattern.find(u"NODIR") == std::u16string_view::npos) dir = 1;
    return static_cast<int32_t>(names.size()) - 1;
}

// The build hooks with fake vehicles of the given height, no plates, and the draw mode given.
inline void UseFakeVehicles(int32_t height, std::function<yov::TrainDrawMode()> drawMode = {}) {
    yov::TrainPictureHooks& h = yov::trainPictureHooks();
    h.loadVehicle = [height](std::u16string_view name, int32_t) {
        return DrawFakeVehicle(std::u16string(name), height);
    };
    h.expand = SplitAtCommas;
    h.plateText = [](int32_t) { return std::u16string(); };
    h.drawMode = drawMode ? std::move(drawMode) : [] { return yov::TrainDrawMode{}; };
}

}  // namespace vehicles_test
