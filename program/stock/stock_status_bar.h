// The status bar of a stock window: the panels of the layout the "StBar" option chooses,
// filled for the entry under the mouse; the explanation of a panel when the mouse rests on
// it; short notes that stay ten seconds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace yov {

class StockWindow;

// The "StBar" layouts.
namespace status_layout {
inline constexpr uint8_t kHidden = 0;
inline constexpr uint8_t kAdded = 1;  // "Added Picture Properties": five panels nothing fills
inline constexpr uint8_t kAuthor = 2;
inline constexpr uint8_t kFileName = 3;
inline constexpr uint8_t kProperties = 4;
inline constexpr uint8_t kMacro = 5;
inline constexpr uint8_t kEmpty = 6;
}  // namespace status_layout

// What the bar shows (StatusBarState).
namespace status_state {
inline constexpr uint8_t kPanels = 0;
inline constexpr uint8_t kMenuTip = 1;
inline constexpr uint8_t kNote = 2;
}  // namespace status_state

// How long a short note stays.
inline constexpr int32_t kNoteMs = 10000;

struct StatusPanel {
    uint8_t Alignment = 1;  // 0 left, 1 centre
    uint8_t AutoSize = 0;   // 1: takes the rest of the bar
    std::u16string Text;
    int32_t Picture = -1;  // a type colour (position in the type letters less one), -1 none
    int32_t Width = 0;
    bool Visible = true;
};

// The status bar control as the window sees it. A toolkit shows it (shown()) and measures
// in the window's font; without one it measures six pixels a character.
class StockStatusBar {
public:
    virtual ~StockStatusBar() = default;

    bool Visible = false;
    uint8_t Style = 0;  // 0 panels, 1 the simple text
    std::u16string SimpleText;
    std::vector<StatusPanel> Panels;  // panel p at index p - 1
    uint8_t DigitWidth = 0;           // of "0" and "W" in the window's font, set with the panels
    uint8_t WideWidth = 0;

    StatusPanel& panel(int32_t p) { return Panels[static_cast<size_t>(p - 1)]; }
    int32_t count() const { return static_cast<int32_t>(Panels.size()); }

    // The toolkit shows what the record says now.
    virtual void shown() {}
    virtual int32_t textWidth(std::u16string_view text) const { return 6 * static_cast<int32_t>(text.size()); }
    // The bar's window, for tool tips and hover tracking; null without a toolkit.
    virtual QWidget* window() { return nullptr; }
    // Timer3: a note ends when it runs out.
    virtual void restartNoteTimer(int32_t /*ms*/) {}
    virtual void stopNoteTimer() {}
    virtual void beep() {}
    // The window's layout handler runs (the bar appears or goes).
    virtual void layoutWindow() {}
};

// SetStBar: applies the "StBar" option to the window (lays it out when the bar appears or
// goes, configures the panels and fills them).
void SetStBar(StockWindow& window);
void ConfigSBar(StockWindow& window);
void SetPanelCount(StockWindow& window, int16_t count);
void SetPanelWidth(StockWindow& window, int32_t panel, int32_t digits, int32_t letters);
// The panels for the entry under the mouse; back to the panels in every case.
void ValueSBar(StockWindow& window);
// A short note: a text of five characters or more as it is, a shorter one is a text key.
void SBarText(StockWindow& window, const std::u16string& text);
// The note's time is up.
void Timer3_Timer(StockWindow& window);
// The mouse moved over the bar at x (pixels): hover tracking for the panel there.
void SBar_MouseMove(StockWindow& window, int32_t x);
// The mouse rests on a panel: its explanation as a tool tip (position passed to ShowTip).
void SBarHover(StockWindow& window, int32_t x, int32_t y);
// The lines that describe an author (name, mail, home page, description), CR LF between.
std::u16string AProp(int32_t author);

// The entry under the mouse: the first entry shown + MouseCell - 1; 0 when there is none.
int32_t HoveredEntry(const StockWindow& window);
// The texts of the panels for an entry of a cell in a layout (panel 1 first).
std::vector<std::u16string> StatusPanelTexts(StockWindow& window, int32_t cell, int32_t entry, uint8_t layout);
// The tool tip of panel p for the hovered entry.
std::u16string StatusPanelTip(StockWindow& window, int32_t panel);

// Lays out the status bar with the window's size: configured when the option changed since,
// shown and filled; hidden for "StBar" 0.
void LayoutStatusBar(StockWindow& window);

// A menu item's tip as the bar's simple text (null: the panels again); the window's commands
// keep StatusBarState.
void SBarMenuTip(StockWindow& window, const std::u16string* text);

}  // namespace yov
