#include "program/ui/program_parts.h"

#include <string>
#include <vector>

#include "program/core/startup/startup_parts.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_parts.h"
#include "program/dialogs/settings_table.h"
#include "program/scene/script_reader.h"
#include "program/show/run_show.h"
#include "program/show/show_input.h"
#include "program/stock/recent_files.h"
#include "program/stock_data/stock_loading.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/password_dialog.h"
#include "program/ui/preview_window.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/stock_frm.h"
#include "program/ui/text_window.h"

namespace yov {

namespace {

class ProgramShowParts final : public ShowParts {
public:
    void runShow(uint8_t mode, const std::u16string& script) override {
        std::u16string file = script;
        RunShow(mode, file, 0, 0);
    }
    void showPreview(uintptr_t parentWindow) override { ShowPreviewWindow(parentWindow); }
    void showSetPassword() override { ShowSetPasswordModal(); }
    void keyCommand(int16_t code, int32_t value) override { ScrKeyCommand(code, value); }
    void beginModalOverShow() override { BeginModalOverShow(); }
    void endModalOverShow() override { EndModalOverShow(); }
    void overlayText(const std::u16string& text) override {
        showInput().PendingText = text;
        showInput().DisplayRequest = display_request::kText;
    }
    // The About window's version line names the script's version.
    std::u16string scriptVersionText() override { return scriptReader().S.Run.VersionText; }
};

class ProgramWindowParts final : public WindowParts {
public:
    void showSettings() override { ShowCfg(); }
    void showStockBrowser() override { OpenStockWindow(); }
    void measureText(std::u16string_view text, int32_t& width, int32_t& height) override {
        MeasureText(text, width, height);
    }
    void showTextWindow(const TextWindowRequest& request) override { ShowTextWindowFor(request); }
    void appendToLogView(const std::u16string& line) override { AppendToLogView(line); }
};

class ProgramStartupParts final : public StartupParts {
public:
    void readSettings() override { ReadStartupSettings(); }
    void addRecentFiles(int list, const std::vector<std::u16string>& names) override {
        RecentList& recent = recentLists()[static_cast<size_t>(list == kStockRecentList ? kStockList : kScriptList)];
        LoadRecentList(recent);
        for (const std::u16string& name : names) AddRecentFile(name, recent);
        SaveRecentList(recent);
    }
    void setStockName(const std::u16string& name) override { SetStockName(name); }
    void loadStock() override { LoadStock(-1); }
};

}  // namespace

void UseProgramParts() {
    static ProgramShowParts show;
    static ProgramWindowParts windows;
    static ProgramStartupParts startup;
    Installed<ShowParts>() = &show;
    Installed<WindowParts>() = &windows;
    Installed<StartupParts>() = &startup;
}

}  // namespace yov
