// Train pictures composed from vehicles that the test draws onto the canvas itself: the
// chain of parts, widths, labels for vehicles that cannot be shown, the images of its parts
// drawn whole and by vehicle, the cut of long parts, and the starting frames of pantographs
// and vehicle ends; caption macros from the stock data.
#include <gtest/gtest.h>

#include <optional>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <string>
#include <vector>

#include "canvas_fixture.h"
#include "fake_vehicles.h"
#include "show_fixture.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/script_reader.h"
#include "program/show/frame_step.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/part_states.h"
#include "program/trains/train_labels.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_picture_split.h"
#include "program/trains/train_start_state.h"

namespace {

using namespace yov;

constexpr int32_t kHeight = 30;

class TrainPictures : public show_test::ShowTestOn<canvas_test::DrawingTest> {
protected:
    void SetUp() override {
        ShowTestOn::SetUp();
        ResetTrainPictures();
        programState().Shared.PictureHeight = kHeight;
        scriptReader().S = SceneScript{};
        scriptReader().S.FileNames = {u"", u"demo.ttt"};
        scriptReader().S.Members.resize(3);
        scriptReader().S.Members[2].FileIndex = 1;
        scriptReader().S.Members[2].Line = 17;
        train = NewTrainRec(0);
        trains().at(train).Line = 2;
        trains().at(train).VehicleHeight = kHeight;
        trains().at(train).Width = 640;
        showState().CurTrain = train;
        UseCanvas(0, 0, 3000, kHeight + 10, 0);
        vehicles_.emplace(kHeight, &mode);
    }
    void TearDown() override {
        vehicles_.reset();
        // The whole-train and plate buffers here are the engine's own: they go back to it, or
        // the next test of the process finds its strips in use.
        for (int32_t p = 1; p <= trainPictures().Count; ++p) {
            int32_t picture = p;
            FreeTrainPicture(picture);
        }
        for (int32_t p = 1; p <= picParts().Count; ++p) FreePicPart(p, 0);
        FreeCanvas(0);
        ResetTrainPictures();
        ShowTestOn::TearDown();
    }

    int32_t Build(const std::u16string& composition) {
        paramTable().ClearParams();
        paramTable().AddParam(u"C", composition);
        std::u16string name = u"C";
        uint8_t flagged = 1;
        return BuildTrainPicture(name, flagged);
    }

    std::vector<int32_t> Chain(int32_t pic) {
        std::vector<int32_t> out;
        for (int32_t p = trainPictures()[pic].FirstPart; p != 0 && out.size() < 100; p = picParts()[p].NextPart)
            out.push_back(p);
        return out;
    }
    std::vector<int32_t> Widths(int32_t pic) {
        std::vector<int32_t> out;
        for (int32_t p : Chain(pic)) out.push_back(picParts()[p].Width);
        return out;
    }

    int32_t train = 0;
    TrainDrawMode mode;
    std::optional<vehicles_test::FakeVehicles> vehicles_;
};

TEST_F(TrainPictures, DemoCompositionsComposeIntoChainsOfTheirVehicles) {
    struct Case {
        std::u16string composition;
        std::vector<int32_t> widths;
    };
    const Case cases[] = {
        {u"E40,COACH_A,COACH_B", {60, 80, 80}},
        {u"E40,COACH_A,COACH_B,COACH_A2", {60, 80, 80, 80}},
        {u"DIESEL,WAGON_BOX,WAGON_BOX", {50, 40, 40}},
        {u"RAILCAR", {90}},
        {u"E40,EMPTY,COACH_A", {60, 80}},
    };
    for (const Case& c : cases) {
        const int32_t pic = Build(c.composition);
        const TrainPicture& p = trainPictures()[pic];
        EXPECT_EQ(Widths(pic), c.widths) << std::string(c.composition.begin(), c.composition.end());
        int32_t sum = 0;
        for (int32_t w : c.widths) sum += w;
        EXPECT_EQ(p.Width, sum);
        EXPECT_EQ(p.Height, kHeight);
        EXPECT_EQ(p.VehicleCount, static_cast<int16_t>(c.widths.size()));
        EXPECT_EQ(p.MotionState, kPictureBuilt);
        EXPECT_EQ(p.Composition, c.composition);
        EXPECT_EQ(p.SourceName, u"C");
        EXPECT_EQ(p.OwnerTrain, train);
        EXPECT_FLOAT_EQ(p.AccelRate, 0.05f);
    }
    EXPECT_EQ(trainPictures().AttemptCount, 5);
}

TEST_F(TrainPictures, AnEmptyUnitIsOneLabel) {
    for (const std::u16string comp : {u"EMPTY", u""}) {
        const int32_t pic = Build(comp);
        const std::vector<int32_t> chain = Chain(pic);
        ASSERT_EQ(chain.size(), 1u);
        const PicPart& label = picParts()[chain[0]];
        EXPECT_EQ(label.StockIndex, 0);
        EXPECT_EQ(trainPictures()[pic].VehicleCount, 0);
        EXPECT_EQ(trainPictures()[pic].Width, label.Width);
        EXPECT_NE(label.Name.find(u" <> demo.ttt 17"), std::u16string::npos);
    }
}

TEST_F(TrainPictures, AMissingVehicleBecomesItsLabel) {
    const int32_t pic = Build(u"E40,NO_SUCH_VEHICLE_WITH_A_NAME_OF_FORTY_FIVE_CHARS,COACH_A");
    const std::vector<int32_t> chain = Chain(pic);
    ASSERT_EQ(chain.size(), 3u);
    const PicPart& label = picParts()[chain[1]];
    // Names past 40 characters are cut in the message.
    EXPECT_EQ(label.Name, u"\"NO_SUCH_VEHICLE_WITH_A_NAME_OF_FORTY_FIV ... \": Picture not found <> demo.ttt 17");
    EXPECT_EQ(trainPictures()[pic].VehicleCount, 3);
    QFile log(QString::fromStdU16String(errorLogFile()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    EXPECT_TRUE(logged.contains("FORTY_FIV ... \": Picture not found")) << logged.right(300).toStdString();
    EXPECT_TRUE(logged.contains("  from demo.ttt 17"));
    // The vehicle after the label is drawn right of it on the canvas.
    EXPECT_EQ(picParts()[chain[2]].SrcX, 60 + label.Width);
    EXPECT_EQ(trainPictures()[pic].Width, 60 + label.Width + 80);
    // The label shows its grey box on the canvas.
    EXPECT_EQ(plat::GetPixel(currentCanvas().pictureDc, label.SrcX + 4, trainBuild().BaseY - kHeight / 2), 0xE0E0E0u);
}

TEST_F(TrainPictures, WithSkipErrorsAMissingVehicleAbandonsTheTrain) {
    scriptReader().S.Run.SkipErrors = 1;
    try {
        Build(u"E40,NOPE");
        FAIL() << "the train should be abandoned";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), error_number::kReported);
    }
    // The failed start frees what the build had placed.
    ASSERT_EQ(trainPictures().AttemptCount, 1);
    const int32_t placed = trainPictures()[trainPictures().Attempt[1]].FirstPart;
    ASSERT_NE(placed, 0);
    FreeAttemptPictures();
    EXPECT_EQ(picParts()[placed].State, kPartFree);
    EXPECT_EQ(trainPictures().AttemptCount, 0);
}

TEST_F(TrainPictures, AStopRequestedWhileATrainIsComposedUnwindsItAsAlreadyReported) {
    // Each vehicle load takes a frame step, as the stock pictures' loader does; a scene moves
    // and the user has asked the show to stop.
    vehicles_->beforeLoad = [](std::u16string_view) { frameStep(11101); };
    frameSteps.runsTheStep = true;
    programState().run.RunFlags = run_flag::kFramesDrawn;
    showState().ActiveCount = 1;
    programState().run.StopRequest = 1;
    const auto logged = [] {
        QFile log(QString::fromStdU16String(errorLogFile()));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    };
    const QByteArray before = logged();
    const int32_t partsBefore = picParts().Count;
    int32_t number = 0;
    try {
        Build(u"E40,COACH_A");
    } catch (const ProgramError& e) {
        number = e.number();
    }
    programState().run.StopRequest = 0;
    EXPECT_EQ(number, error_number::kReported);
    FreeAttemptPictures();
    for (int32_t p = partsBefore + 1; p <= picParts().Count; ++p) EXPECT_EQ(picParts()[p].State, kPartFree) << p;
    EXPECT_FALSE(logged().mid(before.size()).contains("\"E40\"")) << "the vehicle is not reported a second time";
}

TEST_F(TrainPictures, AStopArrivingWhileAVehicleLoadsIsNoFailureToLog) {
    // The stop comes in with the events the picture loader lets run; its next frame step cuts
    // the load short.
    vehicles_->beforeLoad = [](std::u16string_view name) {
        if (name == u"COACH_A") programState().run.StopRequest = 1;
        frameStep(11101);
    };
    frameSteps.runsTheStep = true;
    programState().run.RunFlags = run_flag::kFramesDrawn;
    showState().ActiveCount = 1;
    // A log of the test's own: other test programs may write to the shared one meanwhile.
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const std::u16string sharedLog = programState().files.ErrorLogPath;
    programState().files.ErrorLogPath = scratch.filePath(QStringLiteral("Rolvane.err")).toStdU16String();
    int32_t number = 0;
    try {
        Build(u"E40,COACH_A");
    } catch (const ProgramError& e) {
        number = e.number();
    }
    programState().run.StopRequest = 0;
    programState().files.ErrorLogPath = sharedLog;
    EXPECT_EQ(number, error_number::kReported);
    FreeAttemptPictures();
    EXPECT_FALSE(QFile::exists(scratch.filePath(QStringLiteral("Rolvane.err"))))
        << "the vehicle did not fail: nothing is logged";
}

TEST_F(TrainPictures, TooManyFramesAreRefused) {
    const int32_t pic = Build(u"MANY");
    const PicPart& label = picParts()[Chain(pic)[0]];
    EXPECT_EQ(label.StockIndex, 0);
    EXPECT_NE(label.Name.find(u"frames"), std::u16string::npos);
}

TEST_F(TrainPictures, PlatesAreFramedAndCutToTheirVehicle) {
    vehicles_->plate = u"  A plate text far wider than any vehicle  ";
    const int32_t pic = Build(u"E40,COACH_A");
    const std::vector<int32_t> chain = Chain(pic);
    ASSERT_EQ(chain.size(), 2u);
    for (int32_t p : chain) {
        const PicPart& part = picParts()[p];
        EXPECT_EQ(part.PlateWidth, part.Width - 4);
        EXPECT_GT(part.PlateHeight, 2);
        ASSERT_NE(part.Buffer2, 0);
        const plat::HDC dc = plat::HDC::FromValue(part.PlateDC);
        EXPECT_EQ(plat::GetPixel(dc, part.PlateX, part.PlateY), plat::RGB(0, 0, 0)) << "frame";
        EXPECT_EQ(plat::GetPixel(dc, part.PlateX + 1, part.PlateY + 1), plat::RGB(255, 255, 255));
    }
}

TEST_F(TrainPictures, PendingCompositionsAreTakenOneAtATime) {
    trains().at(train).StepText[0] = u"E40\rCOACH_A,COACH_B\rRAILCAR";
    std::u16string star = u"*";
    uint8_t flagged = 1;
    const std::vector<std::vector<int32_t>> expected = {{60}, {80, 80}, {90}};
    for (const auto& widths : expected) EXPECT_EQ(Widths(BuildTrainPicture(star, flagged)), widths);
    EXPECT_TRUE(trains().at(train).StepText[0].empty());
}

TEST_F(TrainPictures, FreeingReleasesPartsOnceAndIgnoresFreeEntries) {
    const int32_t pic = Build(u"E40,COACH_A");
    const std::vector<int32_t> parts = Chain(pic);
    int32_t index = pic;
    FreeTrainPicture(index);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(trainPictures()[pic].MotionState, kPictureFree);
    for (int32_t p : parts) EXPECT_EQ(picParts()[p].State, kPartFree) << p;
    index = pic;
    FreeTrainPicture(index);  // already free
    int32_t none = 0;
    FreeTrainPicture(none);
    EXPECT_EQ(Build(u"RAILCAR"), pic) << "a free entry is taken again";
}

TEST_F(TrainPictures, ComposedTrainIsDrawnByVehicleAndWholeInBothDirections) {
    struct Case {
        bool whole;
        uint8_t mirror;
    };
    for (const Case c : {Case{false, 0}, Case{false, 1}, Case{true, 0}, Case{true, 1}}) {
        mode = TrainDrawMode{};
        mode.WholeTrains = c.whole;
        trainStart().CurDirection = 1;
        std::u16string name = u"C";
        paramTable().ClearParams();
        paramTable().AddParam(u"C", u"E40,COACH_A,COACH_B");
        const int32_t pic = MakeTrainPicture(name, 1, c.mirror);
        const TrainPicture& p = trainPictures()[pic];
        EXPECT_EQ(p.Dir, c.mirror ? -1 : 1);
        EXPECT_EQ(p.X, c.mirror ? 640 : -220);  // just outside the side it enters from
        EXPECT_EQ(trains().at(train).Members[1], pic);
        EXPECT_EQ(p.PaintedX[0], kNeverPainted);
        EXPECT_EQ(p.TrainBuffer != 0, c.whole);
        const std::vector<plat::COLORREF> colours = {vehicles_test::Vehicles().at(u"E40").colour,
                                                     vehicles_test::Vehicles().at(u"COACH_A").colour,
                                                     vehicles_test::Vehicles().at(u"COACH_B").colour};
        const std::vector<int32_t> chain = Chain(pic);
        ASSERT_EQ(chain.size(), 3u);
        for (size_t i = 0; i < chain.size(); ++i) {
            const PicPart& part = picParts()[chain[i]];
            EXPECT_EQ(part.OwnerPicture, pic);
            const plat::HDC dc = plat::HDC::FromValue(part.DC);
            for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{part.Width - 1, kHeight - 1}})
                EXPECT_EQ(plat::GetPixel(dc, part.SrcX + dx, part.PartY + dy), colours[i]) << i;
            if (c.whole) {
                const plat::HDC whole = plat::HDC::FromValue(p.BufferDC);
                EXPECT_EQ(plat::GetPixel(whole, p.BufferX + part.OffsetX + 1, p.BufferY + 1), colours[i]);
            }
        }
        int32_t index = pic;
        FreeTrainPicture(index);
        trains().at(train).MemberCount = 0;
        trainPictures().AttemptCount = 0;
    }
}

TEST_F(TrainPictures, APictureThatDrewNothingFailsTheStartInsteadOfAskingForAnEmptyBuffer) {
    const int32_t pic = Build(u"LONG");
    trainPictures()[pic].Width = 0;
    try {
        SplitTrainPicture(trains().at(train), pic, 1);
        ADD_FAILURE() << "no error raised";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), error_number::kMessage);
    }
    EXPECT_EQ(trains().at(train).Members[1], 0) << "not entered into the train";
}

TEST_F(TrainPictures, ALowerVehiclesSlotsMoveDownWithItsPartInTheWholeTrainBuffer) {
    mode.WholeTrains = true;
    const int32_t pic = Build(u"E40,COACH_A");
    const int32_t coach = Chain(pic)[1];
    // The coach 14 rows lower than the train, a door 7 rows under its own top.
    picParts()[coach].PartHeight = trainPictures()[pic].Height - 14;
    PictureSlotTable& st = pictureSlots();
    st.Slots.assign(2, PictureSlot{});
    st.Count = 1;
    st[1].PosY = 7;
    st[1].FrameWidth = 8;
    st[1].FrameHeight = 10;
    st[1].OwnerPart = coach;
    picParts()[coach].FirstSlot = picParts()[coach].LastSlot = 1;
    SplitTrainPicture(trains().at(train), pic, 1);
    EXPECT_EQ(picParts()[coach].PartHeight, trainPictures()[pic].Height);
    EXPECT_EQ(st[1].PosY, 7 + 14) << "the door stays on the coach";
    EXPECT_NE(picParts()[coach].PhaseMask & 1, 0) << "its first frame is drawn at the first painting";
}

TEST_F(TrainPictures, PartsWiderThanTheSceneAreCutUnderDirectDraw) {
    mode.DirectDraw = true;
    mode.SceneWidth = 800;
    const int32_t pic = Build(u"LONG");
    const int32_t first = Chain(pic)[0];
    // A door wholly left of the cut, one across it, one right of it.
    PictureSlotTable& st = pictureSlots();
    st.Slots.assign(4, PictureSlot{});
    st.Count = 3;
    const int32_t xs[] = {0, 100, 790, 900};
    for (int32_t s = 1; s <= 3; ++s) {
        st[s].PosX = xs[s];
        st[s].FrameWidth = 20;
        st[s].OwnerPart = first;
        st[s].NextSlot = s < 3 ? s + 1 : 0;
        st[s].Name = u"xDOOR|";
    }
    picParts()[first].FirstSlot = 1;
    picParts()[first].LastSlot = 3;
    SplitTrainPicture(trains().at(train), pic, 1);
    const std::vector<int32_t> chain = Chain(pic);
    EXPECT_EQ(Widths(pic), (std::vector<int32_t>{800, 800, 400}));
    EXPECT_EQ(picParts()[chain[1]].Name, u"Length Split: LONG");
    EXPECT_EQ(picParts()[chain[2]].Name, u"Length Split: Length Split: LONG");
    EXPECT_EQ(picParts()[chain[0]].FirstSlot, 1);
    EXPECT_EQ(st[1].NextSlot, 0) << "the door across the cut is dropped";
    EXPECT_EQ(picParts()[chain[1]].FirstSlot, 3);
    EXPECT_EQ(st[3].PosX, 100);
    EXPECT_EQ(st[3].OwnerPart, chain[1]);
}

TEST(FrameGrid, FramesWiderThanTheSceneFormAGrid) {
    struct Case {
        int32_t extra, width, scene, perRow, rows;
    };
    const Case cases[] = {{4, 300, 800, 2, 3}, {0, 300, 800, 1, 1}, {3, 100, 800, 4, 1}, {9, 100, 800, 5, 2}};
    for (const Case& c : cases) {
        const FrameGrid g = FrameGridFor(c.extra, c.width, c.scene);
        EXPECT_EQ(g.PerRow, c.perRow) << c.extra << " " << c.width;
        EXPECT_EQ(g.Rows, c.rows) << c.extra << " " << c.width;
    }
}

// Parts with pantograph sub-pictures, each of two frames (0 lowered, 1 raised).
class PartStates : public show_test::ShowTest {
protected:
    void SetUp() override {
        show_test::ShowTest::SetUp();
        ResetTrainPictures();
        pictureSlots().Slots.assign(1, PictureSlot{});
        pictureSlots().Count = 0;
    }
    void TearDown() override {
        pictureSlots() = PictureSlotTable{};
        ResetTrainPictures();
        show_test::ShowTest::TearDown();
    }
    int32_t Slot(int32_t part, const std::u16string& name) {
        PictureSlotTable& t = pictureSlots();
        t.Slots.emplace_back();
        const int32_t s = ++t.Count;
        t[s].Name = name;
        t[s].LastFrame = 1;
        t[s].OwnerPart = part;
        PicPart& p = picParts()[part];
        if (p.LastSlot == 0)
            p.FirstSlot = s;
        else
            t[p.LastSlot].NextSlot = s;
        p.LastSlot = s;
        return s;
    }
    int32_t Picture(const std::vector<int32_t>& parts) {
        TrainPictureTable& t = trainPictures();
        t.Entries.emplace_back();
        const int32_t pic = ++t.Count;
        t[pic].MotionState = kPictureBuilt;
        t[pic].FirstPart = parts.empty() ? 0 : parts[0];
        for (size_t i = 0; i + 1 < parts.size(); ++i) picParts()[parts[i]].NextPart = parts[i + 1];
        return pic;
    }
    // A vehicle with n pantographs and the code.
    int32_t Vehicle(int32_t pantographs, int16_t code) {
        const int32_t part = AllocPicPart(0);
        picParts()[part].PantoCode = code;
        picParts()[part].StockIndex = 1;
        for (int32_t i = 0; i < pantographs; ++i) Slot(part, u"p|PAN: ");
        return part;
    }
    std::u16string Raised(int32_t part) {
        std::u16string out;
        for (int32_t s = picParts()[part].FirstSlot; s != 0; s = pictureSlots()[s].NextSlot)
            out += pictureSlots()[s].ShowFrame == 1 ? u'1' : u'0';
        return out;
    }
};

TEST_F(PartStates, PantographsFollowTheCodeAndTheDirection) {
    struct Case {
        const char* name;
        std::vector<std::pair<int32_t, int16_t>> vehicles;  // pantographs, code
        int32_t dir;
        std::vector<std::u16string> raised;
    };
    const Case cases[] = {
        {"single, no code, right", {{1, 0}}, 1, {u"1"}},
        {"single, no code, left", {{1, 0}}, -1, {u"1"}},
        {"two, no code, right: rear", {{2, 0}}, 1, {u"10"}},
        {"two, no code, left: rear", {{2, 0}}, -1, {u"01"}},
        {"code 3 either way", {{3, 3}}, 1, {u"110"}},
        {"code 3 left", {{3, 3}}, -1, {u"110"}},
        {"front 0x20 right", {{2, 0x20}}, 1, {u"01"}},
        {"front 0x20 left", {{2, 0x20}}, -1, {u"10"}},
        {"last 0x80 right", {{4, 0x80}}, 1, {u"0001"}},
        {"last 0x80 left", {{4, 0x80}}, -1, {u"0010"}},
        {"0x90 right", {{4, 0x90}}, 1, {u"0010"}},
        {"0x40 raises the last of the picture", {{1, 0x40}, {1, 0x40}}, 1, {u"0", u"1"}},
        {"0x50 raises the very first", {{1, 0x50}, {1, 0x50}}, 1, {u"1", u"0"}},
        {"0x40 left acts as 0x50", {{1, 0x40}, {1, 0x40}}, -1, {u"1", u"0"}},
        {"16384 lowers all", {{2, 16384}}, 1, {u"00"}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> parts;
        for (const auto& [n, code] : c.vehicles) parts.push_back(Vehicle(n, code));
        InitPartStates(Picture(parts), c.dir);
        std::vector<std::u16string> raised;
        for (int32_t p : parts) raised.push_back(Raised(p));
        EXPECT_EQ(raised, c.raised) << c.name;
    }
}

TEST_F(PartStates, CouplingLinksTheEndsOfNeighbours) {
    const int32_t a = Vehicle(0, 0);
    const int32_t b = Vehicle(0, 0);
    picParts()[a].RightStates = u",GANG,";
    picParts()[b].LeftStates = u",BELLOWS,";
    const int32_t aRight = Slot(a, u"xBELLOWS>");
    const int32_t aLeft = Slot(a, u"xGANG<");
    const int32_t bLeft = Slot(b, u"xGANG<");
    const int32_t bRight = Slot(b, u"xBELLOWS>");
    LinkPartChain(Picture({a}), Picture({b}));
    EXPECT_EQ(pictureSlots()[aRight].ShowFrame, 1) << "announced by the right neighbour";
    EXPECT_EQ(pictureSlots()[bLeft].ShowFrame, 1) << "announced by the left neighbour";
    EXPECT_EQ(pictureSlots()[aLeft].ShowFrame, 0) << "outer end";
    EXPECT_EQ(pictureSlots()[bRight].ShowFrame, 0) << "outer end";
}

class Captions : public PartStates {
protected:
    void SetUp() override {
        PartStates::SetUp();
        ProgramState& st = programState();
        st.Arrays.Stock.redim(2);
        st.Shared.StockCount = 2;
        st.Arrays.Stock[1].Name = u"A";
        st.Arrays.Stock[1].Width = 100;
        st.Arrays.Stock[1].FileIndex = 0x7FFF;
        st.Arrays.Stock[1].Text2 = u"a.gif";
        st.Arrays.Stock[2].Name = u"B";
        st.Arrays.Stock[2].Width = 80;
        st.Arrays.Stock[2].FileIndex = 0x7FFF;
        train = NewTrainRec(0);
        const int32_t a = Vehicle(0, 0);
        const int32_t b = Vehicle(0, 0);
        picParts()[b].StockIndex = 2;
        const int32_t pic = Picture({a, b});
        trainPictures()[pic].SourceName = u"C";
        trains().at(train).Members[1] = pic;
        trains().at(train).MemberCount = 1;
    }
    void TearDown() override {
        programState().Arrays.Stock.redim(-1);
        programState().Shared.StockCount = 0;
        PartStates::TearDown();
    }
    int32_t train = 0;
};

TEST_F(Captions, MacrosTakeTheVehiclesStockData) {
    struct Case {
        std::u16string text, expected;
    };
    const Case cases[] = {
        {u"$(NAME)", u"A + B"},         {u"Train: $(name, length:/) end", u"Train: A 100/B 80 end"},
        {u"$(AUTHNICK)", u"? + ?"},     {u"$(MACRO)", u"a.gif + -"},
        {u"$(C.NAME)", u"A + B"},       {u"$(X.NAME)", u""},
        {u"$(UNKNOWN,NAME)", u"A + B"},
    };
    for (const Case& c : cases) {
        std::u16string text = c.text;
        ExpandCaption(trains().at(train), text);
        EXPECT_EQ(text, c.expected) << std::string(c.text.begin(), c.text.end());
    }
}

TEST_F(Captions, AReplacementHoldingAMacroIsNotExpandedAgain) {
    programState().Arrays.Stock[1].Name = u"$(NAME)";
    std::u16string text = u"$(NAME)";
    ExpandCaption(trains().at(train), text);
    EXPECT_EQ(text, u"$(NAME) + B");
}

TEST_F(Captions, AnOpenMacroIsAParenthesisProblem) {
    std::u16string text = u"x $(NAME";
    EXPECT_THROW(ExpandCaption(trains().at(train), text), ProgramError);
}

}  // namespace
