// The demo stock's vehicles built from their descriptions with the real engine and pictures:
// doors, pantographs, lamps and the running number come from the descriptions.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "program/core/texts/program_error.h"
#include "vehicle_picture_fixture.h"
#include "program/core/binding/engine_events.h"

namespace {

int32_t NoEvents(DllEventRec*) noexcept { return 0; }

class DemoVehicles : public vehicle_test::VehiclePictureTest {
protected:
    void SetUp() override {
        VehiclePictureTest::SetUp();
        yov::ProgramState& st = yov::programState();
        yov::lv::CloseDLL();
        ASSERT_EQ(yov::InitEngineOnProgramArrays(&NoEvents, nullptr), 0);
        ASSERT_EQ(yov::lv::OpenCache(1, "memory"), 0);
        pictures_.passOn();
        yov::programState().tables.PicKindExt.fill(std::u16string());  // the names carry theirs
        st.Shared.PictureHeight = 60;
        // The entry lines of the demo stock: name;code;kind;;picture[;description].
        const int32_t file = AddFile(1, picref_test::u16(YOV_DEMO_DATA));
        std::ifstream in(std::string(YOV_DEMO_DATA) + "/demo.stk");
        std::string line;
        for (int n = 0; std::getline(in, line) && n < 1000; ++n) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("$ENDSTOCK", 0) == 0) break;
            if (line.empty() || line[0] == '$' || line[0] == '#') continue;
            std::vector<std::string> f;
            size_t from = 0;
            for (int k = 0; k < 5; ++k) {
                const size_t semi = line.find(';', from);
                f.push_back(line.substr(from, semi == std::string::npos ? std::string::npos : semi - from));
                from = semi == std::string::npos ? line.size() : semi + 1;
            }
            const int32_t e = AddEntry(picref_test::u16(f[0]), file, picref_test::u16(f[4]));
            Entry(e).Text3 = picref_test::u16(line.substr(from));
        }
    }
    void TearDown() override {
        yov::lv::CloseCache();
        VehiclePictureTest::TearDown();
    }

    // The vehicle's own picture on the canvas as the current part, its description built.
    void BuildVehicle(const std::u16string& name) {
        std::u16string ref = name;
        yov::OpenPictureRef(ref, 0, 0);
        const yov::PictureRef r = yov::pictureRef();
        width_ = r.PicRefOpenWidth;
        height_ = r.PicRefOpenHeight;
        yov::UseCanvas(1, 0, 2 * width_, height_, 0);
        const yov::CurrentCanvas& c = yov::currentCanvas();
        yov::DrawPicturePart(r.PicRefCache, c.pictureDc.id, c.maskDc.id, 0, 0, 0, height_, name, 0);
        part_ = yov::AllocPicPart(0);
        yov::picParts().CurPart = part_;
        Part().Width = width_;
        Part().PartHeight = height_;
        for (int32_t i = 1; i <= yov::programState().Shared.StockCount; ++i)
            if (Entry(i).Name == name) Build(Entry(i).Text3);
    }
    int Count(std::u16string_view slotName) {
        int n = 0;
        for (int32_t s = Part().FirstSlot, guard = 0; s != 0 && guard < 100;
             s = yov::pictureSlots()[s].NextSlot, ++guard)
            n += yov::pictureSlots()[s].Name == slotName;
        return n;
    }
};

struct DemoCase {
    const char* name;
    std::u16string vehicle;
    int doors;
    int pantographs;
    int lamps;
};

class DemoParts : public DemoVehicles, public ::testing::WithParamInterface<DemoCase> {};

TEST_P(DemoParts, ComeFromTheDescription) {
    BuildVehicle(GetParam().vehicle);
    EXPECT_EQ(Count(u"|DOOR: "), GetParam().doors);
    EXPECT_EQ(Count(u"|PAN:B"), GetParam().pantographs);
    EXPECT_EQ(Count(u"|ON:C|OFF:E"), GetParam().lamps);
}

INSTANTIATE_TEST_SUITE_P(
    Stock, DemoParts,
    ::testing::Values(DemoCase{"Locomotive", u"E40", 0, 2, 0}, DemoCase{"Shunter", u"DIESEL", 0, 0, 1},
                      DemoCase{"Railcar", u"RAILCAR", 2, 1, 0}, DemoCase{"Coach", u"COACH_A", 2, 0, 0},
                      DemoCase{"RecolouredCoach", u"COACH_A2", 2, 0, 0}, DemoCase{"FirstClass", u"COACH_B", 2, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DemoVehicles, DoorsOpenInFiveFramesAndThePantographRises) {
    BuildVehicle(u"RAILCAR");
    for (int32_t s = Part().FirstSlot, guard = 0; s != 0 && guard < 100; s = yov::pictureSlots()[s].NextSlot, ++guard) {
        const yov::PictureSlot& slot = yov::pictureSlots()[s];
        if (slot.Name == u"|DOOR: ") {
            EXPECT_EQ(slot.LastFrame, 4);
            EXPECT_NE(Frame(s, 0), Frame(s, 4)) << "closed and open differ";
        } else if (slot.Name == u"|PAN:B") {
            EXPECT_EQ(slot.LastFrame, 3);
            EXPECT_NE(Frame(s, 0), Frame(s, 3)) << "lowered and raised differ";
        }
    }
}

TEST_F(DemoVehicles, TheLocomotiveCarriesItsRunningNumber) {
    BuildVehicle(u"E40");
    const plat::COLORREF cream = plat::RGB(236, 224, 190);
    const plat::HDC dc = yov::currentCanvas().pictureDc;
    // "1" of "140 012": its stem in the middle column of the first cell.
    for (int row = 0; row < 5; ++row) EXPECT_EQ(plat::GetPixel(dc, 35, 39 + row), cream) << "row " << row;
    EXPECT_NE(plat::GetPixel(dc, 34, 39), cream);
}

}  // namespace
