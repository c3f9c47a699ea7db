// The stock windows', dialogs' and Qt glue's records, for FreshProgramState.
#include "fresh_program_state.h"

#include <array>

#include "program/dialogs/cfg_state.h"
#include "program/dialogs/runtime_dialog.h"
#include "program/dialogs/script_options.h"
#include "program/stock/editor_language.h"
#include "program/stock/recent_files.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_image.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_search.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/script_edit.h"

namespace program_test {

struct FreshWindowFamilies {
    Kept<yov::StockWindowsState> windows{&yov::stockWindows};
    Kept<yov::StockCommandState> commands{&yov::stockCommandState};
    Kept<yov::StockMenuState> menus{&yov::stockMenus};
    Kept<yov::SearchCriterion> search{&yov::searchCriterion};
    Kept<yov::PictureBox> picture{&yov::WPic};
    Kept<yov::EditorSetupState> editor{&yov::editorSetupState};
    Kept<std::array<yov::RecentList, 2>> recent{&yov::recentLists};
    Kept<yov::CfgState> cfg{&yov::cfgState};
    Kept<yov::DialogService> dialog{&yov::dialogService};
    Kept<yov::ScriptEditGlobal> scriptEdit{&yov::scriptEditGlobal};
};

FreshWindowFamilies* MakeFreshWindowFamilies() { return new FreshWindowFamilies; }
void GiveBack(FreshWindowFamilies* fresh) { delete fresh; }

}  // namespace program_test
