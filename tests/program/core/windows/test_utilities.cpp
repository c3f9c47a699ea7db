// Small shared procedures: access-key marks, largest values, the random index, menu tips,
// caption and text widths.
#include "program/core/windows/utilities.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>

#include <cmath>

#include "core_fixture.h"

namespace {

using core_test::addText;
using core_test::CoreTest;

TEST(Ampersands, Table) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string doubled;
        std::u16string stripped;
    };
    const std::vector<Case> cases = {
        {"none", u"plain", u"plain", u"plain"},
        {"single before a letter", u"&Save", u"&&Save", u"Save"},
        {"doubled between words and single", u"Tom && Jerry &Go", u"Tom &&&& Jerry &&Go", u"Tom  Jerry Go"},
        {"trailing", u"a&", u"a&&", u"a"},
        {"empty", u"", u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::DoubleAmpersands(c.text), c.doubled);
        EXPECT_EQ(yov::StripAmpersands(c.text), c.stripped);
    }
}

TEST(MaxArrayValue, Table) {
    struct Case {
        const char* name;
        std::vector<double> values;
        int32_t expected;
    };
    const std::vector<Case> cases = {
        {"empty", {}, 0},
        {"all negative", {-5, -1, -100}, 0},
        {"largest", {3, 9, 2}, 9},
        {"rounded half to even", {2.5}, 2},
        {"rounded up", {3.5, 1}, 4},
        {"beyond 32 bits is held at the limit", {1e12}, INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::GetMaxArrayValue(c.values), c.expected);
    }
}

TEST(RandomIndex, BelowTwoDrawsNothingAndTheRestStaysInRange) {
    plat::Random& r = yov::programRandom();
    r.seed(1234);
    plat::Random reference(1234);
    EXPECT_EQ(yov::GetRandomIndex(0, 21003), 0);
    EXPECT_EQ(yov::GetRandomIndex(1, 21004), 0);
    EXPECT_EQ(yov::GetRandomIndex(-7, 21005), 0);
    // Nothing was drawn: the sequence is still the reference's.
    for (int n : {2, 3, 10, 1000, 7}) {
        const int32_t got = yov::GetRandomIndex(n, 21006);
        EXPECT_EQ(got, reference.nextIndex(n));
        EXPECT_GE(got, 0);
        EXPECT_LT(got, n);
    }
    // It is the engine's callback as it stands.
    LvRandomCallback callback = &yov::GetRandomIndex;
    EXPECT_NE(callback, nullptr);
}

class MenuTips : public CoreTest {};

TEST_F(MenuTips, TipOfAMenuItemByItsKey) {
    coreEngine_.menuKeys[4112] = "HDOC";
    addText(u"HDOC_TIP", {u"Open the &documentation"});
    EXPECT_EQ(yov::GetMenuTip(4112), u"Open the documentation");
    EXPECT_EQ(yov::GetMenuTip(4113), u"");
    EXPECT_EQ(yov::GetMenuTip(16385), u"");
    EXPECT_EQ(yov::GetMenuTip(-1), u"");
}

TEST(TextWidths, CaptionsAndTabbedText) {
    QLabel shortLabel(QStringLiteral("ab"));
    QPushButton longButton(QStringLiteral("a much longer caption"));
    QWidget noCaption;
    QWidget* controls[] = {&shortLabel, &longButton, &noCaption};
    const QFontMetricsF metrics(QApplication::font());
    EXPECT_EQ(yov::GetMaxCaptionWidth(controls),
              static_cast<int32_t>(std::nearbyint(metrics.horizontalAdvance(QStringLiteral("a much longer caption")))));
    EXPECT_EQ(yov::GetMaxCaptionWidth({}), 0);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    const QFontMetricsF fm(font);
    int32_t height = 0;
    const int32_t plain = yov::GetTabbedTextWidth(font, u"abc", height);
    EXPECT_EQ(plain, static_cast<int32_t>(std::ceil(fm.horizontalAdvance(QStringLiteral("abc")))));
    EXPECT_GT(height, 0);
    // A TAB goes on to the next stop of eight average characters.
    const double stop = 8 * fm.averageCharWidth();
    const int32_t tabbed = yov::GetTabbedTextWidth(font, u"abc\tx", height);
    EXPECT_EQ(tabbed, static_cast<int32_t>(std::ceil(stop + fm.horizontalAdvance(QStringLiteral("x")))));
}

}  // namespace
