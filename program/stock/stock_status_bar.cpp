#include "program/stock/stock_status_bar.h"

#include <algorithm>

#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/stock_data/code_letters.h"
#include "program/scene/picture_slot.h"
#include "program/stock/stock_window.h"
#include "program/stock/stock_windows_state.h"
#include "program/stock/tool_tip.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

namespace L = status_layout;

constexpr int16_t kMacroFile = 32767;
constexpr int32_t kTipMs = 5000;
constexpr int32_t kTypeMenu = 2;
constexpr int32_t kGeneratedItem = 0x8000;
constexpr char16_t kTipLetters[] = u"ABCDEGHIJKLMNOPR";
constexpr size_t kMaxSlotWalk = 100000;

StockStatusBar* barOf(StockWindow& w) { return w.view().statusBarControl(); }
uint8_t layout() { return stockWindows().Options.StatusBarLayout; }

const StockEntry* entryAt(int32_t i) {
    const ProgramState& st = programState();
    if (i < 1 || i > st.Shared.StockCount || !st.Arrays.Stock.has(i)) return nullptr;
    return &st.Arrays.Stock[i];
}

uint8_t byteWidth(int32_t width) { return static_cast<uint8_t>(std::clamp(width, 0, 255)); }

// Adds a name to a list that carries a comma at each end, once.
void addOnce(std::u16string& list, std::u16string_view name) {
    const std::u16string marked = u"," + std::u16string(name) + u",";
    if (list.find(marked) == std::u16string::npos) list += std::u16string(name) + u",";
}
bool removeFrom(std::u16string& list, std::u16string_view name) {
    const std::u16string marked = u"," + std::u16string(name) + u",";
    const size_t at = list.find(marked);
    if (at == std::u16string::npos) return false;
    list.erase(at, marked.size() - 1);
    return true;
}
// The names of a list without its end commas.
std::u16string names(const std::u16string& list) {
    if (list.size() <= 1) return {};
    return list.substr(1, list.size() - 2);
}

struct AnimationCounts {
    int32_t pantographs = 0;
    int32_t doors = 0;
    std::u16string variations;  // panel 15
    std::u16string extras;      // panel 16
};

// One walk over the part animations of a cell's picture.
AnimationCounts countAnimations(int32_t part) {
    AnimationCounts a;
    if (part == 0 || !picParts().valid(part)) return a;
    std::u16string both = u",", left = u",", right = u",", extra = u",";
    const PictureSlotTable& t = pictureSlots();
    size_t steps = 0;
    for (int32_t s = picParts()[part].FirstSlot; s != 0 && t.valid(s) && steps < kMaxSlotWalk; ++steps) {
        const std::u16string& name = t.Slots[static_cast<size_t>(s)].Name;
        s = t.Slots[static_cast<size_t>(s)].NextSlot;
        if (name.size() >= 2 && (name[0] == u'<' || name[0] == u'>') && name[1] == u':') {
            // A neighbour variation: what follows the mark; a bare mark names none.
            const std::u16string v = name.substr(2);
            if (v.empty()) continue;
            std::u16string& mine = name[0] == u'<' ? left : right;
            std::u16string& other = name[0] == u'<' ? right : left;
            if (both.find(u"," + v + u",") != std::u16string::npos) continue;
            if (removeFrom(other, v))
                addOnce(both, v);
            else
                addOnce(mine, v);
            continue;
        }
        // "|label:mode|...": pantographs and doors by their label, the rest are extras.
        const size_t bar = name.find(u'|', 1);
        const std::u16string first =
            name.size() > 1 ? name.substr(1, bar == std::u16string::npos ? bar : bar - 1) : u"";
        const size_t colon = first.find(u':');
        if (colon == std::u16string::npos) continue;
        const std::u16string label = first.substr(0, colon);
        if (name.rfind(u"|PAN:", 0) == 0)
            ++a.pantographs;
        else if (name.rfind(u"|DOOR:", 0) == 0)
            ++a.doors;
        else if (!label.empty())
            addOnce(extra, label);
    }
    a.variations = names(both);
    if (left.size() > 1) a.variations += u"<" + names(left);
    if (right.size() > 1) a.variations += u">" + names(right);
    a.extras = names(extra);
    return a;
}

// The picture of panel 2: the type letter's colour.
int32_t typePicture(char16_t letter) {
    const size_t p = programState().tables.ColorLetters.find(letter);
    return p == std::u16string::npos ? 0 : static_cast<int32_t>(p);
}

void show(StockStatusBar& bar) { bar.shown(); }

}  // namespace

int32_t HoveredEntry(const StockWindow& w) {
    if (w.Input.MouseCell <= 0) return 0;
    const int32_t e = w.VscrValue() + w.Input.MouseCell - 1;
    return e >= 1 && e <= programState().Shared.StockCount ? e : 0;
}

void SetPanelCount(StockWindow& w, int16_t count) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    const size_t wanted = static_cast<size_t>(std::max<int16_t>(count, 0));
    while (bar->Panels.size() > wanted) bar->Panels.erase(bar->Panels.begin());
    while (bar->Panels.size() < wanted) bar->Panels.insert(bar->Panels.begin(), StatusPanel{});
    for (StatusPanel& p : bar->Panels) p = StatusPanel{1, 0, {}, -1, bar->WideWidth + 2, true};
}

void SetPanelWidth(StockWindow& w, int32_t panel, int32_t digits, int32_t letters) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr || panel < 1 || panel > bar->count()) return;
    bar->panel(panel).Width = bar->DigitWidth * digits + bar->WideWidth * letters + 4;
}

void ConfigSBar(StockWindow& w) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    bar->Visible = false;
    w.StatusBarLayoutShown = layout();
    w.StatusBarState = status_state::kPanels;
    bar->DigitWidth = byteWidth(bar->textWidth(u"0"));
    bar->WideWidth = byteWidth(bar->textWidth(u"W"));
    int32_t last = 1;
    switch (layout()) {
    case L::kAdded:
        SetPanelCount(w, 5);
        SetPanelWidth(w, 3, 3, 0);
        last = 5;
        break;
    case L::kAuthor:
        SetPanelCount(w, 4);
        bar->panel(3).Width = 23;
        last = 4;
        break;
    case L::kProperties: {
        SetPanelCount(w, 16);
        const int32_t widths[][3] = {{3, 2, 0},  {5, 7, 0},  {6, 3, 0},  {7, 6, 0},  {8, 2, 0},
                                     {11, 2, 0}, {12, 2, 0}, {13, 1, 1}, {14, 1, 1}, {15, 8, 0}};
        for (const auto& p : widths) SetPanelWidth(w, p[0], p[1], p[2]);
        last = 16;
        break;
    }
    case L::kHidden:
        SetPanelCount(w, 0);
        last = 0;
        break;
    default: SetPanelCount(w, 1); break;
    }
    if (last > 0) {
        bar->panel(last).Alignment = 0;
        bar->panel(last).AutoSize = 1;
    }
    bar->Style = 0;
    bar->Visible = true;
    show(*bar);
}

std::vector<std::u16string> StatusPanelTexts(StockWindow& w, int32_t cell, int32_t e, uint8_t kind) {
    std::vector<std::u16string> t;
    const StockEntry* entry = entryAt(e);
    if (entry == nullptr || cell < 1 || cell > kMaxCells) return t;
    const StockCell& c = w.Cells[static_cast<size_t>(cell)];
    if (kind == L::kFileName) return {c.FileTip};
    if (kind == L::kMacro) return {entry->FileIndex == kMacroFile ? entry->Text2 : entry->Name + entry->Text3};
    if (kind != L::kAuthor && kind != L::kProperties) return t;
    char16_t way = entry->WayLetter;
    t = {(c.PictureFlags & 1) != 0 ? u"T" : u"O", u"", FormatCodeLetter(way)};
    if (kind == L::kAuthor) {
        const ProgramState& st = programState();
        const int32_t a = entry->Author;
        t.push_back(a >= 0 && a <= st.Shared.AuthorCount && st.Arrays.Authors.has(a) ? st.Arrays.Authors[a].Name
                                                                                     : std::u16string());
        return t;
    }
    const AnimationCounts anim = countAnimations(c.Part);
    t.push_back(entry->UMark != 0 ? u"U" : u"");
    t.push_back(decimal(c.BuiltWidth) + u"*" + decimal(c.BuiltHeight));
    t.push_back(c.PaletteSize != 0 ? decimal(c.PaletteSize) : u"");
    t.push_back(c.DataSize != 0 ? decimal(c.DataSize) : u"");
    t.push_back(c.LastFrame != 0 ? decimal(c.LastFrame + 1) : u"");
    t.push_back(entry->DescNumber != 0 ? u"D" : u"");
    t.push_back((c.BuildFlags & 1) != 0 ? u"<" : u"");
    t.push_back((c.BuildFlags & 2) != 0 ? u"!L" : u"");
    t.push_back((c.BuildFlags & 4) != 0 ? u"!E" : (c.BuildFlags & 8) != 0 ? u"!C" : u"");
    t.push_back(anim.pantographs != 0 ? u"P" + decimal(anim.pantographs) : u"");
    t.push_back(anim.doors != 0 ? u"D" + decimal(anim.doors) : u"");
    t.push_back(anim.variations);
    t.push_back(anim.extras);
    return t;
}

void ValueSBar(StockWindow& w) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    bar->Style = 0;
    const uint8_t kind = layout();
    if (kind == L::kHidden || kind == L::kAdded || kind == L::kEmpty) {
        show(*bar);
        return;
    }
    const int32_t e = HoveredEntry(w);
    const std::vector<std::u16string> texts =
        e != 0 ? StatusPanelTexts(w, w.Input.MouseCell, e, kind) : std::vector<std::u16string>();
    for (int32_t p = 1; p <= bar->count(); ++p)
        bar->panel(p).Text = static_cast<size_t>(p) <= texts.size() ? texts[static_cast<size_t>(p - 1)] : u"";
    if (bar->count() >= 2) {
        const StockEntry* entry = entryAt(e);
        bar->panel(2).Picture =
            entry != nullptr && (kind == L::kAuthor || kind == L::kProperties) ? typePicture(entry->TypeLetter) : -1;
    }
    show(*bar);
}

void LayoutStatusBar(StockWindow& w) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    if (layout() != L::kHidden) {
        if (w.StatusBarLayoutShown != layout()) ConfigSBar(w);
        bar->Visible = true;
        ValueSBar(w);
    } else {
        bar->Visible = false;
        show(*bar);
    }
}

void SetStBar(StockWindow& w) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    if (bar->Visible != (layout() != L::kHidden)) bar->layoutWindow();
    if (layout() == L::kHidden) return;
    ConfigSBar(w);
    ValueSBar(w);
}

void SBarText(StockWindow& w, const std::u16string& text) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    bar->beep();
    if (layout() == L::kHidden) return;
    w.StatusBarState = status_state::kNote;
    bar->SimpleText = text.size() >= 5 ? text : GetText(text, u"", 1);
    bar->Style = 1;
    bar->stopNoteTimer();
    bar->restartNoteTimer(kNoteMs);
    show(*bar);
}

void Timer3_Timer(StockWindow& w) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    bar->stopNoteTimer();
    if (layout() != L::kHidden && w.StatusBarState == status_state::kNote) {
        w.StatusBarState = status_state::kPanels;
        bar->Style = 0;
        show(*bar);
    }
}

void SBar_MouseMove(StockWindow& w, int32_t x) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    std::vector<PanelSpan> spans;
    for (const StatusPanel& p : bar->Panels) spans.push_back(PanelSpan{p.Width, p.Visible});
    const int32_t p = PanelFromX(spans, x);
    const int32_t tracked = -static_cast<int16_t>(mouseTracking().TrackedId);
    if (p != tracked) HideTip();
    if (p != 0) TrackMouse(static_cast<uint16_t>(-p), bar->window());
}

std::u16string AProp(int32_t author) {
    const ProgramState& st = programState();
    if (author < 0 || author > st.Shared.AuthorCount || !st.Arrays.Authors.has(author)) return {};
    const AuthorEntry& a = st.Arrays.Authors[author];
    std::u16string t =
        a.Name + u"\r\n" + GetText(u"EMAIL") + u": " + a.Mail + u"\r\n" + GetText(u"HOME") + u": " + a.HomePage;
    if (!a.Description.empty()) t += u"\r\n" + a.Description;
    return t;
}

std::u16string StatusPanelTip(StockWindow& w, int32_t p) {
    StockStatusBar* bar = barOf(w);
    const uint8_t kind = layout();
    if (kind == L::kAdded) return {};
    const StockEntry* entry = entryAt(HoveredEntry(w));
    if (entry == nullptr) return {};
    std::u16string t = entry->Name;
    std::u16string v = bar != nullptr && p >= 1 && p <= bar->count() ? bar->panel(p).Text : u"";
    if (kind == L::kAuthor && p >= 4) {
        t = entry->Author == 0 ? FormatText(u"ACNA", {entry->Name})
                               : FormatText(u"ACA", {entry->Name, AProp(entry->Author)});
    } else if ((kind == L::kProperties || kind == L::kAuthor) && p >= 1 && p <= 16) {
        if (p == 1 && v == u"O") v.clear();
        if (p == 2) v = GetMenuCaption(kTypeMenu, kGeneratedItem + typePicture(entry->TypeLetter));
        if (p == 3) v = GetCodeLetterCaption(entry->WayLetter);
        std::u16string key = u"Z";
        key += kTipLetters[p - 1];
        if (v.empty()) key += u"0";
        t = FormatText(key, {entry->Name, v});
    }
    if ((kind == L::kFileName || kind == L::kMacro) && bar != nullptr && bar->count() >= 1) t = bar->panel(1).Text;
    return t;
}

void SBarHover(StockWindow& w, int32_t x, int32_t /*y*/) {
    const int32_t p = -static_cast<int16_t>(mouseTracking().TrackedId);
    std::u16string t = StatusPanelTip(w, p);
    StockStatusBar* bar = barOf(w);
    ShowTip(t, bar != nullptr ? bar->window() : nullptr, x, 0, kTipMs);
}

void SBarMenuTip(StockWindow& w, const std::u16string* text) {
    StockStatusBar* bar = barOf(w);
    if (bar == nullptr) return;
    if (text != nullptr) bar->SimpleText = *text;
    bar->Style = text != nullptr ? 1 : 0;
    show(*bar);
}

}  // namespace yov
