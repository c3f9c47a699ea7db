// OpenPictureRef, DrawPicturePart and CleanPictureCache against a recording engine: the
// picture names each kind of reference builds, sheet cells, the temporary cache, and the
// program errors of references that cannot be resolved.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture_ref_fixture.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_resources.h"
#include "program/core/startup/program_state.h"

namespace {

using picref_test::DrawCall;
using picref_test::LookAnswer;
using picref_test::PictureRefTest;
using yov::pictureRef;

TEST_F(PictureRefTest, AQuotedSlashedNameWithoutExtensionIsAGifUnderTheStockThenTheProgramFolder) {
    yov::programState().scene.StockDir = u"/stock/here";
    const std::string program = yov::programFolder();
    answers_[program + "/pics/loco.GIF"] = LookAnswer{1, 30, 20, 4096};
    std::u16string text = u"\"pics/loco\"";
    yov::OpenPictureRef(text, yov::kRefTemporaryCache | 0x11, 0);
    EXPECT_EQ(text, u"pics/loco.GIF") << "the name keeps its separators";
    ASSERT_EQ(looks_.size(), 2u);
    EXPECT_EQ(looks_[0].name, "/stock/here/pics/loco.GIF");
    EXPECT_EQ(looks_[1].name, program + "/pics/loco.GIF");
    EXPECT_EQ(looks_[1].flags, yov::kRefTemporaryCache) << "only flag 0x80 goes with a file";
    EXPECT_EQ(pictureRef().PicRefStock, 0);
    EXPECT_EQ(pictureRef().PicRefWidth, 30);
    EXPECT_EQ(pictureRef().PicRefOpenHeight, 20);
    EXPECT_EQ(pictureRef().PicRefCache, 4096) << "a file picture keeps its cache reference too";
    EXPECT_TRUE(yov::openedEntries().empty()) << "no stock entry to forget";
}

TEST_F(PictureRefTest, FileNamesAreCompletedAndRootedOnesUsedAsTheyAre) {
    yov::programState().scene.StockDir = u"S";
    const struct {
        std::u16string text;
        std::u16string resolved;
        std::string looked;
    } cases[] = {
        {u"C:/pics/a.bmp", u"C:/pics/a.bmp", "C:/pics/a.bmp"},
        {u"/abs/b.gif", u"/abs/b.gif", "/abs/b.gif"},
        {u"\\abs\\B.GIF", u"\\abs\\B.GIF", "\\abs\\B.GIF"},
        {u"dir.v2\\c", u"dir.v2\\c.GIF", "S\\dir.v2\\c.GIF"},
        {u"dir/Mixed.Case", u"dir/Mixed.Case", "S/dir/Mixed.Case"},
        {u"d.dib", u"d.dib", "S/d.dib"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(picref_test::utf8(c.text));
        answers_[c.looked] = LookAnswer{0, 5, 6, 0};
        looks_.clear();
        std::u16string text = c.text;
        yov::OpenPictureRef(text, 0, 0);
        EXPECT_EQ(text, c.resolved);
        ASSERT_EQ(looks_.size(), 1u);
        EXPECT_EQ(looks_[0].name, c.looked);
    }
}

TEST_F(PictureRefTest, AFileFoundNowhereIsPictureNotFound) {
    yov::programState().scene.StockDir = u"S";
    std::u16string text = u"nowhere.gif";
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(text, 0, 0); }), u"Picture nowhere.gif not found");
}

struct KindCase {
    const char* label;
    uint8_t kind;
    std::u16string path;
    std::u16string text;
    std::string name;
    int32_t flags;  // the kind's bits
};

TEST_F(PictureRefTest, EachKindOfStockFileBuildsItsPictureName) {
    const KindCase cases[] = {
        {"gif", 1, u"C:\\P", u"loco", "C:\\P\\loco.GIF", 0},
        {"gif named with its extension", 1, u"C:\\P", u"e40.gif", "C:\\P\\e40.gif", 0},
        {"gif named with another extension", 1, u"C:\\P", u"e40.png", "C:\\P\\e40.png.GIF", 0},
        {"bmp without folder", 2, u"", u"loco", "loco.BMP", 0},
        {"ne resource", 5, u"C:\\P\\PICS.EXE", u"12", "C:\\P\\PICS.EXE|12", 0},
        {"library with offsets", 7, u"A.TPL", u"1234", "A.TPL?1234", 0},
        {"bmp with corner transparency", 10, u"P", u"x", "P/x.BMP", 0x20},
        {"dib with magenta transparency", 19, u"P", u"x", "P/x.DIB", 0x10},
        {"kind without extension", 4, u"P", u"x.png", "P/x.png", 0},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.label);
        const int32_t file = AddFile(c.kind, c.path);
        const int32_t entry = AddEntry(u"E" + picref_test::u16(c.label), file, c.text);
        answers_[c.name] = LookAnswer{1, 40, 30, 500 + entry};
        looks_.clear();
        std::u16string none;
        yov::OpenPictureRef(none, 0x80, entry);
        ASSERT_EQ(looks_.size(), 1u);
        EXPECT_EQ(looks_[0].name, c.name);
        EXPECT_EQ(looks_[0].flags, 0x80 | c.flags);
        EXPECT_EQ(Entry(entry).Width, 40);
        EXPECT_EQ(Entry(entry).Height, 30);
        EXPECT_EQ(Entry(entry).PictureRef, 500 + entry);
        EXPECT_EQ(pictureRef().PicRefStock, entry);
        EXPECT_EQ(pictureRef().PicRefCache, 500 + entry);
        EXPECT_EQ(pictureRef().PicRefCell, 0);
    }
}

TEST_F(PictureRefTest, AResourceLibraryIsOpenedOnceAndItsModuleGoesWithTheName) {
    const int32_t file = AddFile(6, u"C:\\P\\PICS.DLL");
    const int32_t a = AddEntry(u"A", file, u"WAGON");
    const int32_t b = AddEntry(u"B", file, u"LOCO");
    answers_["C:\\P\\PICS.DLL;WAGON"] = LookAnswer{1, 10, 10, 0};
    answers_["C:\\P\\PICS.DLL;LOCO"] = LookAnswer{1, 10, 10, 0};
    std::u16string none;
    yov::OpenPictureRef(none, 0, a);
    yov::OpenPictureRef(none, 0, b);
    EXPECT_EQ(opened_, std::vector<std::string>{"C:\\P\\PICS.DLL"});
    ASSERT_EQ(looks_.size(), 2u);
    EXPECT_EQ(looks_[0].module, 77u);
    EXPECT_EQ(looks_[1].module, 77u);

    const int32_t other = AddFile(6, u"BAD.DLL");
    const int32_t c = AddEntry(u"C", other, u"X");
    openResult_ = -40193;
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, c); }), u"Error -40193 loading BAD.DLL");
}

TEST_F(PictureRefTest, AStockEntryByNameLoadsOnceThenUsesItsCacheReference) {
    const int32_t file = AddFile(1, u"P");
    AddEntry(u"LOCO", file, u"loco");
    answers_["P/loco.GIF"] = LookAnswer{1, 40, 30, 777};
    std::u16string name = u"LOCO";
    yov::OpenPictureRef(name, 0, 0);
    yov::OpenPictureRef(name, 0, 0);
    EXPECT_EQ(looks_.size(), 1u);
    EXPECT_EQ(pictureRef().PicRefCache, 777);
    EXPECT_EQ(pictureRef().PicRefOpenWidth, 40);
    EXPECT_EQ(steps_, (std::vector<int32_t>{10201, 10201})) << "a frame step after every stock picture";

    std::u16string unknown = u"TENDER";
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(unknown, 0, 0); }), u"Picture TENDER not found");
    std::u16string none;
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, 99); }), u"Picture #99 not found");
}

TEST_F(PictureRefTest, AKnownSizeIsEnoughWithFlag0x40) {
    const int32_t file = AddFile(1, u"P");
    const int32_t e = AddEntry(u"LOCO", file, u"loco");
    Entry(e).Width = 12;
    Entry(e).Height = 34;
    Entry(e).PictureRef = 0;
    std::u16string none;
    yov::OpenPictureRef(none, yov::kRefKnownSize, e);
    EXPECT_TRUE(looks_.empty());
    EXPECT_TRUE(steps_.empty());
    EXPECT_EQ(pictureRef().PicRefWidth, 12);
    EXPECT_EQ(pictureRef().PicRefOpenHeight, 34);
}

TEST_F(PictureRefTest, EntriesWithoutAFileAndEmptyTexts) {
    const int32_t named = AddEntry(u"NAMED", yov::kFileIndexPictureName, u"5");
    answers_["|5"] = LookAnswer{1, 3, 4, 0};
    std::u16string none;
    yov::OpenPictureRef(none, 0, named);
    EXPECT_EQ(looks_.back().name, "|5");

    const int32_t macro = AddEntry(u"MACRO", yov::kFileIndexMacro, u"A+B");
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, macro); }), u"Macro used as single picture");
    const int32_t empty = AddEntry(u"EMPTY", AddFile(1, u"P"), u"");
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, empty); }), u"Empty Value for EMPTY");
}

TEST_F(PictureRefTest, LoadFailuresNameTheFileOrTheCode) {
    const int32_t file = AddFile(1, u"P");
    const int32_t missing = AddEntry(u"MISSING", file, u"gone");
    const int32_t broken = AddEntry(u"BROKEN", file, u"bad");
    answers_["P/bad.GIF"] = LookAnswer{-10404, 0, 0, 0};
    std::u16string none;
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, missing); }), u"File P/gone.GIF not found\r\n(Error -10501)");
    EXPECT_EQ(ErrorOf([&] { yov::OpenPictureRef(none, 0, broken); }), u"Error -10404 loading P/bad.GIF");
}

struct CellCase {
    char16_t letter;
    int32_t sheetHeight;
    int32_t x, y, width, height;
};

TEST(SheetCells, ThreeColumnsAndRowsOfThePictureHeightFromTheBottom) {
    const CellCase cases[] = {
        {u'A', 116, 0, -58, 120, 58},  {u'B', 116, 0, -58, 60, 58},  {u'C', 116, 60, -58, 60, 58},
        {u'D', 116, 0, -116, 120, 58}, {u'E', 116, 0, -116, 60, 58}, {u'F', 116, 60, -116, 60, 58},
        {u'b', 116, 0, -58, 60, 58},   {u'C', 40, 60, -40, 60, 40},  {u'1', 116, 0, -58, 120, 58},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(static_cast<char>(c.letter));
        const yov::SheetCell cell = yov::SheetCellOf(c.letter, 121, c.sheetHeight, 58);
        EXPECT_EQ(cell.x, c.x);
        EXPECT_EQ(cell.y, c.y);
        EXPECT_EQ(cell.width, c.width);
        EXPECT_EQ(cell.height, c.height);
    }
}

// The cell comes from the whole sheet at every open, so a cached sheet never shrinks.
TEST_F(PictureRefTest, ASheetCellKeepsItsSizeWhenOpenedAgain) {
    const int32_t sheets = AddFile(9, u"C:\\SH");
    const int32_t e = AddEntry(u"COACH", sheets, u"coachC");
    answers_["C:\\SH\\coach.BMP"] = LookAnswer{1, 121, 116, 640};
    std::u16string none;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        yov::OpenPictureRef(none, 0, e);
        EXPECT_EQ(pictureRef().PicRefCell, 'C');
        EXPECT_EQ(pictureRef().PicRefCellX, 60);
        EXPECT_EQ(pictureRef().PicRefCellY, -58);
        EXPECT_EQ(pictureRef().PicRefCellWidth, 60);
        EXPECT_EQ(pictureRef().PicRefCellHeight, 58);
        EXPECT_EQ(Entry(e).Width, 60);
        EXPECT_EQ(Entry(e).Height, 58);
        EXPECT_EQ(pictureRef().PicRefWidth, 60);
        EXPECT_EQ(Entry(e).PictureRef, 640);
        answers_["C:\\SH\\coach.BMP"].result = 0;  // found in the cache from now on
    }
    EXPECT_EQ(looks_[0].flags, 0x20) << "sheets take the corner pixel as transparent";
}

// The show may grow the stock table during the wait: the load's answer goes to the entry
// by its index, never through a reference taken before.
TEST_F(PictureRefTest, TheStockTableMayBeReallocatedWhileAPictureLoads) {
    const int32_t file = AddFile(1, u"P");
    const int32_t e = AddEntry(u"LOCO", file, u"loco");
    answers_["P/loco.GIF"] = LookAnswer{1, 40, 30, 321};
    onLook_ = [] { yov::programState().Arrays.Stock.redim(5000); };
    std::u16string none;
    yov::OpenPictureRef(none, 0, e);
    EXPECT_EQ(Entry(e).Width, 40);
    EXPECT_EQ(Entry(e).PictureRef, 321);
}

TEST_F(PictureRefTest, TheTemporaryCacheIsForgottenInCacheModeZeroOnly) {
    const int32_t file = AddFile(1, u"P");
    const int32_t a = AddEntry(u"A", file, u"a");
    const int32_t b = AddEntry(u"B", file, u"b");
    answers_["P/a.GIF"] = LookAnswer{1, 4, 4, 100};
    answers_["P/b.GIF"] = LookAnswer{1, 4, 4, 200};
    std::u16string none;
    yov::OpenPictureRef(none, yov::kRefTemporaryCache, a);
    yov::OpenPictureRef(none, 0, b);
    EXPECT_EQ(yov::openedEntries(), std::vector<int32_t>{a});

    yov::programState().scene.CacheMode = 1;
    yov::CleanPictureCache();
    EXPECT_EQ(cleans_, 0);
    EXPECT_EQ(Entry(a).PictureRef, 100);

    yov::programState().scene.CacheMode = 0;
    yov::CleanPictureCache();
    EXPECT_EQ(cleans_, 1);
    EXPECT_EQ(Entry(a).PictureRef, 0);
    EXPECT_EQ(Entry(b).PictureRef, 200) << "not opened into the temporary cache";
    EXPECT_TRUE(yov::openedEntries().empty());
}

TEST_F(PictureRefTest, DrawPicturePartDrawsACellOrTheBottomRowsOfTheWholePicture) {
    const int32_t sheets = AddFile(9, u"SH");
    const int32_t cell = AddEntry(u"COACH", sheets, u"coachB");
    const int32_t whole = AddEntry(u"LOCO", AddFile(1, u"P"), u"loco");
    answers_["SH/coach.BMP"] = LookAnswer{1, 121, 116, 640};
    answers_["P/loco.GIF"] = LookAnswer{1, 50, 30, 900};
    std::u16string none;

    yov::OpenPictureRef(none, 0, cell);
    steps_.clear();
    yov::DrawPicturePart(640, 11, 12, 3, 4, 0, 99, u"COACH", 0x01);
    yov::DrawPicturePart(640, 11, 12, 3, 4, 500, 99, u"COACH", 0x01);
    yov::DrawPicturePart(640, 11, 12, 3, 4, 20, 99, u"COACH", 0x01);
    EXPECT_EQ(draws_, (std::vector<DrawCall>{{640, 11, 12, 3, 4, 60, 58, 0, -58, 1},
                                             {640, 11, 12, 3, 4, 60, 58, 0, -58, 1},
                                             {640, 11, 12, 3, 4, 20, 58, 0, -58, 1}}));
    EXPECT_EQ(steps_, (std::vector<int32_t>{10311, 10312, 10311, 10312, 10311, 10312}));

    yov::OpenPictureRef(none, 0, whole);
    draws_.clear();
    yov::DrawPicturePart(900, 11, 0, 0, 0, 0, 30, u"LOCO", 0);
    yov::DrawPicturePart(900, 11, 0, 0, 0, 10, 8, u"LOCO", 0);
    EXPECT_EQ(draws_,
              (std::vector<DrawCall>{{900, 11, 0, 0, 0, 50, 30, 0, 0, 0}, {900, 11, 0, 0, 0, 10, 8, 0, 22, 0}}));

    drawResult_ = -20006;
    EXPECT_EQ(ErrorOf([&] { yov::DrawPicturePart(900, 11, 0, 0, 0, 0, 30, u"LOCO", 0); }),
              u"Error -20006 drawing picture LOCO");
}

}  // namespace
