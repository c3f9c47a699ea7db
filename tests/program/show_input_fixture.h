// A clean show input for each test: the show's input state, the per-mode settings, the panel
// state and the scene model reset, settings in a scratch folder (core_test), and the engine's
// menus, the windows above the show and the show window's cursor recorded instead of made.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/startup/program_state.h"
#include "engine_fake.h"
#include "platform/codepage.h"
#include "program/show_data/display_state.h"
#include "program/show/show_input.h"
#include "program/show_data/show_view.h"
#include "quiet_show_view.h"
#include "program/show/show_window_calls.h"
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
        calls.clear();
        described.clear();
        cursorShown = 0;
        passwordAsked = 0;
        yov::showInput() = yov::ShowInputState{};
        yov::panelState() = yov::PanelState{};
        yov::programState().settings.Show = yov::ShowSettings{};
        yov::programState().road.ScreenSaverMode = 0;
        savedWindows_ = yov::InstallShowWindowCalls(&windows_);
        yov::displayState().ShowForm = std::make_unique<CursorView>(cursorShown);
    }
    void TearDown() override {
        yov::displayState().ShowForm.reset();
        yov::InstallShowWindowCalls(savedWindows_);
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
    // The engine's menus, recorded in the order they are asked for.
    struct MenuEngine final : engine_test::EngineFake {
        explicit MenuEngine(std::vector<MenuCall>& calls) : calls_(calls) {}
        LvResult ShowPopup(int16_t, int32_t menu, int32_t x, int32_t y, LvWindow, int32_t) override {
            calls_.push_back({"popup", menu, x, y, {}});
            return 0;
        }
        LvResult CheckMenu(int32_t id, int32_t on) override {
            calls_.push_back({"check", id, on, 0, {}});
            return 0;
        }
        LvResult CheckItem(int32_t menu, int32_t position, int32_t on) override {
            calls_.push_back({"item", menu, position, on, {}});
            return 0;
        }
        LvResult SetMenuItem(int32_t menu, int32_t position, const char* caption, int32_t) override {
            calls_.push_back({"text", menu, position, 0, plat::utf8ToUtf16(caption)});
            return 0;
        }
        LvResult CutMenu(int32_t menu, int32_t position) override {
            calls_.push_back({"cut", menu, position, 0, {}});
            return 0;
        }
        LvResult BreakMenu(int32_t menu) override {
            calls_.push_back({"break", menu, 0, 0, {}});
            return 0;
        }
        std::vector<MenuCall>& calls_;
    };
    // The windows above the show: the password dialog and the picture descriptions, counted.
    struct Windows final : yov::ShowWindowCalls {
        explicit Windows(ShowInputTest& test) : test_(test) {}
        std::unique_ptr<yov::ShowView> makeView(uint8_t) override { return nullptr; }
        void takeCursorPosition() override {}
        void settingsShowTab() override {}
        void showDisplayRequest() override {}
        void askPassword() override { ++test_.passwordAsked; }
        void describePicture(int32_t entry) override { test_.described.push_back(entry); }
        ShowInputTest& test_;
    };
    // The show window, only as far as the cursor it shows again.
    class CursorView final : public QuietShowView {
    public:
        explicit CursorView(int& shown) : shown_(shown) {}
        void showCursor() override { ++shown_; }

    private:
        int& shown_;
    };

    MenuEngine engine_{calls};
    Windows windows_{*this};
    yov::ShowWindowCalls* savedWindows_ = nullptr;
};

}  // namespace show_test
