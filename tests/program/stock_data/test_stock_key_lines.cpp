// The "$" key lines of a stock: each error raised by a line of a stock file, reported with
// the file and the line, and the load going on or ending as the answer says; the count
// hints and the picture height kept within bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/core/windows/msgbox.h"
#include "program/stock_data/stock_key_lines.h"
#include "program/stock_data/stock_tables.h"
#include "stock_loading_fixture.h"

namespace stock_load_test {
namespace {

using StockKeyLines = StockLoadTest;

struct LineError {
    const char* name;
    std::vector<std::string> lines;
    std::string message;  // the box text after the stock name and line are put in ("@" and "#")
    int32_t style;
    const char* title;
    int line;
};

std::string Expand(std::string s, const std::string& stock, int line) {
    for (size_t p; (p = s.find('@')) != std::string::npos;) s.replace(p, 1, stock);
    for (size_t p; (p = s.find('#')) != std::string::npos;) s.replace(p, 1, std::to_string(line));
    return s;
}

const std::string kQuestion = "\r\n@ #\r\nDo you want to continue?";

TEST_F(StockKeyLines, EachErrorNamesTheFileAndLineAndTheLoadGoesOn) {
    std::vector<std::string> tenLanguages;
    for (int i = 0; i < 10; ++i) tenLanguages.push_back("$LANG K=L" + std::to_string(i));
    tenLanguages.push_back("$LANG K=XX");
    const LineError cases[] = {
        {"TextTwice",
         {"$TXT K=A;N=a", "$TXT K=A;N=b"},
         "$TXT K=A is defined twice" + kQuestion,
         0xC4,
         "Loading stock list",
         2},
        {"LanguageTwice",
         {"$LANG K=de;N=German", "$LANG K=DE"},
         "$LANG K=DE is defined twice" + kQuestion,
         0xC4,
         "Loading stock list",
         2},
        {"EleventhLanguage", tenLanguages, "Too many languages" + kQuestion, 0xC4, "Loading stock list", 11},
        {"BadParameters", {"$IMGY 60", "$CAT K=a;=b"}, "Syntax error" + kQuestion, 0xC4, "Loading stock list", 2},
        {"UnbalancedParameter",
         {"$LIBK K=(a"},
         "Parenthesis matching problem: K=(a" + kQuestion,
         0xC4,
         "Loading stock list",
         1},
        {"BadDescriptionKey",
         {"$ENDSTOCK", "$DESCKEY K=a;=b"},
         "Syntax error" + kQuestion,
         0x85,
         "Loading descriptions",
         2},
        {"KeyWithoutName", {"$ENDSTOCK", "", "$DESCKEY N=Power"}, "DESCKEY without a name in @ line #", 0x40, "", 3},
        {"HeaderWithoutName", {"$ENDSTOCK", "$DESC"}, "DESC without a name in @ line #", 0x40, "", 2},
        {"KeyTwice",
         {"$ENDSTOCK", "$DESCKEY K=P;N=One", "$DESCKEY K=P;N=Two"},
         "$DESCKEY P is defined twice",
         0x40,
         "",
         3},
        {"AuthorBraceNotClosed",
         {"$AUTH AB;Abe;{x"},
         "Parenthesis problem in conditional string $AUTH Name",
         0x40,
         "",
         1},
    };
    for (const LineError& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_.clear();
        answer_ = 0;
        std::vector<std::string> lines = c.lines;
        const bool descPart = lines.front() == "$ENDSTOCK";
        if (!descPart) lines.push_back("LAST;;G;;last.gif");
        const std::string path = Write(std::string(c.name) + ".stk", lines);
        Load(path);
        ASSERT_EQ(boxes_.size(), 1u);
        const std::string& stock = path;
        EXPECT_EQ(utf8(boxes_[0].text), Expand(c.message, stock, c.line));
        EXPECT_EQ(boxes_[0].style, c.style);
        EXPECT_EQ(utf8(boxes_[0].title), c.title);
        if (!descPart) {
            EXPECT_EQ(Shared().StockCount, 1) << "the entry after the error is read";
        }
        EXPECT_EQ(yov::programState().run.StopRequest, 0);
    }
}

TEST_F(StockKeyLines, ASecondKeyOfTheSameNameOverwritesTheFirst) {
    Load(Write("keys.stk", {"$ENDSTOCK", "$DESCKEY K=P;N=One;S=Y", "$DESCKEY K=P;N=Two;L=N"}));
    EXPECT_EQ(Shared().DescKeyCount, 8);
    EXPECT_EQ(Arrays().DescKeys[8].Names[0], u"Two");
    EXPECT_EQ(Arrays().DescKeys[8].Flags, 0x18);
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(StockKeyLines, AValueWithoutAnyKeyIsReported) {
    yov::SetStockName(u"T.STK");
    yov::InitStockSections();
    Shared().DescKeyCount = 0;
    EXPECT_EQ(yov::OnDescKeyLine(u"$DESCVALUE K=x", 4), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(utf8(boxes_[0].text), "Description value before any description key in T.STK line 4");
    EXPECT_EQ(Shared().DescValueCount, 0);
}

TEST_F(StockKeyLines, YesToAllHoldsForTheRestOfTheLoad) {
    answer_ = yov::msgbox::kYesToAll;
    const std::string path =
        Write("many.stk", {"$TXT K=A", "$TXT K=A", "$TXT K=A", "$ENDSTOCK", "$DESCKEY K=a;=b", "$DESCKEY K=b;=c"});
    Load(path);
    EXPECT_EQ(boxes_.size(), 1u) << "later errors of the load show no box";
    EXPECT_EQ(Shared().LangTextCount, 1);
    // The next load asks again.
    boxes_.clear();
    answer_ = yov::msgbox::kOk;
    Load(folder() + "/none.stb");
    Load(path);
    EXPECT_EQ(boxes_.size(), 4u);
}

TEST_F(StockKeyLines, CancelEndsTheLoadWithEmptyTables) {
    for (const bool descPart : {false, true}) {
        SCOPED_TRACE(descPart);
        yov::programState().run.StopRequest = 0;
        answer_ = yov::msgbox::kCancel;
        boxes_.clear();
        const std::vector<std::string> lines =
            descPart ? std::vector<std::string>{"ONE;;G;;o.gif", "$ENDSTOCK", "$DESCKEY K=a;=b", "$DESCKEY K=X"}
                     : std::vector<std::string>{"ONE;;G;;o.gif", "$TXT K=A", "$TXT K=A", "TWO;;G;;t.gif"};
        Load(Write(descPart ? "cancel2.stk" : "cancel1.stk", lines));
        EXPECT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(Shared().StockCount, 0);
        EXPECT_EQ(Shared().DescKeyCount, 7);
        EXPECT_EQ(yov::stockState().LoadMode, yov::kLoadCancelled);
        EXPECT_EQ(yov::programState().run.StopRequest, 1);
        EXPECT_FALSE(yov::programState().scene.StockOk);
    }
}

TEST_F(StockKeyLines, CountHintsAllocateWithinBounds) {
    struct Case {
        const char16_t* line;
        int32_t SharedState::*alloc;
        int32_t expected;
    };
    const Case cases[] = {
        {u"$STOCKCNT 99999999", &SharedState::StockAlloc, yov::kMaxCountHint},
        {u"$AUTHCNT 12", &SharedState::AuthorAlloc, 12},
        {u"$LIBCNT 4", &SharedState::LibInfoAlloc, 4},
        {u"$CATCNT 1e12", &SharedState::CategoryAlloc, yov::kMaxCountHint},
        {u"$TXTCNT -5", &SharedState::LangTextAlloc, 0},
        {u"$TXTCNT many", &SharedState::LangTextAlloc, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.line));
        yov::InitStockSections();
        Shared().AuthorAlloc = Shared().LibInfoAlloc = Shared().LangTextAlloc = 0;
        Arrays().Authors.redim(-1);
        Arrays().LibInfos.redim(-1);
        Arrays().LangTexts.redim(-1);
        Arrays().Categories.redim(1);
        Shared().CategoryAlloc = 1;
        EXPECT_EQ(yov::OnStockKeyLine(c.line, 1), yov::kKeyLineGoOn);
        EXPECT_EQ(Shared().*c.alloc, c.expected);
    }
    const Case descCases[] = {
        {u"$DESCCNT 70000", &SharedState::DescTextAlloc, yov::kMaxCountHint},
        {u"$DESCKEYCNT 20", &SharedState::DescKeyAlloc, 20},
        {u"$DESCVALCNT 3", &SharedState::DescValueAlloc, 3},
    };
    for (const Case& c : descCases) {
        SCOPED_TRACE(utf8(c.line));
        yov::InitStockSections();
        EXPECT_EQ(yov::OnDescKeyLine(c.line, 1), yov::kKeyLineGoOn);
        EXPECT_EQ(Shared().*c.alloc, c.expected);
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(StockKeyLines, ThePictureHeightStaysWithinItsRange) {
    yov::SetStockName(u"T.STK");
    struct Case {
        const char16_t* line;
        int32_t height;
        bool logged;
    };
    const Case cases[] = {
        {u"$IMGY 64.5", 64, false}, {u"$imgy 65.5", 66, false}, {u"$IMGY 10", 30, true},
        {u"$IMGY 400", 300, true},  {u"$IMGY x", 30, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.line));
        const size_t before = logLines().size();
        EXPECT_EQ(yov::OnStockKeyLine(c.line, 7), yov::kKeyLineGoOn);
        EXPECT_EQ(Shared().PictureHeight, c.height);
        EXPECT_EQ(logLines().size() > before, c.logged);
    }
    EXPECT_NE(logLines().back().find("T.STK line 7"), std::string::npos) << logLines().back();
}

TEST_F(StockKeyLines, TheEndLines) {
    struct Case {
        const char16_t* line;
        bool descPart;
        int32_t mode;
        int32_t result;
    };
    const Case cases[] = {
        {u"$TXTEND", false, 0, yov::kKeyLineGoOn},         {u"$TXTEND", false, -1, yov::kKeyLineTextsDone},
        {u"$ENDSTOCK", false, -1, yov::kKeyLineStockDone}, {u"$ENDDESC", true, 0, yov::kKeyLineDescDone},
        {u"$ENDDESC", false, 0, yov::kKeyLineGoOn},        {u"$NOTAKEY x", false, 0, yov::kKeyLineGoOn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(utf8(c.line));
        yov::InitStockSections();
        yov::stockState().LoadMode = c.mode;
        yov::programState().scene.StockOk = false;
        EXPECT_EQ(c.descPart ? yov::OnDescKeyLine(c.line, 1) : yov::OnStockKeyLine(c.line, 1), c.result);
    }
    EXPECT_TRUE(yov::programState().scene.StockOk == false);
}

}  // namespace
}  // namespace stock_load_test
