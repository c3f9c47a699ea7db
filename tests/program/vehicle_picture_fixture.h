// A vehicle picture being built: the engine library started for buffers, bracket search,
// alias lists and the animation compiler; pictures are rows of letters that a stand-in for
// the engine's masked drawing paints; the base picture stands on canvas 1 as the current part.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "picture_ref_fixture.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/params/param_table.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/placed_pictures.h"
#include "program/scene/vehicle_build.h"
#include "program/scene/vehicle_picture.h"
#include "program/core/binding/engine_events.h"

namespace vehicle_test {

// Letters of the golden pictures: '.' black, and distinct colours.
inline plat::COLORREF Colour(char c) {
    switch (c) {
    case 'w': return plat::RGB(255, 255, 255);
    case 'r': return plat::RGB(255, 0, 0);
    case 'g': return plat::RGB(0, 255, 0);
    case 'b': return plat::RGB(0, 0, 255);
    case 'y': return plat::RGB(255, 255, 0);
    case 'k': return plat::RGB(32, 32, 32);
    case 'c': return plat::RGB(0, 255, 255);
    default: return plat::RGB(0, 0, 0);
    }
}
inline char Letter(plat::COLORREF v) {
    for (char c : std::string(".wrgbykc"))
        if (Colour(c) == v) return c;
    return '?';
}

// Rows of letters of a rectangle of dc; with a mask, transparent pixels read as '_'.
inline std::vector<std::string> ReadRows(plat::HDC dc, plat::HDC mask, int x, int y, int w, int h) {
    std::vector<std::string> rows;
    for (int r = 0; r < h; ++r) {
        std::string row;
        for (int c = 0; c < w; ++c)
            row += mask.id != 0 && plat::GetPixel(mask, x + c, y + r) == 0 ? '_'
                                                                           : Letter(plat::GetPixel(dc, x + c, y + r));
        rows.push_back(row);
    }
    return rows;
}

// Paints rows ('_' transparent) into dc and mask at x, y; over: through the rows' own mask,
// leaving what lies under their transparent pixels.
inline void PaintRows(plat::HDC dc, plat::HDC mask, int x, int y, const std::vector<std::string>& rows,
                      bool over = false) {
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const bool clear = rows[r][c] == '_';
            if (clear && over) continue;
            plat::SetPixelV(dc, x + static_cast<int>(c), y + static_cast<int>(r), clear ? 0 : Colour(rows[r][c]));
            if (mask.id != 0)
                plat::SetPixelV(mask, x + static_cast<int>(c), y + static_cast<int>(r),
                                clear ? 0 : plat::RGB(255, 255, 255));
        }
}

class VehiclePictureTest : public picref_test::PictureRefTest {
protected:
    void SetUp() override {
        PictureRefTest::SetUp();
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
        yov::ForgetBufferClasses();
        for (const auto& [key, text] :
             std::map<std::u16string, std::u16string>{{u"MISB", u"Missing closing bracket in: %1"},
                                                      {u"MISD", u"Missing door parameters for %1"},
                                                      {u"OPNP", u"%1 does not fit into the picture"},
                                                      {u"OPOA", u"Operation out of picture area"},
                                                      {u"ABNF", u"ABC %1 not found"},
                                                      {u"PNAB", u"Picture %1 not an ABC"},
                                                      {u"EANIM", u"Error in animation program"},
                                                      {u"TEM", u"Too many pantograph elements"},
                                                      {u"ANPAR", u"Text after the closing parenthesis: %1"}})
            core_test::defaultTexts()[key] = text;
        pictures_.draw = [this](int32_t offset, LvHandle dc, LvHandle mask, int32_t x, int32_t y, int32_t, int32_t,
                                int32_t, int32_t, int32_t) {
            auto it = byOffset_.find(offset);
            if (it == byOffset_.end()) return -10501;
            PaintRows(plat::HDC{dc}, plat::HDC{mask}, x, y, it->second, true);
            return 0;
        };
        // Pictures are found by their bare name, whatever folder and extension the reference adds.
        pictures_.look = [this](const std::string& name, LvHandle, int16_t* w, int16_t* h, int32_t* offset, int32_t) {
            std::string bare =
                name.substr(name.find_last_of("\\/") == std::string::npos ? 0 : name.find_last_of("\\/") + 1);
            if (bare.size() > 4 && bare.compare(bare.size() - 4, 4, ".GIF") == 0) bare.resize(bare.size() - 4);
            auto it = answers_.find(bare);
            if (it == answers_.end()) return -10501;
            *w = it->second.width;
            *h = it->second.height;
            *offset = it->second.offset;
            return it->second.result;
        };
        stockFile_ = AddFile(1, u"/nowhere");
        yov::vehicleBuild() = {};
        yov::pictureSlots() = {};
        yov::ClearPicturePools();
        yov::paramTable().ClearParams();
    }
    void TearDown() override {
        yov::ClearPicturePools();
        yov::pictureSlots() = {};
        yov::FreeCanvas(1);
        yov::lv::CloseDLL();
        PictureRefTest::TearDown();
    }

    // A picture by name (and a stock entry of that name, with its description).
    void AddPicture(const std::string& name, const std::vector<std::string>& rows, std::u16string description = u"") {
        const int32_t offset = static_cast<int32_t>(byOffset_.size()) + 1;
        byOffset_[offset] = rows;
        answers_[name] = {1, static_cast<int16_t>(rows[0].size()), static_cast<int16_t>(rows.size()), offset};
        const int32_t e = AddEntry(picref_test::u16(name), stockFile_, picref_test::u16(name));
        Entry(e).Text3 = std::move(description);
    }

    // The base picture on canvas 1 (two variants' room) as the current part.
    void Base(const std::vector<std::string>& rows) {
        width_ = static_cast<int>(rows[0].size());
        height_ = static_cast<int>(rows.size());
        yov::UseCanvas(1, 0, 2 * width_, height_, 0);
        const yov::CurrentCanvas& c = yov::currentCanvas();
        PaintRows(c.pictureDc, c.maskDc, 0, 0, rows);
        PaintRows(c.pictureDc, c.maskDc, width_, 0, rows);
        part_ = yov::AllocPicPart(0);
        yov::picParts().CurPart = part_;
        yov::PicPart& p = yov::picParts()[part_];
        p.Width = width_;
        p.PartHeight = height_;
    }
    std::vector<std::string> Picture(int variant = 0) const {
        const yov::CurrentCanvas& c = yov::currentCanvas();
        return ReadRows(c.pictureDc, c.maskDc, variant * width_, 0, width_, height_);
    }
    void Build(std::u16string_view description, uint8_t variant = 0, int32_t flags = 0) {
        int32_t value = 0;
        yov::BuildVehiclePicture(description, value, variant, flags);
    }
    std::u16string BuildError(std::u16string_view description) {
        return ErrorOf([&] { Build(description); });
    }
    yov::PicPart& Part() { return yov::picParts()[part_]; }
    // Frame k of a slot as rows.
    static std::vector<std::string> Frame(int32_t slot, int k) {
        const yov::PictureSlot& s = yov::pictureSlots()[slot];
        const yov::SlotFrame& f = s.Frames.at(static_cast<size_t>(k));
        return ReadRows(plat::HDC{static_cast<uint32_t>(f.DC)}, plat::HDC{static_cast<uint32_t>(f.MaskDC)}, f.X, f.Y,
                        s.FrameWidth, s.FrameHeight);
    }

    std::map<int32_t, std::vector<std::string>> byOffset_;
    int32_t stockFile_ = 0;
    int32_t part_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vehicle_test
