// The picture-editing items of a vehicle description, by golden pixels of the built picture.
#include <gtest/gtest.h>

#include "vehicle_picture_fixture.h"

namespace {

using vehicle_test::VehiclePictureTest;

const std::vector<std::string> kBase = {
    "gggggb",
    "gbbggb",
    "gggggb",
    "yyyyyy",
};

struct EditCase {
    const char* name;
    std::u16string description;
    std::vector<std::string> expected;
};

class Edits : public VehiclePictureTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(Edits, GivePicture) {
    Base(kBase);
    yov::pictureSlots().PictureDirection = 1;
    Build(GetParam().description);
    EXPECT_EQ(Picture(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Edits,
    ::testing::Values(
        EditCase{"FillPositional", u"[B:1,1,2,2,#FF0000]", {"gggggb", "grrggb", "grrggb", "yyyyyy"}},
        EditCase{"FillNamed", u"[B:X=1;Y=1;W=2;H=2;C=#FF0000]", {"gggggb", "grrggb", "grrggb", "yyyyyy"}},
        EditCase{"FillFromRightEdge", u"[B:-2,0,2,1,#FFFFFF]", {"ggggww", "gbbggb", "gggggb", "yyyyyy"}},
        EditCase{"ClearTransparent", u"[BT:0,0,2,1]", {"__gggb", "gbbggb", "gggggb", "yyyyyy"}},
        EditCase{"Recolour", u"[C:#00FF00,#FF0000]", {"rrrrrb", "rbbrrb", "rrrrrb", "yyyyyy"}},
        EditCase{"MirrorWhole", u"[M]", {"bggggg", "bggbbg", "bggggg", "yyyyyy"}},
        EditCase{"MirrorInPlace", u"[MP:0,1,3,1]", {"gggggb", "bbgggb", "gggggb", "yyyyyy"}},
        EditCase{"CopyAcross", u"[XC:0,1,3,1,3]", {"gggggb", "gbbgbb", "gggggb", "yyyyyy"}},
        EditCase{"CopyMirrored", u"[MX:0,1,3,1,3]", {"gggggb", "gbbbbg", "gggggb", "yyyyyy"}},
        EditCase{"CopyRect", u"[CP:1,1,2,1,3,2]", {"gggggb", "gbbggb", "gggbbb", "yyyyyy"}},
        EditCase{"FloodFill", u"[F:0,0,#FFFFFF]", {"wwwwwb", "wbbwwb", "wwwwwb", "yyyyyy"}},
        EditCase{"Condition",
                 u"[!SNOW][SNOW!B:0,0,1,1,#FF0000][#SNOW!B:1,0,1,1,#FF0000]",
                 {"rggggb", "gbbggb", "gggggb", "yyyyyy"}},
        EditCase{"LeftOnlyOnRightFacing",
                 u"[<B:0,0,1,1,#FF0000][>B:1,0,1,1,#FF0000]",
                 {"grgggb", "gbbggb", "gggggb", "yyyyyy"}},
        EditCase{"UnknownKeySkipped", u"[XYZ:1,2][B:0,3,1,1,#FF0000]", {"gggggb", "gbbggb", "gggggb", "ryyyyy"}},
        EditCase{"FontDescriptionShownAsItIs", u"[FONT:PLATE]0123:3,[B:0,0,1,1,#FF0000]", kBase}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VehiclePictureTest, PlainViewAppliesBothDirectionsAndSkipsEdits) {
    Base(kBase);
    yov::pictureSlots().PictureDirection = 1;
    yov::vehicleBuild().PlainView = 1;
    Build(u"[<PLU][B:0,0,1,1,#FF0000]");
    EXPECT_EQ(Picture(), kBase) << "edit keys skipped";
    EXPECT_EQ(Part().PantoCode, 1) << "a left-only item applied";
    EXPECT_EQ(yov::vehicleBuild().PictureFlags & yov::kPicDirectional, yov::kPicDirectional);
}

TEST_F(VehiclePictureTest, ACanvasInModeTwoCollectsConditionsAndTakesTheirSwitch) {
    Base(kBase);
    yov::currentCanvas().mode = 2;
    Build(u"[RAIN!B:0,0,1,1,#FF0000][L!B:1,0,1,1,#FF0000]");
    EXPECT_EQ(Picture(), kBase);
    ASSERT_EQ(yov::vehicleBuild().Conditions.size(), 2u);
    EXPECT_EQ(yov::vehicleBuild().Conditions[0].Name, u"RAIN");
    EXPECT_EQ(yov::vehicleBuild().Conditions[0].Seen, 1);
    EXPECT_NE(yov::vehicleBuild().PictureFlags & yov::kPicCondL, 0) << "L marks the picture whenever it occurs";
    yov::vehicleBuild().Conditions[0].On = 1;
    Build(u"[RAIN!B:0,0,1,1,#FF0000]");
    EXPECT_EQ(Picture()[0], "rggggb");
}

TEST_F(VehiclePictureTest, SecondVariantKeepsEditsAndSkipsPassZeroKeys) {
    Base(kBase);
    Build(u"[B:0,0,1,1,#FF0000][FL:2,0][PLU]", 1);
    EXPECT_EQ(Picture(1), (std::vector<std::string>{"rggggb", "gbbggb", "gggggb", "yyyyyy"}));
    EXPECT_EQ(Picture(0), kBase);
    EXPECT_EQ(Part().FirstSlot, 0) << "no lamp for variant 1";
    EXPECT_EQ(Part().PantoCode, 1);
}

TEST_F(VehiclePictureTest, MirrorMarksThePictureUnlessFlagged) {
    Base(kBase);
    Build(u"[M]");
    EXPECT_EQ(yov::vehicleBuild().Mirrored, 1);
    EXPECT_NE(yov::vehicleBuild().PictureFlags & yov::kPicMirrored, 0);
    yov::vehicleBuild().PictureFlags = 0;
    Build(u"[R]", 0, 1);
    EXPECT_EQ(yov::vehicleBuild().PictureFlags & yov::kPicMirrored, 0);
    EXPECT_EQ(Part().Flags & 0x02, 0x02) << "R reverses the part";
}

TEST_F(VehiclePictureTest, BrightnessRaisesTheRectangleOnly) {
    Base(kBase);
    Build(u"[BC:0.5,0,0,3,1,1]");
    const plat::COLORREF raised = plat::GetPixel(yov::currentCanvas().pictureDc, 0, 3);
    EXPECT_GT(plat::GetGValue(raised), 255 / 2) << "yellow stays yellow-ish";
    EXPECT_GT(plat::GetBValue(raised), 0) << "blue rose from 0";
    EXPECT_EQ(Picture()[3].substr(1), "yyyyy");
}

TEST_F(VehiclePictureTest, CropsMoveAndShrinkThePart) {
    Base(kBase);
    Build(u"[CROPL:2][CROPT:1][CROPR:1]");
    EXPECT_EQ(Part().SrcX, 2);
    EXPECT_EQ(Part().Width, 3);
    EXPECT_EQ(Part().PartY, 1);
    EXPECT_EQ(Part().PartHeight, 3);
}

struct ErrorCase {
    const char* name;
    std::u16string description;
    std::u16string error;
};

class Errors : public VehiclePictureTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(Errors, AreReported) {
    Base(kBase);
    EXPECT_EQ(BuildError(GetParam().description), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Errors,
    ::testing::Values(
        ErrorCase{"MissingBracket", u"[B:0,0,1,1,#FF0000][B:1,1", u"Missing closing bracket in: [B:1,1"},
        ErrorCase{"CropWiderThanPart", u"[CROPL:7]", u"Operation out of picture area"},
        ErrorCase{"CropTallerThanPart", u"[CROPT:5]", u"Operation out of picture area"},
        ErrorCase{"RectangleOutside", u"[B:4,0,3,1,#FF0000]", u"B:4,0,3,1,#FF0000 does not fit into the picture"},
        ErrorCase{"TextAfterParenthesis", u"[FL:1,1;R=(ON=C)X]", u"Text after the closing parenthesis: (ON=C)X"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(VehiclePictureTest, EarlierItemsStayWhenALaterOneFails) {
    Base(kBase);
    BuildError(u"[B:0,0,1,1,#FF0000][CROPL:9]");
    EXPECT_EQ(Picture()[0], "rggggb");
}

TEST_F(VehiclePictureTest, MotionDefaultsAndLabelsReachTheirReaders) {
    Base(kBase);
    Build(u"[#A:0.5][#V:80][#W:heavy][L:ic,ec][L:night]");
    EXPECT_FLOAT_EQ(yov::vehicleBuild().DefaultAcceleration, 0.5f);
    EXPECT_FLOAT_EQ(yov::vehicleBuild().DefaultSpeed, 80);
    EXPECT_EQ(yov::vehicleBuild().DefaultW, u"heavy");
    EXPECT_EQ(Part().Labels, u"IC,EC,NIGHT");
}

TEST_F(VehiclePictureTest, EnclosingParametersSurviveTheBuild) {
    Base(kBase);
    yov::paramTable().ParseParams(u"SPEED=3");
    Build(u"[B:X=0;Y=0;W=1;H=1;C=#FF0000]");
    EXPECT_EQ(yov::paramTable().GetParam(u"SPEED", u""), u"3");
}

}  // namespace
