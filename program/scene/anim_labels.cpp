#include "program/scene/anim_labels.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/text.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/scene/picture_slot.h"

namespace yov {
namespace {

constexpr int32_t kLabelGrowth = 5;

std::u16string NormalisedMode(const std::u16string& mode) {
    if (mode.empty()) return mode;
    if (mode == u"F" || mode == u"FW" || mode == u"FORWARD") return u"F";
    if (mode == u"B" || mode == u"BW" || mode == u"BACKWARD") return u"B";
    if (mode == u"C" || mode == u"CY" || mode == u"CYCLE") return u"C";
    if (mode == u"E" || mode == u"EX" || mode == u"END" || mode == u"EXIT") return u"E";
    return u"P" + mode;
}

int32_t Look(std::u16string_view text, int32_t start, char16_t what) {
    return engine_calls::rLook(text, start, 0, what);
}

void TakeItem(std::u16string item) {
    PictureSlotTable& t = pictureSlots();
    bool isDefault = false;
    if (!item.empty()) {
        const char16_t mark = item.front();
        if (mark == u'*') isDefault = true;
        if (mark == u'<') isDefault = t.PictureDirection < 0;
        if (mark == u'>') isDefault = t.PictureDirection > 0;
        if (mark == u'*' || mark == u'<' || mark == u'>') item.erase(0, 1);
    }
    std::u16string name, mode;
    const size_t eq = item.find(u'=');
    if (eq != std::u16string::npos) {
        name = plat::trim(item.substr(0, eq));
        mode = NormalisedMode(plat::trim(item.substr(eq + 1)));
    } else {
        name = plat::trim(item);
        mode = u" ";
    }
    int32_t found = 0;
    for (int32_t i = 1; i <= t.LabelCount; ++i) {
        if (t.AnimLabelName[static_cast<size_t>(i)] == name) {
            found = i;
            break;
        }
    }
    if (found == 0) {
        AddAnimLabel(name, mode);
        found = t.LabelCount;
    } else if (t.AnimLabelMode[static_cast<size_t>(found)] == u" ") {
        t.AnimLabelMode[static_cast<size_t>(found)] = mode;
    }
    if (isDefault && t.DefaultLabel == 0) t.DefaultLabel = found;
}

}  // namespace

void AddAnimLabel(std::u16string_view name, std::u16string_view mode) {
    PictureSlotTable& t = pictureSlots();
    ++t.LabelCount;
    if (t.LabelCount > t.LabelAlloc || static_cast<size_t>(t.LabelCount) >= t.AnimLabelName.size()) {
        t.LabelAlloc = std::max(t.LabelAlloc, t.LabelCount - 1) + kLabelGrowth;
        t.AnimLabelName.resize(static_cast<size_t>(t.LabelAlloc) + 1);
        t.AnimLabelMode.resize(static_cast<size_t>(t.LabelAlloc) + 1);
    }
    t.AnimLabelName[static_cast<size_t>(t.LabelCount)] = std::u16string(name);
    t.AnimLabelMode[static_cast<size_t>(t.LabelCount)] = std::u16string(mode);
}

void ParseAnimParams(int32_t /*slot*/, std::u16string_view input) {
    std::u16string text(input);
    if (text.empty()) return;
    if (text.front() == u'(') {
        const int32_t close = Look(text, 2, u')');
        if (close <= 0 || !plat::trim(text.substr(static_cast<size_t>(close))).empty())
            RaiseProgramError(FormatText(u"ANPAR", {text}));
        text = text.substr(1, static_cast<size_t>(close) - 2);
    }
    // Each item moves past at least one character, so the walk ends with the text.
    int32_t pos = 1;
    const int32_t length = static_cast<int32_t>(text.size());
    while (pos <= length) {
        int32_t end = Look(text, pos, u';');
        if (end <= 0) end = length + 1;
        TakeItem(text.substr(static_cast<size_t>(pos) - 1, static_cast<size_t>(end - pos)));
        pos = end + 1;
    }
}

int16_t PantoCodeToMask(std::u16string_view code) {
    static constexpr std::array<std::pair<std::u16string_view, int16_t>, 21> kCodes{{
        {u"PLU", 1},  {u"P1U", 1},    {u"PRU", 2},    {u"P2U", 2},     {u"PDU", 3},     {u"P12U", 3},   {u"PU", 3},
        {u"PMU", 4},  {u"P3U", 4},    {u"P4U", 8},    {u"PA", 15},     {u"PFU", 32},    {u"PBU", 48},   {u"PHU", 64},
        {u"PTU", 80}, {u"PFIU", 128}, {u"PBIU", 144}, {u"PDO", 16384}, {u"PNO", 16384}, {u"PD", 16384}, {u"PN", 16384},
    }};
    for (const auto& [name, value] : kCodes)
        if (name == code) return value;
    return -1;
}

}  // namespace yov
