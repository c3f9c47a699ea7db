#include "program/show/scene_actions.h"

#include <array>

#include "platform/text.h"

namespace yov {

namespace {

std::u16string Upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = plat::toUpper(c);
    return out;
}

bool OneOf(std::u16string_view word, std::initializer_list<std::u16string_view> words) {
    for (std::u16string_view w : words)
        if (word == w) return true;
    return false;
}

// A whole number of at most nine digits; false for anything else.
bool WholeNumber(std::u16string_view s, int32_t& value) {
    if (s.empty() || s.size() > 9) return false;
    int32_t v = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return false;
        v = v * 10 + (c - u'0');
    }
    value = v;
    return true;
}

}  // namespace

std::vector<std::u16string_view> SplitActionList(std::u16string_view list) {
    if (list.size() > kMaxActionList) list = list.substr(0, kMaxActionList);
    std::vector<std::u16string_view> pieces;
    size_t from = 0;
    for (;;) {
        const size_t comma = list.find(u',', from);
        if (comma == std::u16string_view::npos) break;
        pieces.push_back(list.substr(from, comma - from));
        from = comma + 1;
    }
    pieces.push_back(list.substr(from));
    return pieces;
}

SceneAction ParseSceneAction(std::u16string_view action) {
    SceneAction out;
    if (action.empty()) return out;
    std::u16string word;
    std::u16string params;
    if (action.front() == u'[') {
        if (action.back() != u']' || action.size() < 2) {
            out.Kind = ActionKind::Unclosed;
            out.ErrorAt = static_cast<int32_t>(action.size()) + 1;
            out.Text = std::u16string(action);
            return out;
        }
        const std::u16string_view inner = action.substr(1, action.size() - 2);
        const size_t colon = inner.find(u':');
        if (colon == std::u16string_view::npos) {
            word = plat::trim(inner);
        } else {
            word = plat::trim(inner.substr(0, colon));
            params = plat::trim(inner.substr(colon + 1));
        }
    } else {
        word = std::u16string(action);
    }
    const std::u16string command = Upper(word);
    out.Text = params;
    if (OneOf(command, {u"R", u"RA", u"RANDOM_ANIMATION"})) {
        out.Kind = ActionKind::RandomAnimation;
    } else if (OneOf(command, {u"BS", u"SNOW", u"BEGIN_SNOW"})) {
        out.Kind = ActionKind::StartSnow;
    } else if (OneOf(command, {u"ES", u"ENDSNOW", u"STOP_SNOW"})) {
        out.Kind = ActionKind::EndSnow;
    } else if (OneOf(command, {u"GR", u"GROW", u"GROW_SNOW"})) {
        out.Kind = ActionKind::GrowSnow;
    } else if (OneOf(command, {u"TGA", u"TBGA", u"TBGAFTER", u"TEMPORARY_BACKGROUND_AFTER"})) {
        out.Kind = ActionKind::TbgAfterTrains;
    } else if (OneOf(command, {u"TGB", u"TBGB", u"TBGBEFORE", u"TEMPORARY_BACKGROUND_BEFORE"})) {
        out.Kind = ActionKind::TbgBeforeTrains;
    } else if (word.empty()) {
        out.Kind = ActionKind::Empty;
    } else {
        out.Kind = ActionKind::Animation;
        out.Text = word;
    }
    return out;
}

namespace action_detail {

std::u16string_view StripDirection(std::u16string_view text, int16_t& dir) {
    if (!text.empty() && (text.front() == u'<' || text.front() == u'>')) {
        dir = text.front() == u'<' ? -1 : 1;
        text.remove_prefix(1);
        while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
    }
    return text;
}

AnimTargetKind FixedTarget(std::u16string_view target) {
    static constexpr std::array<std::pair<std::u16string_view, AnimTargetKind>, 7> kTargets{{
        {u"FG", AnimTargetKind::FgPart},
        {u"BG", AnimTargetKind::BgPart},
        {u"CL", AnimTargetKind::Leftmost},
        {u"CM", AnimTargetKind::Middle},
        {u"CR", AnimTargetKind::Rightmost},
        {u"CH", AnimTargetKind::Head},
        {u"CT", AnimTargetKind::Tail},
    }};
    for (const auto& [word, kind] : kTargets)
        if (target == word) return kind;
    return AnimTargetKind::AllMembers;
}

void ParseVehicleSelector(std::u16string_view selector, std::u16string_view rest, AnimAddress& out) {
    std::u16string sel = plat::trim(selector);
    if (!sel.empty() && sel.front() == u'@') {
        out.FromFront = true;
        sel = plat::trim(std::u16string_view(sel).substr(1));
    }
    int32_t n = 0;
    if (sel == u"L" || sel == u"LAST") {
        out.Vehicle = -1;
    } else if (WholeNumber(sel, n)) {
        out.Vehicle = n;
    } else {
        out.VehicleName = sel;
    }
    const size_t dot = rest.find(u'.');
    if (dot != std::u16string_view::npos) {
        int32_t slot = 0;
        out.Slot = WholeNumber(plat::trim(rest.substr(0, dot)), slot) ? slot : 0;
        rest = rest.substr(dot + 1);
    }
    out.Action = std::u16string(rest);
}

}  // namespace action_detail

namespace {

// A pantograph word: its mode and the pantograph it picks; false when the word is none.
bool PantographWord(std::u16string_view word, int16_t dir, int32_t partCount, PartAction& out) {
    if (word.size() < 2 || word.front() != u'P') return false;
    if (word == u"PDO" || word == u"PNO" || word == u"PN") {
        out.Mode = 3;
        return true;
    }
    const char16_t last = word.back();
    if (last != u'U' && last != u'D') return false;
    const std::u16string_view middle = word.substr(1, word.size() - 2);
    int32_t slot = out.Slot;
    int32_t vehicle = out.Vehicle;
    bool inner = false;
    if (middle == u"L" || middle == u"1") {
        slot = 1;
    } else if (middle == u"R" || middle == u"2") {
        slot = 2;
    } else if (middle == u"M" || middle == u"3") {
        slot = 3;
    } else if (middle == u"4") {
        slot = 4;
    } else if (middle.empty() || middle == u"D" || middle == u"12") {
    } else if (middle == u"F") {
        slot = dir < 1 ? 1 : 2;
    } else if (middle == u"B") {
        slot = dir < 1 ? 2 : 1;
    } else if (middle == u"FI") {
        slot = dir < 0 ? 3 : 4;
        inner = true;
    } else if (middle == u"BI") {
        slot = dir > 0 ? 3 : 4;
        inner = true;
    } else if (middle == u"H") {
        vehicle = dir > 0 ? partCount : 1;
        slot = dir > 0 ? 2 : 1;
    } else if (middle == u"T") {
        vehicle = dir < 1 ? partCount : 1;
        slot = dir < 1 ? 2 : 1;
    } else {
        return false;
    }
    out.Mode = last == u'U' ? 2 : 3;
    out.Slot = slot;
    out.Vehicle = vehicle;
    out.InnerPan = inner;
    return true;
}

}  // namespace

PartAction ParsePartAction(std::u16string_view action, bool memberTarget, int16_t dir, int32_t slot, int32_t vehicle,
                           int32_t partCount) {
    PartAction out;
    out.Slot = slot;
    out.Vehicle = vehicle;
    const size_t colon = action.find(u':');
    if (colon != std::u16string_view::npos) {
        out.Primary = u"|" + std::u16string(action.substr(0, colon + 1));
        const std::u16string mode = Upper(plat::trim(action.substr(colon + 1)));
        if (OneOf(mode, {u"F", u"FW", u"FORWARD"})) {
            out.Mode = 2;
        } else if (OneOf(mode, {u"B", u"BW", u"BACKWARD"})) {
            out.Mode = 3;
        } else if (OneOf(mode, {u"C", u"CY", u"CYCLE"})) {
            out.Mode = 4;
        } else if (OneOf(mode, {u"E", u"EX", u"END", u"EXIT"})) {
            out.Mode = 5;
        } else {
            out.Valid = false;
        }
        return out;
    }
    out.Primary = u"|" + std::u16string(action) + u":";
    if (action == u"OPEN" || action == u"CLOSE") {
        out.Mode = action == u"OPEN" ? 2 : 3;
        out.Secondary = u"|DOOR:";
    } else if (memberTarget && PantographWord(action, dir, partCount, out)) {
        out.Secondary = u"|PAN:";
    }
    return out;
}

uint8_t SlotTagMode(std::u16string_view name, size_t afterTag, int16_t& programStart) {
    if (afterTag >= name.size()) return 1;
    static constexpr std::u16string_view kModes = u" FBCEP";
    const size_t at = kModes.find(name[afterTag]);
    if (at == std::u16string_view::npos || at == 0) return 1;
    if (at == 5) {
        int32_t v = 0;
        size_t i = afterTag + 1;
        while (i < name.size() && name[i] >= u'0' && name[i] <= u'9' && v < 32767) v = v * 10 + (name[i++] - u'0');
        programStart = static_cast<int16_t>(v > 32767 ? 32767 : v);
    }
    return static_cast<uint8_t>(at + 1);
}

}  // namespace yov
