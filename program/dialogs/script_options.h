// The scene script's options and help links as menus of the settings dialog: the option menu
// under the dialog's menu item 6912, built item by item through the engine's label-menu
// builder, and the help menu 22 with one item per help link. Choosing option item i reaches
// the dialog as command 6912 + i: a switch turns over, a command sets several switches, and
// the last two items after the options set or clear every switch. Each change is stored at
// once under "\Option", where the script reader takes it at the next read.
#pragma once

#include <cstdint>
#include <string>

#include "lumvatek/exports.h"

namespace yov {

struct SceneScript;

inline constexpr int32_t kOptionMenuCommand = 6912;  // the dialog's item the option menu hangs under
inline constexpr int32_t kFirstOptionItem = 0x8000;  // the item of option j is 0x8000 + j - 1
inline constexpr int32_t kHelpLinkMenu = 22;
inline constexpr int32_t kHelpLinkCommand = 4992;  // help link j is 4992 + j
inline constexpr int32_t kMaxHelpLinkItems = 16;
// An option item reaches the dialog with its index in the 8 low bits of its command, and the
// options are followed by a separator and two more items: 253 options fill the 256 indexes.
inline constexpr int32_t kMaxOfferedOptions = 253;
// From this many options on, "Select all" and "Deselect all" follow them.
inline constexpr int32_t kOptionsForSelectAll = 6;

// The settings dialog's menus as the toolkit shows them: the engine builds the items (its
// label-menu builder at level 2 for the options, menu 22 for the help links), the toolkit
// keeps their check marks and draws the dialog's menu bar.
class OptionMenuView {
public:
    virtual ~OptionMenuView() = default;
    // Sets or clears the check mark of the item with that command id in that menu.
    virtual void checkItem(LvHandle menu, int32_t identifier, bool on) = 0;
    virtual void drawMenuBar() = 0;
};

// Installs the program's view at start-up (null: none, marks and redraws are left out);
// returns the one it replaces.
OptionMenuView* SetOptionMenuView(OptionMenuView* view);

// The options the menu offers: the declared ones, at most kMaxOfferedOptions.
int32_t OfferedOptionCount(const SceneScript& script);

// Rebuilds the option menu (when the script declares options) and the help links of menu 22
// from a script the reader has just read for its options; the menu bar is drawn again.
void BuildScriptMenus(SceneScript& script);

// Option item `item` (0-based) was chosen.
void RunOptionCommand(SceneScript& script, int32_t item);

}  // namespace yov
