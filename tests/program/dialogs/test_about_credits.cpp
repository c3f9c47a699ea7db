// The About window's credits and layout as data: which blocks appear for a script's info
// text, how authors are chosen and sorted, the positions of their links (CR LF counting
// two), and the rectangles of the controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "program/dialogs/about_credits.h"
#include "program/dialogs/about_layout.h"

namespace {

using yov::CreditLink;
using yov::CreditsAlign;

AuthorEntry author(const char16_t* name, const char16_t* mail = u"", const char16_t* home = u"") {
    AuthorEntry a;
    a.Name = name;
    a.Mail = mail;
    a.HomePage = home;
    return a;
}

struct Sources {
    std::vector<AuthorEntry> table{AuthorEntry{}};
    yov::CreditsSources src;
    Sources() {
        src.ownCreditsTitle = u"Program testing, help and documentation:";
        src.ownCreditsLines = u"One\r\nTwo\r\n";
        src.translatorsTitle = u"Language translations:";
    }
    yov::CreditsSources& get() {
        src.authors = table.data();
        src.authorCount = static_cast<int32_t>(table.size()) - 1;
        return src;
    }
};

std::vector<std::u16string> titles(const yov::Credits& c) {
    std::vector<std::u16string> out;
    for (const yov::CreditsPiece& p : c.pieces)
        if (p.pointSize == 11) out.push_back(p.text);
    return out;
}

struct InfoCase {
    const char* name;
    const char16_t* info;
    std::vector<std::u16string> titles;
    const char16_t* infoText;  // the block text after the titles, empty when none
    CreditsAlign align;
};

class InfoBlocks : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoBlocks, ChooseOwnCreditsAndTheInfoBlock) {
    const InfoCase& c = GetParam();
    Sources s;
    s.src.info = c.info;
    s.src.scriptFlags = 4;  // no authors list, to look at the blocks alone
    const yov::Credits credits = yov::BuildCredits(s.get());
    EXPECT_EQ(titles(credits), c.titles);
    int32_t length = 0;
    for (const yov::CreditsPiece& p : credits.pieces) length += static_cast<int32_t>(p.text.size());
    EXPECT_EQ(credits.CreditsLength, length);
    if (*c.infoText != 0) {
        ASSERT_FALSE(credits.pieces.empty());
        EXPECT_EQ(credits.pieces.back().text, c.infoText);
        EXPECT_EQ(credits.pieces.back().align, c.align);
    }
}

const std::u16string kOwn = u"Program testing, help and documentation:\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    About, InfoBlocks,
    ::testing::Values(InfoCase{"EmptyShowsTheOwnCredits", u"", {kOwn}, u"One\r\nTwo\r\n\r\n", CreditsAlign::Left},
                      InfoCase{"PlusShowsBoth", u"+Scene by us", {kOwn}, u"Scene by us\r\n", CreditsAlign::Left},
                      InfoCase{"OtherInfoReplacesThem", u">Scene by us", {}, u"Scene by us\r\n", CreditsAlign::Right},
                      InfoCase{"OneLineIsATitleWithoutText", u"Only a title\r\n", {}, u"", CreditsAlign::Left},
                      InfoCase{"StarCentresTitleAndText",
                               u"*Title\r\nText\r\n",
                               {u"Title\r\n\r\n"},
                               u"Text\r\n\r\n",
                               CreditsAlign::Centre}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AboutCredits, TranslatorsBlockOnlyWhenSomeLanguageHasATranslator) {
    Sources s;
    s.src.scriptFlags = 4;
    EXPECT_EQ(titles(yov::BuildCredits(s.get())).size(), 1u);
    s.src.translatorLines = {u"German: Anna"};
    const yov::Credits c = yov::BuildCredits(s.get());
    ASSERT_EQ(titles(c).size(), 2u);
    EXPECT_EQ(c.pieces.back().text, u"German: Anna\r\n\r\n");
}

TEST(AboutCredits, SortKeysSwapTwoWordNamesOnly) {
    EXPECT_EQ(yov::AuthorSortKey(u"Anna Berg"), u"BERG ANNA");
    EXPECT_EQ(yov::AuthorSortKey(u"cher"), u"CHER");
    EXPECT_EQ(yov::AuthorSortKey(u"Jean Paul Sartre"), u"JEAN PAUL SARTRE");
    EXPECT_EQ(yov::AuthorSortKey(u"Émile Zola"), u"ZOLA ÉMILE");
}

TEST(AboutCredits, AuthorsNamedByTheStockOnceEachSortedByKey) {
    Sources s;
    s.table.push_back(author(u"Zoe Able"));  // 1: ABLE ZOE
    s.table.push_back(author(u"Bo Zed"));    // 2: ZED BO
    s.table.push_back(author(u"Ann Ohm"));   // 3: not named by the stock
    s.table.push_back(author(u"Émil Ohm"));  // 4: OHM ÉMIL after OHM ANN by character code
    s.table.push_back(author(u"Bo Zed"));    // 5: the same name again, listed too, after 2
    s.src.entryAuthors = {2, 1, 2, 0, 99, -3, 4, 5, 2};
    EXPECT_EQ(yov::ListedAuthors(s.get()), (std::vector<int32_t>{1, 4, 2, 5}));
    s.src.entryAuthors.clear();  // no stock: every author
    EXPECT_EQ(yov::ListedAuthors(s.get()), (std::vector<int32_t>{1, 3, 4, 2, 5}));
    s.src.entryAuthors = {0, 0};  // stock naming nobody: the heading and no lines
    const yov::Credits c = yov::BuildCredits(s.get());
    EXPECT_EQ(c.AuthorLineCount(), 0);
    EXPECT_EQ(titles(c).back(), u"Picture authors:\r\n\r\n");
}

TEST(AboutCredits, LinkPositionsCountLineBreaksAsTwo) {
    Sources s;
    s.table.push_back(author(u"Ann Berg", u"ann@example.org", u"https://example.org/ann"));
    s.table.push_back(author(u"Carl Dahl", u"", u"https://example.org/carl"));
    s.src.entryAuthors = {1, 2};
    s.src.textWidth = [](std::u16string_view t) { return static_cast<int32_t>(t.size()) * 6; };
    const yov::Credits c = yov::BuildCredits(s.get());
    ASSERT_EQ(c.AuthorLineCount(), 2);
    const yov::CreditsPiece& list = c.pieces.back();
    EXPECT_EQ(list.text,
              u"Ann Berg\tann@example.org\thttps://example.org/ann\r\nCarl Dahl\t\thttps://example.org/carl\r\n");
    EXPECT_EQ(list.tabStops, (std::vector<int32_t>{9 * 6 + 10, 9 * 6 + 15 * 6 + 20}));
    const int32_t first = c.lines[1].start;
    EXPECT_EQ(first + static_cast<int32_t>(list.text.size()), c.CreditsLength);
    EXPECT_EQ(c.lines[1].mailStart, first + 9);
    EXPECT_EQ(c.lines[1].homeStart, first + 9 + 16);
    EXPECT_EQ(c.lines[2].start, first + 9 + 16 + 25);
    EXPECT_EQ(c.ListEnd, c.CreditsLength);

    struct Probe {
        int32_t position;
        int32_t line;
        CreditLink kind;
    };
    const Probe probes[] = {
        {0, 0, CreditLink::None},                     // the own credits above the list
        {first - 1, 0, CreditLink::None},             // the list's heading
        {first, 1, CreditLink::None},                 // a name is no link
        {c.lines[1].mailStart, 1, CreditLink::Mail},  //
        {c.lines[1].homeStart + 3, 1, CreditLink::HomePage},
        {c.lines[2].mailStart, 2, CreditLink::None},      // an empty mail part
        {c.lines[2].homeStart, 2, CreditLink::HomePage},  //
        {c.CreditsLength - 1, 2, CreditLink::HomePage},   // the last line's line break
        {c.CreditsLength, 0, CreditLink::None},           // past the end
    };
    for (const Probe& p : probes) {
        const yov::LinkHit hit = yov::FindItem(c, s.get(), p.position);
        EXPECT_EQ(hit.kind, p.kind) << "position " << p.position;
        if (p.kind != CreditLink::None) {
            EXPECT_EQ(hit.line, p.line) << "position " << p.position;
        }
    }
    s.src.scriptFlags = 4;  // a script that asks for no authors has no links
    const yov::Credits none = yov::BuildCredits(s.get());
    EXPECT_EQ(none.WrapWidth, 0);
    EXPECT_EQ(yov::FindItem(none, s.get(), none.CreditsLength - 1).kind, CreditLink::None);
}

TEST(AboutCredits, FindItemOverManyAuthorsFindsEveryRow) {
    Sources s;
    for (int i = 0; i < 300; ++i) {
        const std::u16string name = u"A" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" N" +
                                    std::u16string(1, static_cast<char16_t>(0x100 + i));
        s.table.push_back(author(name.c_str(), u"m@x.org", u"https://x.org"));
        s.src.entryAuthors.push_back(static_cast<int16_t>(i + 1));
    }
    const yov::Credits c = yov::BuildCredits(s.get());
    ASSERT_EQ(c.AuthorLineCount(), 300);
    for (int32_t row = 1; row <= 300; ++row) {
        EXPECT_EQ(yov::FindItem(c, s.get(), c.lines[static_cast<size_t>(row)].mailStart).line, row);
        EXPECT_EQ(yov::FindItem(c, s.get(), c.lines[static_cast<size_t>(row)].start).kind, CreditLink::None);
    }
}

yov::AboutMeasures measures(int32_t w, int32_t h, int32_t titleW) {
    yov::AboutMeasures m;
    m.width = w;
    m.height = h;
    m.titleWidth = titleW;
    m.titleHeight = 22;
    m.labelWidths = {120, 200, 90, 110};
    m.labelHeights = {15, 15, 14, 13};
    m.buttonWidth = 80;
    m.buttonHeight = 23;
    m.leftPictureWidth = 171;
    m.leftPictureHeight = 58;
    m.rightPictureWidth = 303;
    m.rightPictureHeight = 58;
    m.railTileHeight = 7;
    m.rowHeight = 21;
    return m;
}

TEST(AboutLayout, RectanglesOfTheControls) {
    const yov::AboutPlaces p = yov::LayOutAbout(measures(600, 400, 60));
    ASSERT_TRUE(p.changed);
    const int32_t g = 107;  // nearest((600 - 200 - 80) / 3)
    EXPECT_EQ(p.band, (yov::AboutRect{0, 0, 600, 58}));
    EXPECT_EQ(p.ground, (yov::AboutRect{0, 58, 600, 7}));
    EXPECT_EQ(p.leftPicture, (yov::AboutRect{0, 0, 171, 58}));
    EXPECT_EQ(p.rightPicture, (yov::AboutRect{297, 0, 303, 58}));
    EXPECT_EQ(p.title, (yov::AboutRect{171 + 28, 18, 60, 22}));  // over = -66
    EXPECT_EQ(p.labels[0], (yov::AboutRect{g, 70, 120, 15}));
    EXPECT_EQ(p.labels[3], (yov::AboutRect{g, 70 + 15 + 15 + 14, 110, 13}));
    const int32_t y1 = 70 + 57;
    EXPECT_EQ(p.button, (yov::AboutRect{600 - g - 80, 70 + (57 - 21) / 2, 80, 23}));
    EXPECT_EQ(p.lineY, y1 + 5);
    EXPECT_EQ(p.lineX2, 590);
    EXPECT_EQ(p.credits, (yov::AboutRect{0, y1 + 10, 600, 400 - y1 - 10}));
}

TEST(AboutLayout, ANarrowWindowCutsTheWiderPictureFirst) {
    // Pictures 171 and 303 wide with an excess of 20: only the right one loses 20.
    yov::AboutPlaces p = yov::LayOutAbout(measures(464, 300, 0));  // over = 20
    EXPECT_EQ(p.leftPicture.x, 0);
    EXPECT_EQ(p.rightPicture, (yov::AboutRect{464 - 303 + 20, 0, 283, 58}));
    EXPECT_EQ(p.title.x, 171);
    // An excess beyond the difference is shared: 132 + half of the rest to the wider.
    p = yov::LayOutAbout(measures(450, 300, 170));  // over = 204, d = 132
    EXPECT_EQ(p.leftPicture.x, -36);
    EXPECT_EQ(p.rightPicture.w, 303 - 168);
    EXPECT_EQ(p.title.x, 171 - 36);
}

TEST(AboutLayout, NoRailMinimisedAndSizesBelowZero) {
    yov::AboutMeasures m = measures(450, 300, 60);
    m.noRail = true;
    yov::AboutPlaces p = yov::LayOutAbout(m);
    EXPECT_FALSE(p.groundShown);
    EXPECT_EQ(p.labels[0].y, 70);  // the tile's height still counts
    m.minimised = true;
    EXPECT_FALSE(yov::LayOutAbout(m).changed);
    m = measures(100, 50, 900);  // far smaller than the window's minimum
    p = yov::LayOutAbout(m);
    EXPECT_GE(p.credits.h, 0);
    EXPECT_GE(p.rightPicture.w, 0);
}

}  // namespace
