// A clean show input for each test: the show's input state, the per-mode settings, the panel
// state and the scene model reset, settings in a scratch folder (core_test), and the engine
// and window calls of the input procedures recorded instead of made.
#pragma once

#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/startup/program_state.h"
#include "program/show/show_input.h"
#include "program/show/show_panel.h"
#include "show_fixture.h"

namespace show_test {

struct MenuCall {
    std::string what;  // "popup", "check", "item", "text", "cut", "break"
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;
    std::u16string text;
};

class ShowInputTest : public ShowTestOn<core_test::CoreTest> {
protected:
    void SetUp() override {
        ShowTestOn<core_test::CoreTest>::SetUp();
        savedCalls_ = yov::showInputCalls();
        calls.clear();
        described.clear();
        cursorShown = 0;
        passwordAsked = 0;
        yov::showInput() = yov::ShowInputState{};
        yov::panelState() = yov::PanelState{};
        yov::programState().settings.Show = yov::ShowSettings{};
        yov::programState().road.ScreenSaverMode = 0;
        yov::ShowInputCalls& c = yov::showInputCalls();
        c.showPopup = [this](int32_t menu, int32_t x, int32_t y) { calls.push_back({"popup", menu, x, y, {}}); };
        c.checkMenu = [this](int32_t id, bool on) { calls.push_back({"check", id, on ? 1 : 0, 0, {}}); };
        c.checkItem = [this](int32_t menu, int32_t pos, bool on) {
            calls.push_back({"item", menu, pos, on ? 1 : 0, {}});
        };
        c.setMenuItem = [this](int32_t menu, int32_t pos, const std::u16string& t) {
            calls.push_back({"text", menu, pos, 0, t});
        };
        c.cutMenu = [this](int32_t menu, int32_t pos) { calls.push_back({"cut", menu, pos, 0, {}}); };
        c.breakMenu = [this](int32_t menu) { calls.push_back({"break", menu, 0, 0, {}}); };
        c.showPictureDescription = [this](int32_t entry) { described.push_back(entry); };
        c.showCursor = [this] { ++cursorShown; };
        c.showPasswordModal = [this] { ++passwordAsked; };
    }
    void TearDown() override {
        yov::showInputCalls() = savedCalls_;
        yov::showInput() = yov::ShowInputState{};
        yov::panelState() = yov::PanelState{};
        yov::programState().settings.Show = yov::ShowSettings{};
        yov::programState().road.ScreenSaverMode = 0;
        ShowTestOn<core_test::CoreTest>::TearDown();
    }

    // Description keys 0..k named "K0".."Kk" with the given flag bytes.
    static void MakeKeys(const std::vector<uint8_t>& flags) {
        yov::ProgramState& st = yov::programState();
        st.Arrays.DescKeys.redim(static_cast<int32_t>(flags.size()) - 1);
        for (size_t e = 0; e < flags.size(); ++e) {
            DescKeyEntry& d = st.Arrays.DescKeys[static_cast<int32_t>(e)];
            d.Key = u"K" + plat::widen(std::to_string(e));
            d.Names[0] = u"Name&" + plat::widen(std::to_string(e));
            d.Flags = flags[e];
        }
        st.Shared.DescKeyCount = static_cast<int32_t>(flags.size()) - 1;
    }

    std::vector<MenuCall> calls;
    std::vector<int32_t> described;
    int cursorShown = 0;
    int passwordAsked = 0;

private:
    yov::ShowInputCalls savedCalls_;
};

}  // namespace show_test
