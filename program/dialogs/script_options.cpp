#include "program/dialogs/script_options.h"

#include <algorithm>
#include <utility>

#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/utilities.h"
#include "program/scene/scene_records.h"

namespace yov {

namespace {

constexpr const char16_t* kOptionKey = u"\\Option";

std::u16string pick(const std::array<std::u16string, kLanguageSlots>& texts, std::u16string_view fallback) {
    LvString all[kLanguageSlots];
    std::copy(texts.begin(), texts.end(), all);
    return PickLangText(all, fallback);
}

OptionEntry& option(SceneScript& s, int32_t j) { return s.Options[static_cast<size_t>(j)]; }

bool hasOption(const SceneScript& s, int32_t j) {
    return j >= 1 && j <= s.OptionCount && static_cast<size_t>(j) < s.Options.size();
}

OptionMenuView*& menuView() {
    static OptionMenuView* view = nullptr;
    return view;
}

void mark(const OptionEntry& e, int32_t j) {
    if (e.MenuHandle != 0 && menuView() != nullptr)
        menuView()->checkItem(static_cast<LvHandle>(e.MenuHandle), kFirstOptionItem + j - 1, e.Value == 1);
}

// A switch takes a value: stored at once, its check mark following.
void setSwitch(SceneScript& s, int32_t j, uint8_t value) {
    OptionEntry& e = option(s, j);
    e.Value = value;
    SaveRegNumber(e.Key, value, kOptionKey);
    mark(e, j);
}

// The first switch of that name, exactly as written; 0 when none.
int32_t switchNamed(const SceneScript& s, std::u16string_view name) {
    for (int32_t j = 1; j <= s.OptionCount && hasOption(s, j); ++j) {
        const OptionEntry& e = s.Options[static_cast<size_t>(j)];
        if (e.Kind == option_kind::kOption && e.Key == name) return j;
    }
    return 0;
}

// "A+, B-, C!": each item a switch and what happens to it, left to right.
void runCommandText(SceneScript& s, std::u16string_view command) {
    size_t start = 0;
    while (start <= command.size()) {
        size_t comma = command.find(u',', start);
        if (comma == std::u16string_view::npos) comma = command.size();
        const std::u16string item = plat::trim(command.substr(start, comma - start));
        start = comma + 1;
        if (item.empty()) continue;
        const char16_t op = item.back();
        const int32_t j = switchNamed(s, plat::trim(std::u16string_view(item).substr(0, item.size() - 1)));
        if (j == 0) continue;
        const uint8_t old = option(s, j).Value;
        switch (op) {
        case u'+':
        case u'1': setSwitch(s, j, 1); break;
        case u'-':
        case u'0': setSwitch(s, j, 0); break;
        case u'*':
        case u'^':
        case u'!': setSwitch(s, j, old == 1 ? 0 : 1); break;
        default: break;  // no known operation: the item is passed over
        }
    }
}

void message(const std::u16string& text) { ShowMsgBox(text, msgbox::kOk); }

// The engine's label-menu builder at level 2 (the option menu): index -1 opens the build, -2
// closes it, any other adds an item at a submenu level; 0 or an error number.
int32_t setCatMenu(int16_t index, int16_t level, const std::string& caption, LvHandle* menu) {
    return lv::SetCatMenu(index, level, caption.c_str(), menu);
}

void buildOptionMenu(SceneScript& s, int32_t n) {
    int32_t r = setCatMenu(-1, 2, {}, nullptr);
    if (r != 0) {
        message(u"SetOptMenu 1 error " + decimal(r));
        return;
    }
    for (int32_t j = 1; j <= n; ++j) {
        OptionEntry& e = option(s, j);
        const auto index = static_cast<int16_t>(j - 1);
        LvHandle menu = 0;
        if (e.Kind == option_kind::kSeparator) {
            r = setCatMenu(index, e.Level, "-", nullptr);
        } else {
            const std::u16string caption = DoubleAmpersands(pick(e.Captions, e.Key));
            r = setCatMenu(index, e.Level, plat::utf16ToUtf8(caption), &menu);
            e.MenuHandle = static_cast<intptr_t>(menu);
        }
        if (r != 0) message(u"SetOptMenu 2 error " + decimal(r));
    }
    if (n >= kOptionsForSelectAll) {
        setCatMenu(static_cast<int16_t>(n), 0, "-", nullptr);
        setCatMenu(static_cast<int16_t>(n + 1), 0, plat::utf16ToUtf8(GetText(u"SALL", u"Select all")), nullptr);
        setCatMenu(static_cast<int16_t>(n + 2), 0, plat::utf16ToUtf8(GetText(u"DALL", u"Deselect all")), nullptr);
    }
    r = setCatMenu(-2, 2, {}, nullptr);
    if (r != 0) message(u"SetOptMenu 3 error " + decimal(r));
    for (int32_t j = 1; j <= n; ++j) {
        if (option(s, j).Kind == option_kind::kOption) mark(option(s, j), j);
    }
}

}  // namespace

OptionMenuView* SetOptionMenuView(OptionMenuView* view) { return std::exchange(menuView(), view); }

int32_t OfferedOptionCount(const SceneScript& script) {
    const int32_t declared = std::min<int32_t>(script.OptionCount, static_cast<int32_t>(script.Options.size()) - 1);
    return std::clamp(declared, 0, kMaxOfferedOptions);
}

void BuildScriptMenus(SceneScript& script) {
    const int32_t n = OfferedOptionCount(script);
    if (script.OptionCount > n) {
        WriteErrorLog(u"The scene script declares " + decimal(script.OptionCount) + u" options; only the first " +
                      decimal(n) + u" are offered");
    }
    if (n > 0) buildOptionMenu(script, n);
    lv::CutMenu(kHelpLinkMenu, -1);
    const int32_t links = std::clamp(script.LinkCount, 0, kMaxHelpLinkItems);
    for (int32_t j = 1; j <= links; ++j) {
        const HelpLink& link = script.Links[static_cast<size_t>(j)];
        lv::SetMenuItem(kHelpLinkMenu, 4095, plat::utf16ToUtf8(DoubleAmpersands(pick(link.Captions, link.Url))).c_str(),
                        kHelpLinkCommand + j);
    }
    if (menuView() != nullptr) menuView()->drawMenuBar();
}

void RunOptionCommand(SceneScript& script, int32_t item) {
    const int32_t n = OfferedOptionCount(script);
    if (item < 0) return;
    if (item >= n) {
        // The separator, "Select all" and "Deselect all"; only there from six options on.
        if (n < kOptionsForSelectAll || item == n || item > n + 2) return;
        const auto value = static_cast<uint8_t>((item - n) & 1);
        for (int32_t j = 1; j <= n; ++j) {
            if (option(script, j).Kind == option_kind::kOption) setSwitch(script, j, value);
        }
        return;
    }
    const int32_t j = item + 1;
    OptionEntry& e = option(script, j);
    if (e.Kind == option_kind::kOption) {
        setSwitch(script, j, e.Value == 1 ? 0 : 1);
    } else if (e.Kind == option_kind::kCommand) {
        const std::u16string command = e.Command;  // the switches' stores do not touch it
        runCommandText(script, command);
    }
}

}  // namespace yov
