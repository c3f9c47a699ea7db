// The reading of a train's action texts: the comma list, each action, the animation address
// and the part action, over arbitrary text.
//
// Input: byte 0 picks which names count as member pictures and the direction; the rest is
// the text, one byte per character. No input may crash, hang, or give an address or part
// action the show cannot use (a slot or vehicle index out of range, a tag without "|").
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/show/scene_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    std::u16string text;
    for (size_t i = 1; i < size; ++i) text += static_cast<char16_t>(data[i]);
    const int16_t dir = static_cast<int16_t>((pick & 3) - 1);
    const int32_t parts = 1 + (pick >> 4);
    for (std::u16string_view piece : yov::SplitActionList(text)) {
        const yov::SceneAction a = yov::ParseSceneAction(piece);
        if (a.Kind == yov::ActionKind::Unclosed && a.ErrorAt < 1) std::abort();
        if (a.Kind != yov::ActionKind::Animation) continue;
        const auto isMember = [pick](std::u16string_view name) { return (pick & 4) != 0 && name.size() == 1; };
        const yov::AnimAddress addr = yov::ParseAnimAddress(a.Text, isMember);
        if (addr.Slot < 0 || addr.Vehicle < -1) std::abort();
        const yov::PartAction pa =
            yov::ParsePartAction(addr.Action, (pick & 8) != 0, dir, addr.Slot, addr.Vehicle, parts);
        if (pa.Valid && (pa.Primary.empty() || pa.Primary.front() != u'|' || pa.Slot < 0 || pa.Slot > 999999999))
            std::abort();
        int16_t programStart = 0;
        if (yov::SlotTagMode(addr.Action, 0, programStart) > 6 || programStart < 0) std::abort();
    }
    return 0;
}
