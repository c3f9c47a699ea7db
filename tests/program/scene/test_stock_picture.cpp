// Stock pictures through the real engine on the demo's pictures: base pictures, mirrored,
// with an overlay, with phase pictures, scaled to the height limit, and pantograph halves,
// composited through their masks and compared with the references that
// tools/make_stock_picture_refs.py made from the same GIFs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "picture_ref_fixture.h"
#include "platform/raster.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/stock_picture.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"

namespace {

constexpr uint32_t kBackground = 0x010203;  // the references' colour behind transparent pixels

// A picture as 0x00RRGGBB values, row by row from the top.
struct Pixels {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> values;
    bool operator==(const Pixels&) const = default;
};

// Where two pictures first differ, for the failure message.
std::string Difference(const Pixels& got, const Pixels& want) {
    if (got.width != want.width || got.height != want.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height);
    for (size_t i = 0; i < got.values.size(); ++i) {
        if (got.values[i] != want.values[i]) {
            std::ostringstream out;
            out << "first difference at (" << i % static_cast<size_t>(want.width) << ","
                << i / static_cast<size_t>(want.width) << "): " << std::hex << got.values[i] << " for "
                << want.values[i];
            return out.str();
        }
    }
    return "same";
}

Pixels ReadPpm(const std::string& name) {
    std::ifstream in(std::string(YOV_TEST_DATA) + "/stock_pictures/" + name + ".ppm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Pixels p;
    in >> magic >> p.width >> p.height >> maxValue;
    in.get();
    for (int32_t i = 0; i < p.width * p.height; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        p.values.push_back(static_cast<uint32_t>(r << 16 | g << 8 | b));
    }
    return p;
}

// What a picture and its mask show over the references' background.
Pixels Composite(int32_t dc, int32_t maskDc, int32_t x, int32_t y, int32_t width, int32_t height) {
    Pixels p{width, height, {}};
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            if ((plat::GetPixel(plat::HDC{static_cast<uint32_t>(maskDc)}, x + c, y + r) & 0xFFFFFF) == 0) {
                p.values.push_back(kBackground);
            } else {
                const plat::COLORREF v = plat::GetPixel(plat::HDC{static_cast<uint32_t>(dc)}, x + c, y + r);
                p.values.push_back((v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF));
            }
        }
    }
    return p;
}

class StockPicture : public picref_test::PictureRefEngineTest {
protected:
    void SetUp() override {
        PictureRefEngineTest::SetUp();
        core_test::defaultTexts()[u"OPNP"] = u"Overlay picture \"%1\" not in parent area";
        core_test::defaultTexts()[u"PHB"] = u"Not possible - Phase picture has modifiers";
        core_test::defaultTexts()[u"MISB"] = u"Missing closing bracket in: %1";
        yov::programState().tables.PicKindClass.fill(2);
        yov::programState().tables.PicKindExt.fill(std::u16string());
        yov::ProgramState& st = yov::programState();
        yov::ForgetBufferClasses();
        st.Shared.PictureHeight = 60;
        yov::ClearPicturePools();
        yov::pictureSlots() = yov::PictureSlotTable{};
        yov::pictureBuildState() = {};
        yov::UseCanvas(1, 0x00F0F0F0, 0, 0, 0);
        ReadDemoStock();
    }
    void TearDown() override {
        yov::FreeCanvas(1);
        yov::ClearPicturePools();
        yov::pictureSlots() = yov::PictureSlotTable{};
        PictureRefEngineTest::TearDown();
    }

    // The entry lines of the demo stock: name; code; kind; folder; file; description.
    void ReadDemoStock() {
        const int32_t file = AddFile(0, picref_test::u16(YOV_DEMO_DATA));
        std::ifstream in(std::string(YOV_DEMO_DATA) + "/demo.stk");
        std::string line;
        while (std::getline(in, line) && line.rfind("$ENDSTOCK", 0) != 0) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '$' || line[0] == '#') continue;
            std::vector<std::string> fields;
            size_t start = 0;
            for (int i = 0; i < 5; ++i) {
                const size_t semi = line.find(';', start);
                fields.push_back(line.substr(start, semi - start));
                start = semi == std::string::npos ? line.size() : semi + 1;
            }
            const int32_t e = AddEntry(picref_test::u16(fields[0]), file, picref_test::u16(fields[4]));
            Entry(e).Text3 = picref_test::u16(line.substr(start));
            Entry(e).Author = 1;
            names.push_back(fields[0]);
        }
    }

    static Pixels PartPixels(int32_t part, int32_t cells = 1) {
        const yov::PicPart& p = yov::picParts()[part];
        const yov::CurrentCanvas& c = yov::currentCanvas();
        return Composite(static_cast<int32_t>(c.pictureDc.id), static_cast<int32_t>(c.maskDc.id), p.SrcX, p.PartY,
                         p.Width * cells, p.PartHeight);
    }

    std::vector<std::string> names;
};

TEST_F(StockPicture, PicturesMatchTheirReferences) {
    struct Case {
        std::u16string description;
        std::string reference;
        int32_t maxHeight = 0;
        uint8_t options = 0;  // the picture options
    };
    const std::vector<Case> cases = {
        {u"WAGON_TANK", "wagon_tank"},
        {u"#wagon_tank", "wagon_tank_mirrored"},
        {u"DOOR_A:WAGON_BOX:10:5", "wagon_box_overlay"},
        {u"WAGON_BOX+DOOR_A+<DOOR_B+.8", "wagon_box_phases"},
        {u"RAILCAR", "railcar_scaled", 30, 1},
    };
    for (const Case& c : cases) {
        yov::pictureBuildState().PictureOptions = c.options;
        const int32_t part = yov::LoadStockPicture(c.description, c.maxHeight, 0, 0);
        ASSERT_GT(part, 0) << c.reference;
        const Pixels want = ReadPpm(c.reference);
        const int32_t cells = 1 + yov::pictureBuildState().PhaseCount;
        EXPECT_EQ(yov::picParts()[part].Width * cells, want.width) << c.reference;
        const Pixels got = PartPixels(part, cells);
        EXPECT_TRUE(got == want) << c.reference << ": " << Difference(got, want);
    }
    EXPECT_EQ(yov::picParts()[4].PixelsPerFrame, 8);
    EXPECT_EQ(yov::picParts()[4].RunFrames, 2);
}

TEST_F(StockPicture, APantographBecomesTwoSlotsOfTwoFrames) {
    const int32_t part = yov::LoadStockPicture(u"E40 > PANTO", 0, 0, 0);
    std::vector<int32_t> halves;
    for (int32_t s = yov::picParts()[part].FirstSlot; s != 0; s = yov::pictureSlots()[s].NextSlot) halves.push_back(s);
    ASSERT_EQ(halves.size(), 2u);
    for (size_t side = 0; side < 2; ++side) {
        const yov::PictureSlot& s = yov::pictureSlots()[halves[side]];
        EXPECT_EQ(s.Name, u"|PAN: ");
        EXPECT_EQ(s.PosX, 19 + 56 * static_cast<int32_t>(side));
        EXPECT_EQ(s.PosY, 0);
        EXPECT_EQ(s.LastFrame, 1);
        ASSERT_EQ(s.Frames.size(), 2u);
        const Pixels want = ReadPpm("e40_panto_" + std::to_string(side));
        const Pixels got = Composite(s.BufDC, s.BufMaskDC, s.BufX, s.BufY, 2 * s.FrameWidth, s.FrameHeight);
        EXPECT_TRUE(got == want) << side << ": " << Difference(got, want);
    }
    EXPECT_EQ(yov::pictureSlots()[halves[0]].GroupKey, yov::pictureSlots()[halves[1]].GroupKey);
}

TEST_F(StockPicture, EveryDemoVehicleLoads) {
    for (size_t i = 0; i < names.size(); ++i) {
        const int32_t entry = static_cast<int32_t>(i) + 1;
        const int32_t part = yov::LoadStockEntryPicture(entry, u"");
        ASSERT_GT(part, 0) << names[i];
        EXPECT_EQ(yov::picParts()[part].Width, Entry(entry).Width) << names[i];
        EXPECT_EQ(yov::picParts()[part].PartHeight, Entry(entry).Height) << names[i];
        EXPECT_EQ(yov::pictureBuildState().PictureSource, 1) << names[i];
    }
}

TEST_F(StockPicture, DescriptionsThatCannotBeBuiltAreRefused) {
    const std::vector<std::u16string> cases = {
        u"DOOR_A:WAGON_BOX:100:5",  // overlay past the right edge
        u"DOOR_A+WAGON_BOX",        // phase picture larger than the vehicle
        u"DOOR_A > PANTO",          // pantograph wider than the vehicle
        u"NO_SUCH_VEHICLE",
    };
    for (const std::u16string& d : cases)
        EXPECT_NE(ErrorOf([&] { yov::LoadStockPicture(d, 0, 0, 0); }), u"") << core_test::utf8(d);
    // An offset no show can compute with is refused as such, not cut to 32 bits.
    for (const std::u16string d : {u"DOOR_A:WAGON_BOX:2147483647:5", u"DOOR_A:WAGON_BOX:-8:-2147483649"}) {
        EXPECT_NE(ErrorOf([&] { yov::LoadStockPicture(d, 0, 0, 0); }).find(u"Number out of range"),
                  std::u16string::npos)
            << core_test::utf8(d);
    }
    // Offsets outside the picture are clipped, not drawn beside it.
    const int32_t part = yov::LoadStockPicture(u"DOOR_A:WAGON_BOX:-8:-30+-50:90:DOOR_B", 0, 0, 0);
    EXPECT_EQ(yov::picParts()[part].Width, 110);
}

TEST_F(StockPicture, APathWithADriveLetterIsOnePictureNameAndAMacroEntryIsItsOwnText) {
    EXPECT_EQ(ErrorOf([] { yov::LoadStockPicture(u"C:\\NONE\\WAGON.GIF", 0, 0, 0); }),
              u"Picture C:\\NONE\\WAGON.GIF not found");
    const int32_t macro = AddEntry(u"TANK_TRAIN", 0x7FFF, u"WAGON_TANK+.5+DOOR_A");
    Entry(macro).Text3 = u"[IGNORED]";
    const int32_t part = yov::LoadStockEntryPicture(macro, u"+DOOR_B");
    EXPECT_EQ(yov::pictureBuildState().PhaseCount, 2);
    EXPECT_EQ(yov::picParts()[part].PixelsPerFrame, 5);
}

TEST_F(StockPicture, SourcesOfTwoAuthorsLeaveTheNoteAtMinusOne) {
    Entry(2).Author = 0;  // its file is a picture source of its own: minus the file
    yov::NoteStockPictureSource(2);
    EXPECT_EQ(yov::pictureBuildState().PictureSource, -1);
    yov::pictureBuildState().PictureSource = 0;
    yov::NoteStockPictureSource(2);
    EXPECT_EQ(yov::pictureBuildState().PictureSource, -1) << "minus stock file 1";
    yov::NoteStockPictureSource(3);
    EXPECT_EQ(yov::pictureBuildState().PictureSource, -1);
}

TEST_F(StockPicture, AFailedLoadReleasesToItsMarkWhileFrameStepsFreeOlderSlots) {
    const int32_t older = yov::LoadStockPicture(u"E40>PANTO", 0, 0, 0);
    const int32_t olderSlot = yov::picParts()[older].FirstSlot;
    const int32_t partMark = yov::picParts().StackCount, slotMark = yov::pictureSlots().StackCount;
    bool freed = false;
    frameSteps_.onStep = [&](int32_t) {
        if (!freed) {
            freed = true;
            yov::FreePictureSlot(yov::pictureSlots()[olderSlot].NextSlot);
        }
    };
    EXPECT_NE(ErrorOf([] { yov::LoadStockPicture(u"WAGON_TANK>PANTO+DOOR_A+RAILCAR", 0, 0, 0); }), u"");
    yov::ReleaseToMark(partMark, slotMark);
    EXPECT_EQ(yov::picParts().StackCount, partMark);
    EXPECT_EQ(yov::pictureSlots()[olderSlot].State, yov::kSlotAtRest);
    EXPECT_EQ(yov::picParts()[older].State, yov::kPartInUse);
    for (int32_t s = 1; s <= yov::pictureSlots().Count; ++s)
        if (s != olderSlot) {
            EXPECT_EQ(yov::pictureSlots()[s].State, yov::kSlotFree) << s;
        }
}

TEST_F(StockPicture, AStopRequestedWhileAPictureLoadsUnwindsTheLoadAsAlreadyReported) {
    // A scene is moving, so the load takes real frame steps; the user has asked the show to stop.
    frameSteps_.runsTheStep = true;
    yov::programState().run.RunFlags = yov::run_flag::kFramesDrawn;
    yov::showState().ActiveCount = 1;
    yov::programState().run.StopRequest = 1;
    const size_t logged = logLines().size();
    int32_t number = 0;
    try {
        yov::LoadStockPicture(u"E40>PANTO", 0, 0, 0);
    } catch (const yov::ProgramError& e) {
        number = e.number();
    }
    yov::programState().run.StopRequest = 0;
    yov::programState().run.RunFlags = 0;
    EXPECT_EQ(number, yov::error_number::kReported);
    EXPECT_EQ(logLines().size(), logged) << "nothing reported a second time";
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
