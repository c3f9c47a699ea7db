// The help and information commands that every window passes on (menu commands and
// F1 keys), and the help itself.
//
// Help stand-in: the help file is a page of the HTML documentation (doc/); a help topic
// is the anchor "topic<N>" of that page. A page without the anchor opens at its top; a
// missing or unreadable help file gives the "not available" message instead. Help ids
// of windows and controls are the Qt property "WhatsThisHelpID" (an integer).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lumvatek/event_codes.h"

class QUrl;
class QWidget;

namespace yov {

inline constexpr const char* kHelpIdProperty = "WhatsThisHelpID";

namespace help_cmd {
inline constexpr int32_t kDocumentation = 4112;
inline constexpr int32_t kAbout = 4113;
inline constexpr int32_t kHomePage = 4201;
inline constexpr int32_t kContents = 4379;
inline constexpr int32_t kActiveControl = 4380;
inline constexpr int32_t kWindowTopic = 4381;
inline constexpr int32_t kWhatsThis = 4382;
inline constexpr int32_t kWindowTopic2 = 4383;
inline constexpr int32_t kFinder = 4384;
inline constexpr int32_t kMenuItem = lv_event::kSubMenuHelp;  // help on a menu item
inline constexpr int32_t kChooseHelpFile = 4544;
inline constexpr int32_t kFirstScriptLink = 4992;
inline constexpr int32_t kLastScriptLink = 5023;
inline constexpr int32_t kScriptLinkCount = 17;  // entries 0..16
// Keys of the same commands: F1, Shift+F1, Ctrl+F1, Alt+F1.
inline constexpr int32_t kKeyF1 = 112;
inline constexpr int32_t kKeyShiftF1 = 368;
inline constexpr int32_t kKeyCtrlF1 = 624;
inline constexpr int32_t kKeyAltF1 = 1136;
}  // namespace help_cmd

// Topics of the fixed help commands.
inline constexpr int32_t kContentsTopic = 10000;
inline constexpr int32_t kMenuTopicBase = 100000;

struct HelpFiles {
    // The program's help file (a documentation page), chosen at start-up, by the language
    // or by command 4544; empty when none was found. The documentation page of command
    // 4112 is the program state's DocFile.
    std::u16string HelpFile;
};
HelpFiles& helpFiles();

// A help file was found or chosen (once set, the help file is never emptied again).
inline bool HelpAvailable() { return !helpFiles().HelpFile.empty(); }

// The address of the program's home page (command 4201); a configuration value.
std::string homePageAddress();

// True when `code` is one of the help and information commands (or their keys), which
// it then carries out for `window`; `menuItemId` serves command 4387.
bool ShowContextHelp(int32_t code, QWidget* window, int32_t menuItemId);

// Opens `topic` of the help file. Topic 0 opens the help file's first page (contents).
void ShowHelpTopic(QWidget* window, int32_t topic);

// The page and anchor for a topic of a help file (spelled as on Windows or here), or an
// empty URL when the help file is not an existing readable HTML page.
QUrl helpTopicUrl(std::u16string_view helpFile, int32_t topic);

// WhatsThisHelpID of the window's focused control, else of the window; 0 when neither has one.
int32_t activeHelpId(QWidget* window);
int32_t helpIdOf(const QWidget* widget);

}  // namespace yov
