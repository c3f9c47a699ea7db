#include "program/show/object_steps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/show/object_motion.h"
#include "program/show/part_anims.h"
#include "program/trains/show_queues.h"
#include "program/trains/train_records.h"
#include "program/trains/movement_modes.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

namespace ts = train_state;
namespace tf = train_flag;

constexpr uint8_t kEndState = 3;
namespace ms = motion_state;
constexpr int32_t kTicksPerSecond = 5;
constexpr int32_t kLongestWaitSeconds = 60;
constexpr int32_t kDefaultWaitTicks = 25;
constexpr int32_t kMostTicks = 1000000;
constexpr uint8_t kJointMode = 2;
constexpr std::u16string_view kJointWait = u"W,1";

using enum PhaseOp;

// The phase table, by code.
constexpr std::array kPhases = std::to_array<PhaseRow>({
    {4, Regenerate},
    {10, Go},
    {11, Regenerate},
    {13, Go},
    {15, Wait, 0},
    {17, Go},
    {18, Wait, 0},
    {19, Start, 1},
    {21, Go},
    {22, ReverseWait, 1, 0, 0},
    {23, Start, 1},
    {25, Go},
    {26, PartWays, 0},
    {27, JointAnims, 1, 2, 3},
    {28, StartByText, 2, 1},
    {29, Wait, 1},
    {30, StartByText, 1, 2},
    {32, Go},
    // CUT2's stop: as CUT's, the units let go and take their directions before parting.
    {33, PartWays, 0},
    {34, JointAnims, 1, 2, 3, u"#C"},
    {35, CreepApart},
    {36, DirFromText, 2, 3, 4},
    {37, JointAnims, 1, 2, 3},
    {38, StartByText, 2, 1},
    {39, Wait, 1},
    {40, StartByText, 1, 2},
    {42, Go},
    {43, Wait, 0},
    {44, JointAnims, 1, 2, 3},
    {45, UncoupleStart, 2},
    {46, Wait, 1},
    {47, StopShort, 3},
    {48, Wait, 3},
    {49, JointAnims, 1, 3, 2, u"C"},
    {50, Creep, 3},
    {51, CopyDirWait, 2},
    {52, JointCouple, 1, 3},
    {53, CarryStart, 1, 3},
    {55, Go},
    {56, DoorsWait},
    {57, DoorsOpen},
    {58, DoorsClose},
    {59, Start, 1},
    {61, Go},
    {62, DirFromText, 1, 2, 0},
    {63, StopShort, 2},
    {64, Wait, 3},
    {65, JointAnims, 1, 2, 2, u"C"},
    {66, Creep, 2},
    {67, DirFromText, 2, 2, 1},
    {68, JointCouple, 1, 2},
    {69, StartCarrier},
    {71, Go},
    {72, Wait, 0},
    {73, CoupleStop, 2},
    {74, ReverseWait, 4, 0, 1},
    {75, JointAnims, 2, 3, 3},
    {76, Start, 3},
    {77, Wait, 2},
    {78, JointCouple, 1, 2},
    {79, CarryStart, 2, 1},
    {81, Go},
    {82, ReverseWait, 2, 1, 0},
    {83, CoupleStop, 3},
    {84, ReverseWait, 4, 0, 1},
    {85, JointAnims, 1, 2, 3},
    {86, CarryStart, 2, 3},
    {87, Wait, 2},
    {88, Start, 1},
    {90, Go},
    {91, Wait, 0},
    {92, CoupleStop, 2},
    {93, ReverseWait, 2, 0, 1},
    {94, JointAnims, 1, 4, 3},
    {95, CarryStart, 1, 2},
    {96, Wait, 2},
    {97, CoupleStop, 3},
    {98, ReverseWait, 4, 0, 3},
    {99, JointCouple, 3, 4},
    {100, Start, 4},
    {102, Go},
    {103, ReverseWait, 3, 0, 0},
    {104, CoupleStop, 3},
    {105, ReverseWait, 4, 0, 1},
    {106, CarryStart, 2, 3},
    {107, Wait, 2},
    {108, Start, 1},
    {110, Go},
    {111, ReverseWait, 3, 1, 0},
    {112, Start, 2},
    {113, Wait, 1},
    {114, CoupleStop, 3},
    {115, CopyDirWait, 2},
    {116, CarryStart, 1, 3},
    {118, Go},
    {119, ReverseWait, 0, 3, 0},
    {120, JointAnims, 1, 2, 3},
    {121, RunTo, 6, 0},
    {122, ReverseWait, 1, 0, 1},
    {123, RunTo, 7, 1},
    {124, ReverseBySide, 2},
    {125, RunToTouch},
    {126, OppositeWait, 9},
    {127, JointAnims, 1, 2, 2, u"C"},
    {128, Creep, 1},
    {129, ReverseWait, 1, 0, 3},
    {130, JointCouple, 1, 2},
    {131, CarryStart, 2, 1},
    {133, Go},
    {134, Next},
});

TrainRec& rec(int32_t train) { return trains().at(train); }

// The picture at member position k, null when there is none.
TrainPicture* member(int32_t train, int32_t k) {
    if (k < 1 || k > kMaxTrainMembers) return nullptr;
    const int32_t id = rec(train).Members[static_cast<size_t>(k)];
    return trainPictures().valid(id) ? &trainPictures()[id] : nullptr;
}

int32_t memberId(int32_t train, int32_t k) {
    return member(train, k) != nullptr ? rec(train).Members[static_cast<size_t>(k)] : 0;
}

double number(std::u16string_view text) {
    const double v = plat::val(text);
    return std::isfinite(v) ? v : 0;
}

int32_t wholeNumber(std::u16string_view text) {
    return static_cast<int32_t>(std::clamp<double>(std::nearbyint(number(text)), INT32_MIN, INT32_MAX));
}

const std::u16string& stepText(int32_t train, int32_t k) { return rec(train).StepText[static_cast<size_t>(k)]; }

bool sideBefore(int32_t train) { return number(stepText(train, 10)) > 0; }

// Seconds as ticks, bounded so that a huge number cannot overflow the count.
int32_t ticksFor(double seconds) {
    return static_cast<int32_t>(std::clamp<double>(std::nearbyint(seconds * kTicksPerSecond), 0, kMostTicks));
}

void next(int32_t train) { ++rec(train).State; }

void startMember(int32_t train, int32_t k) {
    TrainPicture* p = member(train, k);
    if (p == nullptr) return;
    p->Speed = p->StartSpeed;
    p->Accel = p->AccelRate;
    p->MotionState = ms::kSpeedUp;
    p->Remainder = 0;
}

void setMotion(int32_t train, int32_t k, int16_t state) {
    if (TrainPicture* p = member(train, k)) p->MotionState = state;
}

void reverse(int32_t train, int32_t k) {
    if (TrainPicture* p = member(train, k)) p->Dir = static_cast<int16_t>(-p->Dir);
}

void letGo(int32_t train, int32_t k) {
    if (TrainPicture* p = member(train, k)) p->CoupledId = 0;
}

// A direction from a step text: its sign; a text without one leaves the direction alone.
void directionFrom(int32_t train, int32_t k, std::u16string_view text) {
    const double n = number(text);
    if (TrainPicture* p = member(train, k); p != nullptr && n != 0) p->Dir = n > 0 ? 1 : -1;
}

void waitOn(int32_t train, std::u16string text) {
    TrainRec& r = rec(train);
    r.WaitText = std::move(text);
    r.Flags |= tf::kWaiting;
    CheckWait(train);
}

void waitOnStepText(int32_t train, int32_t k) { waitOn(train, stepText(train, k)); }

// A timed wait ends through the scene tick; one of no ticks would never be counted down.
void waitTicks(int32_t train, int32_t ticks) {
    rec(train).WaitTicks = ticks;
    if (ticks <= 0) QueueObjectStep(train);
}

void swapFirstTwo(int32_t train) {
    TrainRec& r = rec(train);
    std::swap(r.Members[1], r.Members[2]);
    if (TrainPicture* p = member(train, 1)) p->MemberPos = 1;
    if (TrainPicture* p = member(train, 2)) p->MemberPos = 2;
}

void doors(int32_t train, std::u16string_view action, int32_t waitText) {
    const int32_t picture = memberId(train, 1);
    const int32_t seconds = picture != 0 ? AnimateParts(picture, action, u"", 0, 0, 0, 1.0f, u"") : 0;
    next(train);
    waitTicks(train, ticksFor(number(stepText(train, waitText)) + seconds));
}

// The running-round unit: TURN keeps its speed and braking rate in step texts 4 and 5.
void runTo(int32_t train, int32_t k, int32_t stopX, int16_t state) {
    const double target = number(stepText(train, 4));
    const double brake = number(stepText(train, 5));
    TrainPicture* p = member(train, k);
    if (p == nullptr) return;
    p->StopX = stopX;
    p->Speed = p->StartSpeed;
    p->Accel = p->AccelRate;
    p->MotionState = state;
    if (target > 0) p->TargetSpeed = static_cast<float>(target);
    if (brake > 0) p->BrakeRate = static_cast<float>(brake);
}

void joint(int32_t train, const PhaseRow& row) {
    rec(train).WaitText.clear();
    if (row.Op == JointCouple)
        CoupleMembers(train, row.A, row.B);
    else
        AnimateJoint(train, row.A, row.B, static_cast<uint8_t>(row.C), row.Label);
    rec(train).Flags |= tf::kWaiting;
    CheckWait(train);
}

void endProgram(int32_t train) {
    TrainRec& r = rec(train);
    r.State = kEndState;
    waitOn(train, r.EndText);
}

void runPhase(int32_t train, const PhaseRow& row) {
    switch (row.Op) {
    case End: return endProgram(train);
    case Go: rec(train).Flags |= tf::kMoving; return next(train);
    case Next: return next(train);
    case Regenerate:
        if (rec(train).Event != 0) QueueDueEvent(rec(train).Event);
        return;
    case Wait: return waitOnStepText(train, row.A);
    case Start: startMember(train, row.A); return next(train);
    case StartByText: startMember(train, number(stepText(train, 2)) > 0 ? row.A : row.B); return next(train);
    case StartCarrier: {
        const TrainPicture* m1 = member(train, 1);
        startMember(train, m1 != nullptr && m1->CoupledId != 0 ? 1 : 2);
        return next(train);
    }
    case UncoupleStart:
        letGo(train, row.A);
        startMember(train, row.A);
        return next(train);
    case CarryStart: {
        const int32_t a = memberId(train, row.A);
        const int32_t b = memberId(train, row.B);
        if (a != 0 && b != 0) CoupleUnits(a, b, 0, 1);
        startMember(train, row.A);
        return next(train);
    }
    case Creep:
        if (TrainPicture* p = member(train, row.A)) {
            p->Speed = p->CreepSpeed;
            p->MotionState = ms::kApproach;
        }
        return next(train);
    case StopShort: setMotion(train, row.A, ms::kApproachShort); return next(train);
    case CoupleStop: setMotion(train, row.A, ms::kApproachCouple); return next(train);
    case DirFromText: directionFrom(train, row.A, stepText(train, row.B)); return waitOnStepText(train, row.C);
    case ReverseWait:
        for (int32_t k = 1; k <= 4; ++k) {
            if ((row.A & (1 << (k - 1))) != 0) reverse(train, k);
            if ((row.B & (1 << (k - 1))) != 0) letGo(train, k);
        }
        return waitOnStepText(train, row.C);
    case PartWays:
        directionFrom(train, 2, stepText(train, 3));
        directionFrom(train, 1, stepText(train, 2));
        letGo(train, 1);
        letGo(train, 2);
        return waitOnStepText(train, row.A);
    case CopyDirWait: {
        const TrainPicture* m1 = member(train, 1);
        if (TrainPicture* m3 = member(train, 3); m1 != nullptr && m3 != nullptr) m3->Dir = m1->Dir;
        return waitOnStepText(train, row.A);
    }
    case ReverseBySide: reverse(train, sideBefore(train) ? 2 : 1); return waitOnStepText(train, row.A);
    case OppositeWait: {
        const TrainPicture* m1 = member(train, 1);
        if (TrainPicture* m2 = member(train, 2); m1 != nullptr && m2 != nullptr)
            m2->Dir = static_cast<int16_t>(-m1->Dir);
        return waitOnStepText(train, row.A);
    }
    case JointCouple:
    case JointAnims: return joint(train, row);
    case DoorsWait: {
        const int32_t ticks = ticksFor(number(stepText(train, 0)));
        if (ticks <= 0) {
            next(train);
            return doors(train, u"OPEN", 1);
        }
        next(train);
        return waitTicks(train, ticks);
    }
    case DoorsOpen: return doors(train, u"OPEN", 1);
    case DoorsClose: return doors(train, u"CLOSE", 2);
    case RunTo: {
        int32_t k = 1;
        if (row.B != 0 && sideBefore(train)) {
            swapFirstTwo(train);
            k = 2;
        }
        runTo(train, k, wholeNumber(stepText(train, row.A)), ms::kRunToStop);
        return next(train);
    }
    case RunToTouch: {
        if (sideBefore(train)) swapFirstTwo(train);
        const TrainPicture* q = member(train, 2);
        const TrainPicture* p = member(train, 1);
        if (p != nullptr && q != nullptr) {
            const int32_t stop = p->Dir < 0 ? q->X + q->Width : q->X - p->Width;
            runTo(train, 1, stop, ms::kRunToStopShort);
        }
        return next(train);
    }
    case CreepApart:
        if (TrainPicture* p = member(train, 2)) {
            p->StopX = p->X + p->CoupleDist;
            p->Speed = p->CreepSpeed;
            p->MotionState = ms::kApproach;
            p->Remainder = 0;
            p->Accel = 0;
            p->Dir = 1;
        }
        return next(train);
    }
}

// The remaining time of one running slot, in wheel places.
int64_t remainingPlaces(const PictureSlot& s) {
    int64_t frames = 0;
    switch (s.State) {
    case kSlotAtRest:
    case kSlotCycling:
    case kSlotFree: frames = 0; break;
    case 3: frames = s.AnimFrame; break;
    default: frames = static_cast<int64_t>(s.LastFrame) - s.AnimFrame; break;
    }
    return std::max<int64_t>(frames, 0) * std::max<int32_t>(s.StepDelay, 0);
}

// The last part of a picture's chain, or its first.
int32_t endPart(int32_t picture, bool last) {
    if (!trainPictures().valid(picture)) return 0;
    int32_t part = trainPictures()[picture].FirstPart;
    if (!last) return part;
    const PicPartPool& parts = picParts();
    for (int32_t hops = 0; parts.valid(part) && parts.Parts[static_cast<size_t>(part)].NextPart != 0; ++hops) {
        if (hops > parts.Count) return 0;
        part = parts.Parts[static_cast<size_t>(part)].NextPart;
    }
    return part;
}

// Does the slot's name carry the side marker with the label's selection?
bool sideSlotSelected(std::u16string_view name, std::u16string_view marker, std::u16string_view label) {
    if (name.find(marker) == std::u16string_view::npos) return false;
    if (label.empty()) return true;
    const bool except = label.front() == u'#';
    const std::u16string_view tag = except ? label.substr(1) : label;
    std::u16string wanted = u"|";
    wanted += tag;
    wanted += marker;
    const bool named = name.find(wanted) != std::u16string_view::npos;
    return except ? !named : named;
}

}  // namespace

PhaseRow FindPhase(uint8_t code) {
    for (const PhaseRow& row : kPhases) {
        if (row.Code == code) return row;
    }
    return PhaseRow{code, End};
}

std::span<const PhaseRow> PhaseTable() { return kPhases; }

void StepObjectAnim(int32_t train) {
    if (!trains().valid(train)) return;
    TrainRec& r = rec(train);
    r.Flags &= ~tf::kQueued;
    if ((r.Flags & tf::kWaiting) != 0) return CheckWait(train);
    // Below the first phase the states are the train start's (3 and 4 are the end of the
    // program); 12 without a wait is a recomposition that is running.
    if (r.State < ts::kFirstProgramPhase && r.State != kEndState && r.State != ts::kRunEnded) return;
    if (r.State == ts::kRecomposing) return;
    runPhase(train, FindPhase(r.State));
}

void CheckWait(int32_t train) {
    if (!trains().valid(train)) return;
    // Each pass takes a token off the text, so the walk ends with it.
    const size_t bound = rec(train).WaitText.size() + 2;
    for (size_t pass = 0; pass <= bound; ++pass) {
        TrainRec& r = rec(train);
        // A wait still counting down is not cut short by a step that came early.
        if (r.WaitTicks > 0) return;
        if (r.WaitKind == 1) {
            const int32_t ticks = WaitForParts(train);
            if (ticks != 0) {
                rec(train).WaitTicks = ticks;
                return;
            }
            rec(train).WaitKind = 0;
        }
        TrainRec& t = rec(train);
        if (t.WaitText.empty()) {
            t.Flags &= ~tf::kWaiting;
            ++t.State;
            QueueObjectStep(train);
            return;
        }
        std::u16string token;
        try {
            const std::u16string text = t.WaitText;
            int32_t pos = 1;
            const int32_t end = static_cast<int32_t>(text.size()) + 1;
            token = GetNextToken(text, pos, end, u",;");
            rec(train).WaitText = pos < end ? text.substr(static_cast<size_t>(pos - 1)) : std::u16string();
            if (!token.empty() &&
                std::u16string_view(u"(0123456789").find(token.front()) != std::u16string_view::npos) {
                const double s = EvalRelativeValue(token).number();
                const int32_t ticks = s >= 0 && s < kLongestWaitSeconds ? ticksFor(s) : kDefaultWaitTicks;
                // A wait of no ticks would never end: the text goes on at once.
                if (ticks > 0) {
                    rec(train).WaitTicks = ticks;
                    return;
                }
                continue;
            }
        } catch (const ProgramError& e) {
            if (e.number() == error_number::kReported) throw;
            // A text that cannot be read is dropped, so that the train goes on.
            WriteErrorLog(e.description() + u" (wait text of line " + decimal(rec(train).Line) + u")");
            rec(train).WaitText.clear();
            continue;
        }
        const std::u16string word = plat::ucase(token);
        if (word == u"W" || word == u"WAIT") {
            rec(train).WaitKind = 1;
        } else if (word == u"WG" || word == u"WS" || word == u"WAIT_GROW" || word == u"WAIT_SNOW") {
            rec(train).WaitKind = 2;
        } else {
            DoAction(rec(train), token);
        }
    }
}

int32_t WaitForParts(int32_t train) {
    if (!trains().valid(train)) return 0;
    const PicPartPool& parts = picParts();
    PictureSlotTable& slots = pictureSlots();
    int64_t longest = 0;
    const int32_t count = std::min<int32_t>(rec(train).MemberCount, kMaxTrainMembers);
    for (int32_t k = 1; k <= count; ++k) {
        const TrainPicture* p = member(train, k);
        if (p == nullptr || p->MotionState == 0) continue;
        int32_t part = p->FirstPart;
        for (int32_t hops = 0; parts.valid(part) && hops <= parts.Count; ++hops) {
            const PicPart& pp = parts.Parts[static_cast<size_t>(part)];
            int32_t s = pp.FirstSlot;
            for (int32_t shops = 0; slots.valid(s) && shops <= slots.Count; ++shops) {
                longest = std::max(longest, remainingPlaces(slots[s]));
                s = slots[s].NextSlot;
            }
            part = pp.NextPart;
        }
    }
    // Held in 32 bits: a long animation must not wrap round to a short wait.
    const int64_t m = std::min<int64_t>(longest, INT32_MAX);
    return m == 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(m / 30 + 2, INT32_MAX));
}

void CoupleMembers(int32_t train, int32_t i, int32_t j) {
    TrainPicture* a = member(train, i);
    TrainPicture* b = member(train, j);
    if (a == nullptr || b == nullptr) return;
    int32_t ida = memberId(train, i);
    int32_t idb = memberId(train, j);
    if (b->X < a->X) {
        std::swap(a, b);
        std::swap(ida, idb);
    }
    if (a->Dir >= 0) {
        a->CoupledId = idb;
        b->Dir = a->Dir;
    } else {
        b->CoupledId = ida;
        a->Dir = b->Dir;
    }
    AnimateJoint(train, i, j, kJointMode, u"");
}

void AnimateJoint(int32_t train, int32_t i, int32_t j, uint8_t mode, std::u16string_view label) {
    int32_t left = memberId(train, i);
    int32_t right = memberId(train, j);
    if (left == 0 || right == 0) return;
    if (trainPictures()[right].X < trainPictures()[left].X) std::swap(left, right);
    const int32_t a = StartSideAnims(endPart(left, true), u">", mode, label);
    const int32_t b = StartSideAnims(endPart(right, false), u"<", mode, label);
    if (std::max(a, b) > 0) rec(train).WaitText += kJointWait;
}

int32_t StartSideAnims(int32_t part, std::u16string_view side, uint8_t mode, std::u16string_view label) {
    if (!picParts().valid(part)) return 0;
    std::u16string marker(side);
    marker += u':';
    PictureSlotTable& slots = pictureSlots();
    int32_t longest = 0;
    int32_t s = picParts()[part].FirstSlot;
    for (int32_t hops = 0; slots.valid(s) && hops <= slots.Count; ++hops) {
        const int32_t nextSlot = slots[s].NextSlot;
        if (slots[s].State == kSlotAtRest && sideSlotSelected(slots[s].Name, marker, label))
            StartPictureAnim(s, mode, longest, 0, 1.0f, u"");
        s = nextSlot;
    }
    return longest;
}

}  // namespace yov
