#include "program/show/object_motion.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/numbers.h"
#include "program/core/texts/error_log.h"
#include "program/show/part_anims.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"

namespace yov {

namespace {

namespace ms = motion_state;

constexpr int32_t kLeadingGap = 32767;
constexpr int32_t kMeanSamples = 511;
constexpr int32_t kEvenStepsAfter = 8;
constexpr float kCreepMin = 0.002f;
// Following control: closer than this a follower takes the speed of the member ahead; the
// braking bands lie above the braking distance; beyond kOpenGap it closes up again.
constexpr int32_t kTakeSpeedGap = 50;
constexpr int32_t kHardBrakeGap = 90;
constexpr int32_t kOpenGap = 110;
constexpr float kHardBrake = -1.0f;
constexpr float kCloseBrakeFactor = 1.3f;
// Redraw bits that a full repaint carries over to the back buffers (0x08 and 0x40 are not).
constexpr int32_t kRepaintLayers = 0xB7;

TrainPicture* pictureAt(int32_t id) {
    TrainPictureTable& t = trainPictures();
    return t.valid(id) && static_cast<size_t>(id) < t.Entries.size() ? &t[id] : nullptr;
}

float rateOf(float r) { return r > 0 ? r : kFallbackRate; }

int32_t addClamped(int64_t a, int64_t b) { return plat::clampToInt32(static_cast<double>(a + b)); }

// floor(v), with a value that is no number (a speed from bad text) moving nothing.
int32_t floorPixels(float v) {
    if (!std::isfinite(v)) return 0;
    return plat::clampToInt32(std::floor(static_cast<double>(v)));
}
int32_t roundPixels(float v) { return floorPixels(v + 0.5f); }

// The whole pixels of a step at constant speed: floor(m) or floor(m) + 1 while the
// remainder stays near the mean m, so that motion at low step rates does not jitter.
int32_t evenStep(int16_t dir, float r, float m) {
    const int32_t fm = floorPixels(m);
    if (dir > 0) {
        if (r > m + 2) return roundPixels(r);
        if (r > m) return fm + 1;
        if (r > m - 2) return fm;
        return roundPixels(r);
    }
    if (r < m - 2) return roundPixels(r);
    if (r < m) return fm;
    if (r < m + 2) return fm + 1;
    return roundPixels(r);
}

// The displacement of the step, in pixels, added to the remainder; a picture braking to a
// stand within the step stops there instead of being turned round by the squared term.
float displacement(TrainPicture& p, float t) {
    const float s = static_cast<float>(p.Dir) * p.Speed * t;
    if (p.Accel == 0) return s;
    p.MeanCount = 0;
    if (p.Accel < 0) {
        const float speed = std::max(p.Speed, 0.0f);
        if (-p.Accel * t > speed) return static_cast<float>(p.Dir) * speed * speed / (2 * -p.Accel);
    }
    return s + static_cast<float>(p.Dir) * p.Accel * t * t / 2;
}

// Integrates one step; the whole pixels moved (0: the picture stays, no control runs).
int32_t integrate(TrainPicture& p, float t) {
    const bool accelerating = p.Accel != 0;
    const float step = displacement(p, t);
    const float r = p.Remainder + step;
    int32_t d = 0;
    if (accelerating) {
        d = roundPixels(r);
    } else {
        const int32_t n = p.MeanCount;
        if (n <= 0) {
            p.MeanStep = step;
            p.MeanCount = 1;
        } else {
            const int32_t w = std::min(n, kMeanSamples);
            p.MeanStep = (p.MeanStep * static_cast<float>(w) + step) / static_cast<float>(w + 1);
            if (n < kMeanSamples) p.MeanCount = n + 1;
        }
        d = p.MeanCount < kEvenStepsAfter ? roundPixels(r) : evenStep(p.Dir, r, p.MeanStep);
    }
    p.Remainder = r;
    d = std::clamp(d, -kMaxStepPixels, kMaxStepPixels);
    if (d == 0) return 0;
    p.Remainder -= static_cast<float>(d);
    p.X = addClamped(p.X, d);
    return d;
}

bool passedStop(const TrainPicture& p) { return p.Dir > 0 ? p.X >= p.StopX : p.X <= p.StopX; }

void leaveTest(TrainPicture& p, int32_t lineWidth) {
    if (p.Dir >= 0) {
        if (p.X >= lineWidth) {
            p.X = lineWidth;
            p.MotionState = ms::kLeft;
        }
    } else if (int64_t{p.X} + p.Width <= 0) {
        p.X = addClamped(0, -int64_t{p.Width});
        p.MotionState = ms::kLeft;
    }
}

void speedUp(TrainPicture& p, float t) {
    const float v = p.Speed + p.AccelRate * t;
    if (v < p.TargetSpeed) {
        p.Speed = v;
        p.Accel = p.AccelRate;
    } else {
        p.Accel = 0;
    }
}

// Pixels still to go to the stop point (less `shortBy`), in the direction of travel.
int32_t distanceToStop(const TrainPicture& p, int32_t shortBy) {
    const int64_t d = p.Dir > 0 ? int64_t{p.StopX} - p.X : int64_t{p.X} - p.StopX;
    return plat::clampToInt32(static_cast<double>(d - shortBy));
}

void approach(int32_t train, TrainPicture& p, int32_t dist, bool speedingUp, float t) {
    const float brake = rateOf(p.BrakeRate);
    const float stopping = p.Speed * p.Speed / (2 * brake);
    if (speedingUp) {
        if (static_cast<float>(dist) > stopping) {
            const float v = p.Speed + p.AccelRate * t;
            if (v < p.TargetSpeed) {
                p.Speed = v;
                p.Accel = p.AccelRate;
            } else {
                p.Speed = p.TargetSpeed;
                p.Accel = 0;
            }
            return;
        }
        p.MotionState = static_cast<int16_t>(p.MotionState - 3);
    } else if (static_cast<float>(dist) > stopping) {
        return;
    }
    if (dist <= 0) {
        // Arrived or overshot: onto the stop position exactly.
        p.X = addClamped(p.X, int64_t{p.Dir > 0 ? 1 : -1} * dist);
        p.Accel = 0;
        p.Speed = 0;
        p.Remainder = 0;
        if (p.MotionState == ms::kApproachCouple) {
            p.WaitMs = kCoupleWaitMs;
            p.MotionState = ms::kWaiting;
        } else {
            p.MotionState = ms::kArrived;
            QueueObjectStep(train);
        }
    } else if (p.Speed > kCreepMin) {
        p.Speed = std::sqrt(2 * brake * static_cast<float>(dist));
        p.Accel = -brake;
    } else {
        p.Speed = kCreepMin;
        p.Accel = 0;
    }
}

void follow(const TrainRec& rec, TrainPicture& p, float t) {
    const TrainPicture* ahead = nullptr;
    if (p.MemberPos > 1 && p.MemberPos - 1 <= kMaxTrainMembers)
        ahead = pictureAt(rec.Members[static_cast<size_t>(p.MemberPos - 1)]);
    if (ahead != nullptr && ahead->MotionState <= kPictureBuilt) {
        speedUp(p, t);
        return;
    }
    int32_t gap = kLeadingGap;
    if (ahead != nullptr) {
        const int64_t g = p.Dir > 0 ? int64_t{ahead->X} - p.Width - p.X : int64_t{p.X} - ahead->X - ahead->Width;
        gap = plat::clampToInt32(static_cast<double>(g));
        const float va = ahead->Speed;
        if (p.Speed > va) {
            if (gap <= kTakeSpeedGap) {
                p.Speed = va;
                p.Accel = 0;
            } else {
                const float brake = rateOf(p.BrakeRate);
                const float excess = p.Speed * p.Speed - va * va;
                const float need = excess / (2 * brake);
                const float g32 = static_cast<float>(gap);
                if (g32 <= need + kHardBrakeGap) {
                    if (g32 > need + kTakeSpeedGap)
                        p.Accel = -brake;
                    else if (gap > kHardBrakeGap)
                        p.Accel = -kCloseBrakeFactor * excess / (2 * static_cast<float>(gap - kHardBrakeGap));
                    else
                        p.Accel = kHardBrake;
                    // Braking stops at the speed of the member ahead: a follower never runs
                    // backwards after it.
                    const float floorSpeed = std::max(va, 0.0f);
                    p.Speed += p.Accel * t;
                    if (p.Speed <= floorSpeed) {
                        p.Speed = floorSpeed;
                        p.Accel = 0;
                    }
                    gap = 0;
                }
            }
        }
    }
    if (gap > kOpenGap) speedUp(p, t);
}

// The control of the picture's state, in a step in which it moved.
void control(int32_t train, TrainPicture& p, float t) {
    TrainRec& rec = trains().at(train);
    if (p.Dir == 0) return;
    switch (p.MotionState) {
    case ms::kRunOut: leaveTest(p, rec.Width); return;
    case ms::kEntering: {
        const bool entered =
            p.Dir > 0 ? p.X > kEnteredMargin : int64_t{p.X} + p.Width < int64_t{rec.Width} - kEnteredMargin;
        if (entered) {
            p.MotionState = ms::kFollowing;
            if (rec.State != train_state::kRecomposing && (rec.Flags & train_flag::kQueued) == 0)
                QueueObjectStep(train);
        }
        follow(rec, p, t);
        leaveTest(p, rec.Width);
        return;
    }
    case ms::kFollowing:
        follow(rec, p, t);
        leaveTest(p, rec.Width);
        return;
    case ms::kPassStop:
        // Queued again in every moving step past the point; the step list keeps it once.
        if (passedStop(p)) QueueObjectStep(train);
        return;
    case ms::kSpeedUp: {
        const float v = p.Speed + p.AccelRate * t;
        p.Speed = v;
        if (v < p.TargetSpeed) {
            p.Accel = p.AccelRate;
        } else {
            p.Speed = p.TargetSpeed;
            p.Accel = 0;
            p.MotionState = ms::kRunOut;
        }
        leaveTest(p, rec.Width);
        return;
    }
    case ms::kSlowDown: {
        const float v = p.Speed - p.BrakeRate * t;
        p.Speed = v;
        if (v <= p.TargetSpeed) {
            p.Speed = p.TargetSpeed;
            p.Accel = 0;
            p.MotionState = ms::kRunOut;
        }
        leaveTest(p, rec.Width);
        return;
    }
    case ms::kApproach: approach(train, p, distanceToStop(p, 0), false, t); return;
    case ms::kApproachShort:
    case ms::kApproachCouple: approach(train, p, distanceToStop(p, p.CoupleDist), false, t); return;
    case ms::kRunToStop: approach(train, p, distanceToStop(p, 0), true, t); return;
    case ms::kRunToStopShort:
    case ms::kRunToCouple: approach(train, p, distanceToStop(p, p.CoupleDist), true, t); return;
    case ms::kCut:
        if (!passedStop(p)) return;
        p.MotionState = ms::kSpeedUp;
        p.Accel = p.AccelRate;
        if (TrainPicture* c = pictureAt(p.CoupledId); c != nullptr && c != &p) {
            c->MotionState = ms::kSlowDown;
            c->Accel = -c->BrakeRate;
            c->Speed = p.Speed;
        }
        p.CoupledId = 0;
        return;
    default: return;
    }
}

struct GroupEdges {
    int32_t Left = 0;
    int32_t Right = 0;
};

// The longest coupled chain carried: more units than a train holds.
constexpr size_t kMaxChain = kMaxTrainMembers + 1;

// Carries the coupled chain along by the picture's move. A chain that comes back to a
// picture already carried (one coupled to itself, or a longer loop) is cut there, logged
// once by the cut.
GroupEdges carryChain(int32_t id, int16_t delta) {
    TrainPicture& p = trainPictures()[id];
    GroupEdges e{p.X, addClamped(p.X, p.Width)};
    // The pictures carried so far, by their whole index: a chain holds the units of one train.
    std::array<int32_t, kMaxChain> carried{};
    size_t count = 0;
    carried[count++] = id;
    int32_t cur = id;
    // Each hop reaches a picture not carried before.
    while (count < carried.size()) {
        TrainPicture& from = trainPictures()[cur];
        const int32_t c = from.CoupledId;
        if (c == 0) break;
        if (std::find(carried.begin(), carried.begin() + static_cast<std::ptrdiff_t>(count), c) !=
            carried.begin() + static_cast<std::ptrdiff_t>(count)) {
            WriteErrorLog(u"Self combine");
            from.CoupledId = 0;
            break;
        }
        TrainPicture* q = pictureAt(c);
        if (q == nullptr) break;
        carried[count++] = c;
        q->X = addClamped(q->X, delta);
        e.Left = std::min(e.Left, q->X);
        e.Right = std::max(e.Right, addClamped(q->X, q->Width));
        cur = c;
    }
    return e;
}

void fireText(int32_t train, int32_t point, int text) {
    const std::u16string& list = trains().at(train).Points[static_cast<size_t>(point)].Texts[static_cast<size_t>(text)];
    if (list.empty()) return;
    const std::u16string copy = list;  // the actions may change the record
    DoActionList(trains().at(train), copy);
}

// The action points that an edge of the moved group crossed in this step.
void firePoints(int32_t train, GroupEdges e, int16_t delta) {
    const int32_t points = std::min(trains().at(train).PointCount, kMaxPathPoints);
    for (int32_t j = 1; j <= points; ++j) {
        const int64_t pos = trains().at(train).Points[static_cast<size_t>(j)].Position;
        const int64_t l = e.Left;
        const int64_t r = e.Right;
        if (delta < 0) {
            if (l - delta >= pos && l < pos) fireText(train, j, 0);
            if (r - delta >= pos && r < pos) fireText(train, j, 2);
        } else {
            if (r - delta <= pos && r > pos) fireText(train, j, 1);
            if (l - delta <= pos && l > pos) fireText(train, j, 3);
        }
    }
}

void moveMember(int32_t train, int32_t id, int32_t stepMs, float t) {
    TrainPicture& p = trainPictures()[id];
    if (p.MotionState < ms::kWaiting) return;
    if (p.MotionState == ms::kWaiting) {
        // Real milliseconds: a wait lasts as long whatever the speed factor.
        p.WaitMs = addClamped(p.WaitMs, -int64_t{stepMs});
        if (p.WaitMs <= 0) {
            p.MotionState = ms::kApproach;
            p.Speed = p.CreepSpeed;
        }
        return;
    }
    const int32_t oldX = p.X;
    if (integrate(p, t) == 0) return;
    control(train, p, t);

    TrainPicture& q = trainPictures()[id];
    q.LastDelta = static_cast<int16_t>(std::clamp<int64_t>(int64_t{q.X} - oldX, std::numeric_limits<int16_t>::min(),
                                                           std::numeric_limits<int16_t>::max()));
    const int16_t delta = q.LastDelta;
    TrainRec& rec = trains().at(train);
    if (delta > 0)
        rec.TbgFrom = std::max<int32_t>(rec.TbgFrom, addClamped(int64_t{q.X} + q.Width, -int64_t{rec.TbgOverlap}));
    else
        rec.TbgTo = std::min<int32_t>(rec.TbgTo, addClamped(q.X, rec.TbgOverlap));
    const GroupEdges e = carryChain(id, delta);
    firePoints(train, e, delta);
}

}  // namespace

float MotionTime(int32_t stepMs, float speedFactor) { return static_cast<float>(stepMs) * speedFactor / 1.6f; }

void MoveObject(int32_t train, int32_t stepMs) {
    if ((trains().at(train).Flags & train_flag::kMoving) == 0) return;
    const float t = MotionTime(stepMs, showState().SpeedFactor);
    const int32_t members = std::min<int32_t>(trains().at(train).MemberCount, kMaxTrainMembers);
    for (int32_t i = 1; i <= members; ++i) {
        const int32_t id = trains().at(train).Members[static_cast<size_t>(i)];
        if (pictureAt(id) == nullptr) continue;
        moveMember(train, id, stepMs, t);
    }
}

void MarkObjectsForRepaint() {
    ShowState& ss = showState();
    TrainTable& t = trains();
    const int32_t pages = std::min<int32_t>(BookPages(ss), 2);
    int32_t hops = 0;
    for (int32_t r = t.ActiveHead; r != 0; r = t.at(r).NextActive) {
        t.checkHops(hops++);
        TrainRec& rec = t.at(r);
        if ((rec.Flags & train_flag::kStarted) == 0) continue;
        for (int32_t b = 0; b <= pages; ++b) {
            if ((ss.PagesToRepaint & (1 << b)) != 0)
                rec.BufferRedraw[static_cast<size_t>(b)] |= rec.LayerFlags & kRepaintLayers;
        }
    }
}

}  // namespace yov
