// The main module's small procedures: the text window's size and its closing, stock entries
// found through the engine's index, the current scene script and its key, the colour
// translation, the language menu and the display-mode list.
#include <QWidget>

#include <stdexcept>
#include <string>
#include <vector>

#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_parts.h"
#include "recording_engine.h"
#include "startup_fixture.h"

namespace {

using core_test::u16;
using core_test::utf8;

using MainModule = startup_test::StartupTest;

TEST_F(MainModule, ConfigKeyNames) {
    EXPECT_EQ(utf8(yov::MakeConfigKeyName(u"C:\\A\\B.TTT")), "\\Cnf\\C:|A|B.TTT");
    EXPECT_EQ(yov::MakeConfigKeyName(u""), u"");
    yov::SetConfigFile(u"/home/me/Scenes/Winter.ttt");
    const yov::ProgramState& ms = yov::programState();
    EXPECT_EQ(utf8(ms.scene.ConfigFile), "/home/me/Scenes/Winter.ttt") << "as written";
    EXPECT_EQ(utf8(yov::programState().scene.ConfigDir), "/home/me/Scenes");
    EXPECT_EQ(utf8(ms.scene.ConfigKey), "\\Cnf\\/home/me/Scenes/Winter.ttt");
}

struct PlaceCase {
    const char* name;
    size_t length;
    int32_t width, height;  // text extent, twips
    yov::TextWindowPlace expected;
};

TEST_F(MainModule, TextWindowPlacement) {
    constexpr int32_t sw = 15360;  // 1024 × 768 pixels
    constexpr int32_t sh = 11520;
    const PlaceCase cases[] = {
        {"ShortText", 40, 2000, 300, {(sw - 2900) / 2, (sh - 780) / 2, 2900, 780}},
        {"NoWidthTakesTheScreenThenNineTenths", 10, 0, 300, {(sw - 13824) / 2, (sh - 780) / 2, 13824, 780}},
        {"TallTextGetsRoomForTheScrollBar", 5000, 3000, 20000, {(sw - 4155) / 2, (sh - 10368) / 2, 4155, 10368}},
        {"LongTextIsAsHighAsTheScreenAllows", 150000, 3000, 0, {(sw - 4155) / 2, (sh - 10368) / 2, 4155, 10368}},
    };
    for (const PlaceCase& c : cases) {
        const yov::TextWindowPlace p = yov::TextWindowPlacement(c.length, c.width, c.height, sw, sh);
        EXPECT_EQ(p.left, c.expected.left) << c.name;
        EXPECT_EQ(p.top, c.expected.top) << c.name;
        EXPECT_EQ(p.width, c.expected.width) << c.name;
        EXPECT_EQ(p.height, c.expected.height) << c.name;
    }
}

// The show and the text window as the text window's road meets them: what is measured, shown,
// drawn over the show, and the modal state over it (begin 1, end 10).
struct TextWindowParts : yov::ShowParts, yov::WindowParts {
    TextWindowParts() : show_(*this), windows_(*this) {}
    void measureText(std::u16string_view text, int32_t& w, int32_t& h) override {
        measured.push_back(text.size());
        w = static_cast<int32_t>(text.size() / 100);
        h = 300;
    }
    void showTextWindow(const yov::TextWindowRequest& r) override {
        if (failToShow) throw std::runtime_error("no window");
        shown.push_back(r);
    }
    void beginModalOverShow() override { over += 1; }
    void endModalOverShow() override { over += 10; }
    void overlayText(const std::u16string& t) override { overlay.push_back(t); }

    std::vector<size_t> measured;
    std::vector<yov::TextWindowRequest> shown;
    std::vector<std::u16string> overlay;
    int over = 0;
    bool failToShow = false;

private:
    yov::ScopedInstall<yov::ShowParts> show_;
    yov::ScopedInstall<yov::WindowParts> windows_;
};

TEST_F(MainModule, ShowTextWindowMeasuresPlacesAndShows) {
    yov::ProgramState& ms = yov::programState();
    ms.machine.TwipsPerPixelX = ms.machine.TwipsPerPixelY = 15;
    yov::programState().machine.ScreenWidthPx = 1024;  // 15360 twips
    yov::programState().machine.ScreenHeightPx = 768;  // 11520 twips
    TextWindowParts parts;
    const std::vector<size_t>& measured = parts.measured;
    const std::vector<yov::TextWindowRequest>& shown = parts.shown;

    yov::ShowTextWindow(std::u16string(250000, u'x'), u"Long", 3);
    EXPECT_EQ(measured, (std::vector<size_t>{100000, 100000, 50000})) << "measured in pieces";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].width, 1000 + 900 + 255);
    EXPECT_EQ(shown[0].height, 10368);
    EXPECT_EQ(shown[0].mode, 2) << "over the full-screen show only while one runs";
    EXPECT_EQ(utf8(shown[0].caption), "Long");
    EXPECT_EQ(yov::programState().run.RunMode, 2);

    yov::ProgramState& st = yov::programState();
    st.run.ShowMode = 1;
    st.run.RunFlags = 0x01;
    yov::ShowTextWindow(u"text", u"", 3);
    EXPECT_EQ(shown.back().mode, 3);
    EXPECT_EQ(parts.over, 11);

    st.run.BatchMode = 1;
    yov::ShowTextWindow(u"drawn by the show", u"", 3);
    EXPECT_EQ(parts.overlay, std::vector<std::u16string>{u"drawn by the show"});
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(MainModule, ATextWindowThatFailsStillEndsTheModalStateOverTheShow) {
    yov::ProgramState& st = yov::programState();
    st.run.ShowMode = 1;
    st.run.RunFlags = 0x01;
    TextWindowParts parts;
    parts.failToShow = true;
    EXPECT_NO_THROW(yov::ShowTextWindow(u"text", u"", 3));
    EXPECT_EQ(parts.over, 11);
}

TEST_F(MainModule, CloseTextWindowKeepsItDuringAShowUnlessForced) {
    QWidget owner;
    auto* text = new QWidget(&owner, Qt::Window);
    yov::programState().WindowTable[yov::kTextWindowSlot] = {text, -1};
    yov::programState().run.RunMode = 1;
    int16_t force = 0;
    yov::CloseTextWindow(force);
    EXPECT_TRUE(yov::programState().WindowTable[yov::kTextWindowSlot].inUse);
    force = -1;
    yov::CloseTextWindow(force);
    EXPECT_FALSE(yov::programState().WindowTable[yov::kTextWindowSlot].inUse);
}

TEST_F(MainModule, FindStockEntryThroughTheIndex) {
    yov::ProgramState& st = yov::programState();
    st.Arrays.Stock.redim(3);
    st.Shared.StockCount = 3;
    st.Arrays.Stock[1].Name = u"BR 218";
    st.Arrays.Stock[2].Name = u"BR 218~2";
    st.Arrays.Stock[3].Name = u"BR 2180";
    engine_test::RecordingEngine engine;
    engine.stockIndex = 1;
    EXPECT_EQ(yov::FindStockEntry(u"br 218"), 1);
    engine.stockIndex = 2;
    EXPECT_EQ(yov::FindStockEntry(u"BR 218"), 2) << "a variant with a tilde";
    engine.stockIndex = 3;
    EXPECT_EQ(yov::FindStockEntry(u"BR 218"), 0) << "another name";
    engine.stockIndex = 0;
    EXPECT_EQ(yov::FindStockEntry(u"BR 999"), 0);
    EXPECT_EQ(yov::FindStockEntry(std::u16string(129, u'A')), 0);
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"PrepareLookStock 3", "LookStockIdx BR 218", "LookStockIdx BR 218",
                                        "LookStockIdx BR 218", "LookStockIdx BR 999"}))
        << "the index is built once and asked upper-cased";
}

TEST_F(MainModule, ColourTranslation) {
    const std::array<uint8_t, 256> t = yov::ReducedColourTable();
    EXPECT_EQ(t[0], 0);
    for (int i = 1; i <= 127; ++i) EXPECT_EQ(t[static_cast<size_t>(i)], 128) << i;
    for (int i = 128; i <= 255; ++i) EXPECT_EQ(t[static_cast<size_t>(i)], i) << i;

    engine_test::RecordingEngine engine;
    yov::programState().settings.ColTrans = 3;
    yov::ApplyColorTranslation();
    yov::programState().settings.ColTrans = 1;
    yov::ApplyColorTranslation();
    EXPECT_EQ(engine.calls(), (std::vector<std::string>{"SetXColor 0/128/255 0/128/255 0/128/255",
                                                        "SetXColMethod 3 64,64,64", "SetXColMethod 1 64,64,64"}));
}

TEST_F(MainModule, LanguageMenu) {
    engine_test::RecordingEngine engine;
    yov::ProgramState& st = yov::programState();
    core_test::addLanguage(u"E");
    st.Arrays.Languages[1].Names[0] = u"English";
    st.Shared.CurrentLanguage = 1;
    yov::FillLanguageMenu();
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"SetMenuItem 9.0 English 0", "CheckItem 9.0 1", "EnableMenu 5265 0"}));
    engine.clear();
    core_test::addLanguage(u"G");
    st.Arrays.Languages[2].Names[0] = u"Deutsch";
    yov::FillLanguageMenu();
    EXPECT_EQ(engine.calls(),
              (std::vector<std::string>{"SetMenuItem 9.0 English 0", "CheckItem 9.0 1", "SetMenuItem 9.1 Deutsch 0",
                                        "CheckItem 9.1 0", "EnableMenu 5265 1"}));
}

TEST_F(MainModule, DisplayModesAreListedOnceFrom640By480) {
    yov::AddDisplayMode(800, 600, 16, 60);
    yov::AddDisplayMode(800, 600, 16, 60);
    yov::AddDisplayMode(800, 600, 32, 60);
    yov::AddDisplayMode(320, 200, 8, 70);
    yov::AddDisplayMode(640, 400, 8, 70);
    const yov::ProgramState& ms = yov::programState();
    EXPECT_EQ(ms.modes.ModeCount, 2);
    EXPECT_EQ(ms.modes.ModeDepth[2], 32);
    for (int i = 0; i < 300; ++i) yov::AddDisplayMode(1000 + i, 700, 16, 0);
    EXPECT_EQ(ms.modes.ModeCount, 200) << "modes beyond the 200th are dropped";
}

}  // namespace
