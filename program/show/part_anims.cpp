#include "program/show/part_anims.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/script_reader.h"
#include "program/show/anim_wheel.h"
#include "program/show/lying_snow.h"
#include "program/show/scene_actions.h"
#include "program/show_data/show_state.h"
#include "program/show/snow.h"
#include "program/trains/area_painting.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

// What the part animations read of a composed train picture.
struct TrainPictureFacts {
    int32_t FirstPart = 0;
    int16_t Dir = 0;
    int32_t X = 0;
    int32_t Width = 0;
    int16_t MotionState = 0;
    std::u16string Name;
    int32_t PartCount = 0;  // the length of its part chain
};

bool PictureFacts(int32_t picture, TrainPictureFacts& f) {
    TrainPictureTable& table = trainPictures();
    if (!table.valid(picture)) return false;
    const TrainPicture& p = table[picture];
    f = TrainPictureFacts{p.FirstPart, p.Dir, p.X, p.Width, p.MotionState, p.SourceName, 0};
    PicPartPool& parts = picParts();
    for (int32_t part = p.FirstPart; parts.valid(part) && f.PartCount <= parts.Count; part = parts[part].NextPart)
        ++f.PartCount;
    return true;
}

// Seconds of a delay text, 0 to 15; anything that is no number counts as no delay.
int32_t DelaySlots(std::u16string_view delay) {
    if (delay.empty()) return 0;
    std::string narrow;
    for (char16_t c : delay) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    char* end = nullptr;
    const double seconds = std::strtod(narrow.c_str(), &end);
    if (end == narrow.c_str() || !std::isfinite(seconds) || seconds <= 0) return 0;
    return static_cast<int32_t>(std::lround(std::min<double>(seconds, kMaxAnimDelaySeconds) * 100.0));
}

void LinkOnWheel(int32_t slot, int32_t delaySlots) {
    AnimWheelState& w = animWheel();
    PictureSlot& s = pictureSlots()[slot];
    if (delaySlots < kWheelPlaces) {
        int32_t& head = w.AnimWheel[static_cast<size_t>((w.AnimWheelPos + delaySlots) % kWheelPlaces)];
        s.WheelNext = head;
        head = slot;
    } else {
        s.WheelNext = w.AnimOverflow;
        w.AnimOverflow = slot;
        s.DueCount = delaySlots - (kWheelPlaces - w.AnimWheelPos);
    }
}

void CountScheduled(int32_t part) {
    ++animWheel().AnimScheduled;
    PicPartPool& parts = picParts();
    if (parts.valid(part) && parts[part].AnimCount < 255) ++parts[part].AnimCount;
}

bool VehicleNamed(const PicPart& part, std::u16string_view name) {
    if (part.Name == name) return true;
    const auto& stock = programState().Arrays.Stock;
    return part.StockIndex >= 1 && part.StockIndex < stock.length() && stock[part.StockIndex].Name == name;
}

// Starts the matching slots of one part; false when the walk was told to stop.
void AnimatePartSlots(const PicPart& part, const PartAction& pa, int32_t slotIndex, int32_t& longest, float probability,
                      std::u16string_view delay) {
    PictureSlotTable& slots = pictureSlots();
    int32_t count = 0;
    int32_t third = 0;
    uint8_t thirdMode = 0;
    bool started = false;
    int32_t hops = 0;
    for (int32_t s = part.FirstSlot; slots.valid(s) && hops <= slots.Count; s = slots[s].NextSlot, ++hops) {
        const std::u16string& name = slots[s].Name;
        size_t at = name.find(pa.Primary);
        const bool byPrimary = at != std::u16string::npos;
        if (!byPrimary && (pa.Secondary.empty() || name.find(pa.Secondary) == std::u16string::npos)) continue;
        ++count;
        uint8_t mode = pa.Mode;
        int16_t programStart = 0;
        if (byPrimary && pa.Mode == 0) mode = SlotTagMode(name, at + pa.Primary.size(), programStart);
        if (pa.InnerPan && count == 3) {
            third = s;
            thirdMode = mode;
        }
        if (slotIndex == 0 || slotIndex == count) {
            StartPictureAnim(s, mode, longest, programStart, probability, delay);
            started = true;
            if (slotIndex != 0) break;
        }
    }
    if (pa.InnerPan && !started && slotIndex == 4 && third != 0)
        StartPictureAnim(third, thirdMode, longest, 0, probability, delay);
}

bool DirMatches(int16_t wanted, int16_t dir) { return wanted == 0 || wanted == dir; }

// The visible moving members sorted by x, and the one of them a fixed target picks; 0 none.
int32_t PickSortedMember(const TrainRec& train, AnimTargetKind kind) {
    struct Seen {
        int32_t Picture;
        int32_t X;
    };
    std::vector<Seen> seen;
    for (int32_t i = 1; i <= train.MemberCount && i <= kMaxTrainMembers; ++i) {
        TrainPictureFacts f;
        if (!PictureFacts(train.Members[static_cast<size_t>(i)], f)) continue;
        if (f.MotionState >= 4 && f.X + f.Width >= 1 && f.X < train.Width)
            seen.push_back({train.Members[static_cast<size_t>(i)], f.X});
    }
    if (seen.empty()) return 0;
    std::stable_sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.X < b.X; });
    const int32_t left = seen.front().Picture;
    const int32_t right = seen.back().Picture;
    switch (kind) {
    case AnimTargetKind::Leftmost: return left;
    case AnimTargetKind::Rightmost: return right;
    case AnimTargetKind::Middle:
        return seen[static_cast<size_t>((static_cast<int32_t>(seen.size()) + 1) / 2 - 1)].Picture;
    case AnimTargetKind::Head: return train.Direction < 0 ? left : right;
    case AnimTargetKind::Tail: return train.Direction > 0 ? left : right;
    default: return 0;
    }
}

void AnimateMember(int32_t picture, const AnimAddress& a, float probability, std::u16string_view delay) {
    TrainPictureFacts f;
    if (!PictureFacts(picture, f) || f.MotionState == 0 || !DirMatches(a.Dir, f.Dir)) return;
    AnimateParts(picture, a.Action, a.VehicleName, a.Vehicle, a.Slot, a.FromFront ? 1 : 0, probability, delay);
}

void RunAnimation(TrainRec& train, std::u16string_view text, float probability, std::u16string_view delay) {
    const auto isMember = [&train](std::u16string_view name) {
        for (int32_t i = 1; i <= train.MemberCount && i <= kMaxTrainMembers; ++i) {
            TrainPictureFacts f;
            if (PictureFacts(train.Members[static_cast<size_t>(i)], f) && f.Name == name) return true;
        }
        return false;
    };
    const AnimAddress a = ParseAnimAddress(text, isMember);
    const auto partAlone = [&](int32_t part) {
        if (part > 0) AnimateParts(-part, a.Action, u"", 0, a.Vehicle, 0, probability, delay);
    };
    switch (a.Target) {
    case AnimTargetKind::AllMembers:
        for (int32_t i = 1; i <= train.MemberCount && i <= kMaxTrainMembers; ++i)
            AnimateMember(train.Members[static_cast<size_t>(i)], a, probability, delay);
        if (!a.FromFront) {
            partAlone(train.FgPart);
            partAlone(train.BgPart);
        }
        break;
    case AnimTargetKind::FgPart: partAlone(train.FgPart); break;
    case AnimTargetKind::BgPart: partAlone(train.BgPart); break;
    case AnimTargetKind::Member:
        for (int32_t i = 1; i <= train.MemberCount && i <= kMaxTrainMembers; ++i) {
            TrainPictureFacts f;
            const int32_t picture = train.Members[static_cast<size_t>(i)];
            if (PictureFacts(picture, f) && f.Name == a.MemberName) {
                AnimateMember(picture, a, probability, delay);
                break;
            }
        }
        break;
    default:
        if (const int32_t picture = PickSortedMember(train, a.Target)) AnimateMember(picture, a, probability, delay);
        break;
    }
}

// The temporary-background span starts again over all its pieces.
void ResetTbgSpan(TrainRec& train) {
    const int32_t n = std::min<int32_t>(train.TgPieceCount, static_cast<int32_t>(train.TgPieces.size()) - 1);
    if (n < 1) return;
    train.TbgFrom = train.TgPieces[1].Left;
    train.TbgTo = train.TgPieces[static_cast<size_t>(n)].Right;
    const int32_t pages = std::min<int32_t>(BookPages(showState()), 2);
    for (int32_t b = 0; b <= pages; ++b) {
        train.TbgBufferFrom[static_cast<size_t>(b)] = train.TbgFrom;
        train.TbgBufferTo[static_cast<size_t>(b)] = train.TbgTo;
    }
    SetLayerFlags(train, 0x50);
}

}  // namespace

void DoActionList(TrainRec& train, std::u16string_view list) {
    for (std::u16string_view piece : SplitActionList(list)) DoAction(train, piece);
}

void DoAction(TrainRec& train, std::u16string_view action) {
    const SceneAction a = ParseSceneAction(action);
    switch (a.Kind) {
    case ActionKind::Empty: return;
    case ActionKind::Unclosed: {
        std::u16string line =
            FormatText(u"MISW", {a.Text}) + u" (column " + std::u16string(FormatArg(a.ErrorAt).text()) + u")";
        // The script line the action came from, so that its writer can find it.
        ScriptReader& reader = scriptReader();
        if (train.Line >= 1 && train.Line <= reader.S.MemberCount) line += u" " + reader.LinePlace(train.Line);
        WriteErrorLog(line);
        return;
    }
    case ActionKind::RandomAnimation: {
        std::u16string anim;
        std::u16string delay;
        float p = 1;
        paramTable().WithParams(a.Text, [&] {
            anim = GetParam(u"A,ANIM,ACTION", u"");
            p = paramTable().GetParamNumber(u"P,PROBABILITY,RANDOM", 1);
            delay = GetParam(u"D,DELAY", u"");
        });
        if (anim.empty()) return;
        if (p > 1 && p <= 100) p /= 100;
        RunAnimation(train, anim, p, delay);
        return;
    }
    case ActionKind::StartSnow: StartSnow(train, a.Text); return;
    case ActionKind::EndSnow: EndSnow(train, a.Text); return;
    case ActionKind::GrowSnow: GrowSnow(train, a.Text); return;
    case ActionKind::TbgAfterTrains:
        train.Flags |= train_flag::kTbgAfterTrains;
        ResetTbgSpan(train);
        return;
    case ActionKind::TbgBeforeTrains:
        train.Flags &= ~train_flag::kTbgAfterTrains;
        ResetTbgSpan(train);
        return;
    case ActionKind::Animation: RunAnimation(train, a.Text, 1, u""); return;
    }
}

int32_t AnimateParts(int32_t target, std::u16string_view action, std::u16string_view vehicle, int32_t vehicleIndex,
                     int32_t slotIndex, uint8_t fromFront, float probability, std::u16string_view delay) {
    PicPartPool& parts = picParts();
    int32_t first = 0;
    int16_t dir = 0;
    int32_t partCount = 1;
    const bool member = target > 0;
    if (member) {
        TrainPictureFacts f;
        if (!PictureFacts(target, f)) return 0;
        first = f.FirstPart;
        dir = f.Dir;
        partCount = f.PartCount;
    } else {
        first = -target;
        if (!parts.valid(first)) return 0;
    }
    const PartAction pa = ParsePartAction(action, member, dir, slotIndex, vehicleIndex, partCount);
    if (!pa.Valid) return 0;
    vehicleIndex = pa.Vehicle;
    if (fromFront != 0 && dir > 0 && vehicleIndex > 0) vehicleIndex = partCount + 1 - vehicleIndex;
    if (vehicleIndex < 0) vehicleIndex = partCount + 1 + vehicleIndex;
    if (vehicleIndex < 0) return 0;  // counted past the front: no such vehicle
    int32_t longest = 0;
    int32_t position = 0;
    for (int32_t p = first; parts.valid(p) && position <= parts.Count; p = member ? parts[p].NextPart : 0) {
        ++position;
        if (vehicleIndex != 0 && vehicleIndex != position) continue;
        const PicPart& part = parts[p];
        if (vehicle.empty() || VehicleNamed(part, vehicle))
            AnimatePartSlots(part, pa, pa.Slot, longest, probability, delay);
        if (vehicleIndex != 0) break;
    }
    return (longest + 99) / 100;
}

void StartPictureAnim(int32_t slot, uint8_t mode, int32_t& longest, int16_t programStart, float probability,
                      std::u16string_view delay) {
    PictureSlotTable& slots = pictureSlots();
    if (!slots.valid(slot) || slots[slot].State == kSlotFree) return;
    if (probability < 1 && programRandom().next01() > probability) return;
    const int32_t delaySlots = DelaySlots(delay);
    PictureSlot& s = slots[slot];
    int32_t frames = 0;
    switch (mode) {
    case 3:
        if (s.AnimFrame == 0) return;
        if (s.AnimFrame >= s.LastFrame) s.AnimFrame = static_cast<uint8_t>(s.LastFrame - 1);
        frames = s.AnimFrame + 1;
        break;
    case 2:
        if (s.AnimFrame >= s.LastFrame) return;
        if (s.AnimFrame == 0) s.AnimFrame = 1;
        frames = s.LastFrame - s.AnimFrame + 1;
        break;
    case 4:
    case 5: frames = 100; break;
    case 6:
        s.AnimPC = programStart;
        s.SavedFrame = s.AnimFrame;
        s.RepeatByte = 0;
        frames = 10;
        break;
    default:
        mode = 1;
        s.AnimFrame = 0;
        frames = std::min<int32_t>(s.LastFrame + 1, 255);
        break;
    }
    s.FrameCount = static_cast<uint8_t>(frames);
    if (s.State == kSlotAtRest) {
        LinkOnWheel(slot, delaySlots);
        CountScheduled(s.OwnerPart);
    }
    longest = std::max(longest, s.StepDelay * frames);
    s.State = mode;
}

void ScheduleAnim(int32_t part) {
    PicPartPool& parts = picParts();
    if (!parts.valid(part)) return;
    PictureSlotTable& slots = pictureSlots();
    int32_t hops = 0;
    for (int32_t s = parts[part].FirstSlot; slots.valid(s) && hops <= slots.Count; s = slots[s].NextSlot, ++hops) {
        const uint8_t state = slots[s].State;
        if (state == kSlotAtRest || state == kSlotFree) continue;
        LinkOnWheel(s, 1);
        CountScheduled(part);
    }
}

void ScheduleAnimEntry(int32_t picture) {
    TrainPictureFacts f;
    if (!PictureFacts(picture, f)) return;
    PicPartPool& parts = picParts();
    int32_t hops = 0;
    for (int32_t p = f.FirstPart; parts.valid(p) && hops <= parts.Count; p = parts[p].NextPart, ++hops) ScheduleAnim(p);
}

void ScheduleObjectAnims(TrainRec& train) {
    for (int32_t i = 1; i <= train.MemberCount && i <= kMaxTrainMembers; ++i)
        ScheduleAnimEntry(train.Members[static_cast<size_t>(i)]);
    if ((train.Flags & train_flag::kStarted) == 0) {
        ScheduleAnim(train.FgPart);
        ScheduleAnim(train.BgPart);
    }
}

}  // namespace yov
