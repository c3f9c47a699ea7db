// The language of a train's action texts, read without touching any show state: the
// comma list, one action (a bracketed scene command or a part animation), the address of a
// part animation (direction, member, vehicle, slot) and the part action itself (its tags,
// its mode and the pantograph words). The show runs what these readers return
// (part_anims.h); the fuzz target runs the readers alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yov {

// A list is cut at every ","; empty pieces are kept. Positions are 16-bit on Windows, so
// only the first 32767 characters are read.
inline constexpr size_t kMaxActionList = 32767;
std::vector<std::u16string_view> SplitActionList(std::u16string_view list);

enum class ActionKind : uint8_t {
    Empty,
    Unclosed,  // "[" without the closing "]"
    RandomAnimation,
    StartSnow,
    EndSnow,
    GrowSnow,
    TbgAfterTrains,
    TbgBeforeTrains,
    Animation,  // Text is the animation text, as written
};

struct SceneAction {
    ActionKind Kind = ActionKind::Empty;
    std::u16string Text;  // parameters of a command, the animation text of an animation
    int32_t ErrorAt = 0;  // Unclosed: the 1-based column where "]" was expected
};

SceneAction ParseSceneAction(std::u16string_view action);

// Which members an animation addresses.
enum class AnimTargetKind : uint8_t {
    AllMembers,  // no target, or a target that names no member (then it is a vehicle selector)
    FgPart,
    BgPart,
    Leftmost,   // "CL"
    Middle,     // "CM"
    Rightmost,  // "CR"
    Head,       // "CH"
    Tail,       // "CT"
    Member,     // a member picture by name
};

struct AnimAddress {
    int16_t Dir = 0;  // -1 "<", +1 ">", 0 any
    AnimTargetKind Target = AnimTargetKind::AllMembers;
    std::u16string MemberName;   // Member
    bool FromFront = false;      // "@"
    int32_t Vehicle = 0;         // 1-based, -1 the last, 0 any
    std::u16string VehicleName;  // vehicles by name, empty any
    int32_t Slot = 0;            // among the matching slots, 0 all
    std::u16string Action;       // the part action
};

// `isMember` says whether a text names a member picture of the train.
template <class IsMember>
AnimAddress ParseAnimAddress(std::u16string_view text, IsMember&& isMember);

// The tags and the mode of a part action. Mode 0 with Valid: the slot's tag gives the mode.
struct PartAction {
    bool Valid = true;         // false: an unknown mode word, nothing is animated
    std::u16string Primary;    // "|" + tag + ":"
    std::u16string Secondary;  // "|DOOR:", "|PAN:" or empty
    uint8_t Mode = 0;
    int32_t Slot = 0;       // the slot index, replaced by a pantograph word
    int32_t Vehicle = 0;    // the vehicle index, replaced by "H" and "T" pantographs
    bool InnerPan = false;  // "FI" / "BI": the third pantograph stands in for a missing fourth
};

// `memberTarget`: a pantograph word counts only for a member picture; `dir` is its direction.
PartAction ParsePartAction(std::u16string_view action, bool memberTarget, int16_t dir, int32_t slot, int32_t vehicle,
                           int32_t partCount);

// The mode a slot's name gives after its tag: " FBCEP" (P: the program start follows).
uint8_t SlotTagMode(std::u16string_view name, size_t afterTag, int16_t& programStart);

// --- Details of ParseAnimAddress.
namespace action_detail {
AnimTargetKind FixedTarget(std::u16string_view upperTarget);
void ParseVehicleSelector(std::u16string_view selector, std::u16string_view rest, AnimAddress& out);
std::u16string_view StripDirection(std::u16string_view text, int16_t& dir);
}  // namespace action_detail

template <class IsMember>
AnimAddress ParseAnimAddress(std::u16string_view text, IsMember&& isMember) {
    AnimAddress out;
    text = action_detail::StripDirection(text, out.Dir);
    const size_t dot = text.find(u'.');
    if (dot == std::u16string_view::npos) {
        out.Action = std::u16string(text);
        return out;
    }
    std::u16string target(text.substr(0, dot));
    while (!target.empty() && target.back() == u' ') target.pop_back();
    while (!target.empty() && target.front() == u' ') target.erase(0, 1);
    std::u16string_view rest = text.substr(dot + 1);
    AnimTargetKind kind = action_detail::FixedTarget(target);
    if (kind == AnimTargetKind::AllMembers && isMember(std::u16string_view(target))) {
        kind = AnimTargetKind::Member;
        out.MemberName = target;
    }
    out.Target = kind;
    if (kind == AnimTargetKind::AllMembers) {
        action_detail::ParseVehicleSelector(target, rest, out);
        return out;
    }
    const size_t dot2 = rest.find(u'.');
    if (dot2 == std::u16string_view::npos) {
        out.Action = std::u16string(rest);
        return out;
    }
    action_detail::ParseVehicleSelector(rest.substr(0, dot2), rest.substr(dot2 + 1), out);
    return out;
}

}  // namespace yov
