#include "program/show/desc_menus.h"

#include <algorithm>
#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/utilities.h"
#include "program/show/show_input.h"

namespace yov {

namespace {

constexpr uint8_t kInLabel = 0x01;
constexpr uint8_t kInData = 0x02;
constexpr const char16_t* kLabelKey = u"\\DescSmall";
constexpr const char16_t* kDataKey = u"\\DescLarge";

// K, the highest entry of the key table that exists.
int32_t keyCount() {
    const ProgramState& st = programState();
    return std::clamp(st.Shared.DescKeyCount, 0, std::max(st.Arrays.DescKeys.upperBound(), 0));
}

bool haveEntry(int32_t entry) { return entry >= 0 && entry <= keyCount() && programState().Arrays.DescKeys.has(entry); }

DescKeyEntry& entryAt(int32_t entry) { return programState().Arrays.DescKeys[entry]; }

// 0 clears the bit, 1 sets it, anything else (missing: -1) keeps the key's default.
void readChoice(DescKeyEntry& d, uint8_t bit, const char16_t* subkey) {
    const int32_t v = GetRegNumber(d.Key, -1, subkey);
    if (v == 0) d.Flags = static_cast<uint8_t>(d.Flags & ~bit);
    if (v == 1) d.Flags = static_cast<uint8_t>(d.Flags | bit);
}

// The bit set or cleared and stored; true when it is now set.
bool storeChoice(DescKeyEntry& d, uint8_t bit, bool on, const char16_t* subkey) {
    d.Flags = static_cast<uint8_t>(on ? (d.Flags | bit) : (d.Flags & ~bit));
    SaveRegNumber(d.Key, on ? 1 : 0, subkey);
    return on;
}

std::u16string caption(const DescKeyEntry& d) { return DoubleAmpersands(PickLangText(d.Names, d.Key)); }

void check(int32_t menu, int32_t position, bool on) { lv::CheckItem(menu, position, on ? 1 : 0); }

void setItem(int32_t menu, int32_t position, const std::u16string& caption) {
    lv::SetMenuItem(menu, position, plat::utf16ToUtf8(caption).c_str(), 0);
}

}  // namespace

void RefreshDescMenu() {
    ShowInputState& in = showInput();
    in.LabelKeyCount = 0;
    if (!haveEntry(0)) return;
    const int32_t k = keyCount();
    for (int32_t e = 0; e <= k; ++e) {
        DescKeyEntry& d = entryAt(e);
        if (e > 0) {
            readChoice(d, kInLabel, kLabelKey);
            if ((d.Flags & kInLabel) != 0) ++in.LabelKeyCount;
        }
        readChoice(d, kInData, kDataKey);
    }
    BuildPopupMenu();
}

void BuildPopupMenu() {
    if (!haveEntry(0)) return;
    const int32_t k = keyCount();
    for (int32_t e = 1; e <= k; ++e) {
        const DescKeyEntry& d = entryAt(e);
        const std::u16string text = caption(d);
        setItem(kLabelMenu, e + 1, text);
        setItem(kDataMenu, e + 2, text);
        check(kLabelMenu, e + 1, (d.Flags & kInLabel) != 0);
        check(kDataMenu, e + 2, (d.Flags & kInData) != 0);
    }
    const DescKeyEntry& zero = entryAt(0);
    setItem(kDataMenu, k + 3, caption(zero));
    check(kDataMenu, k + 3, (zero.Flags & kInData) != 0);
    // Items left from a longer key list go.
    lv::CutMenu(kLabelMenu, k + 2);
    lv::CutMenu(kDataMenu, k + 4);
    lv::BreakMenu(kLabelMenu);
    lv::BreakMenu(kDataMenu);
}

void ToggleLabelKey(int32_t item) {
    const int32_t entry = item - 2;
    // Entry 0 has no label item.
    if (entry < 1 || !haveEntry(entry)) return;
    DescKeyEntry& d = entryAt(entry);
    const bool on = storeChoice(d, kInLabel, (d.Flags & kInLabel) == 0, kLabelKey);
    check(kLabelMenu, item - 1, on);
    showInput().LabelKeyCount += on ? 1 : -1;
}

void ToggleDataKey(int32_t item) {
    const int32_t k = keyCount();
    const int32_t entry = item <= k + 3 ? item - 3 : 0;
    if (!haveEntry(entry)) return;
    DescKeyEntry& d = entryAt(entry);
    const bool on = storeChoice(d, kInData, (d.Flags & kInData) == 0, kDataKey);
    check(kDataMenu, item - 1, on);
}

void ClearLabelKeys() {
    if (!haveEntry(0)) return;
    const int32_t k = keyCount();
    for (int32_t e = 1; e <= k; ++e) {
        storeChoice(entryAt(e), kInLabel, false, kLabelKey);
        check(kLabelMenu, e + 1, false);
    }
    showInput().LabelKeyCount = 0;
}

void SetAllDataKeys(bool on) {
    if (!haveEntry(0)) return;
    const int32_t k = keyCount();
    for (int32_t e = 1; e <= k; ++e) {
        storeChoice(entryAt(e), kInData, on, kDataKey);
        check(kDataMenu, e + 2, on);
    }
    storeChoice(entryAt(0), kInData, on, kDataKey);
    check(kDataMenu, k + 3, on);
}

}  // namespace yov
