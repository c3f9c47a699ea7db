#include "program/trains/train_start.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/scene/script_reader.h"
#include "program/trains/section_table.h"
#include "program/trains/show_queues.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"
#include "program/trains/movement_modes.h"
#include "program/trains/area_painting.h"
#include "program/trains/line_label.h"
#include "program/trains/line_params.h"
#include "program/trains/pool_resolution.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_placement.h"
#include "program/trains/train_start_state.h"

namespace yov {

namespace {

namespace ts = train_state;
namespace tf = train_flag;

constexpr int32_t kStartErrorSite = 31002;
constexpr int32_t kRecomposeErrorSite = 31001;
constexpr int32_t kSkipErrFlags = 0x3000000;
constexpr int32_t kReportFlags = 0x30300C4;
constexpr int32_t kAnswerSkip = 4;
constexpr int32_t kLayerSurfaceSite = 19009;
constexpr int32_t kFgPieceSite = 19010;
constexpr int32_t kTgPieceSite = 19011;
constexpr int32_t kTextSurfaceSite = 19012;
constexpr int16_t kTextLayer = 0x80;
constexpr int16_t kDependentLayer = 0x200;
constexpr int16_t kPictureEnded = 2;
constexpr int16_t kFollowing = 7;
constexpr int16_t kBuiltOnly = 1;
constexpr int32_t kInformationBox = 0x40;
// A pool names a pool line, which may name another, at most this deep.
constexpr int32_t kMaxPoolPasses = 2 * (kMaxPoolDepth + 1);

TrainRec& rec(int32_t train) { return trains().at(train); }

uint8_t& skipErr() { return scriptReader().S.Run.SkipErrors; }

// The wait before a train's next line is started, in ticks.
int32_t restartDelay() { return 3 * showState().TicksPerSecond; }

bool sectFinishing(int32_t sect) { return SectExists(sect) && (sectRec(sect).Flags & sect_flag::kFinishing) != 0; }

bool finishing(int32_t train, int32_t sect) { return sectFinishing(sect) || (rec(train).Flags & tf::kFinishing) != 0; }

int32_t pickLine(int32_t sect) { return SectExists(sect) ? PickSectLine(sect) : 0; }

bool isLineItem(int32_t line) { return line >= 1 && line <= scriptReader().S.MemberCount; }

// The line item's in-use word: the train that runs on it, 0 free.
void markLine(int32_t line, int32_t train) {
    if (isLineItem(line)) scriptItem(line).InUse = static_cast<int16_t>(train);
}

// Members are cleared as they are freed, so that nothing frees a picture twice.
void freeMembers(int32_t train) {
    const int32_t members = std::min<int32_t>(rec(train).MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        rec(train).Members[static_cast<size_t>(m)] = 0;
        FreeTrainPicture(picture);
    }
    rec(train).MemberCount = 0;
    rec(train).TotalLength = 0;
}

// Takes up to `pixels` of what the train's starts counted off the length of the trains on the
// scene, which the length limit reads: each pixel once, never below 0.
void uncountLength(int32_t train, int32_t pixels) {
    TrainRec& r = rec(train);
    const int32_t taken = std::clamp(pixels, 0, std::max(0, r.CountedLength));
    r.CountedLength -= taken;
    int32_t& started = showState().StartedLength;
    started = std::max(0, started - taken);
}

void freeLines(int32_t train) {
    TrainRec& r = rec(train);
    markLine(r.Line, 0);
    const int32_t depth = std::clamp<int32_t>(r.PoolDepth, 0, kMaxPoolDepth);
    for (int32_t i = 1; i <= depth; ++i) markLine(r.PoolLines[static_cast<size_t>(i)], 0);
}

// Resets what an attempt counts from: its pictures and the part and slot stacks, so that a
// failure frees exactly what the attempt made.
void resetAttemptMarks() {
    trainPictures().AttemptCount = 0;
    picParts().StackCount = 0;
    pictureSlots().StackCount = 0;
}

void freeAttempt() {
    ReleaseToMark(0, 0);
    FreeAttemptPictures();
}

void reportStartError(int32_t site) {
    uint8_t& skip = skipErr();
    const int32_t answer =
        ReportError(site, GetText(u"ETIM", u"Error in the Timetable file"), skip != 0 ? kSkipErrFlags : kReportFlags);
    if (answer == kAnswerSkip) skip = 1;
    freeAttempt();
}

// Runs body; on an error reports it and returns false. An already reported error goes on to
// the main loop untouched while the show is stopping; without a stop it is a vehicle the
// skip-errors setting abandoned, already logged: the attempt fails without a second report,
// so that one missing picture does not start the whole scene again.
template <typename Body>
bool guarded(int32_t site, Body body) {
    try {
        body();
        return true;
    } catch (const ProgramError& e) {
        if (e.number() != error_number::kReported) {
            reportStartError(site);
        } else {
            if (programState().run.StopRequest != 0) throw;
            freeAttempt();
        }
    } catch (const std::exception&) {
        reportStartError(site);
    }
    return false;
}

void showNoDirection(int32_t train, int32_t member) {
    const std::u16string text = u"No direction for line " + decimal(rec(train).Index) + u" unit " + decimal(member);
    // Nobody can answer a box behind a full-screen or screen-saver show.
    const ProgramState& st = programState();
    if (st.run.BatchMode != 0 || st.run.ShowMode == 1 || programState().road.ScreenSaverMode != 0)
        WriteErrorLog(text);
    else
        ShowMsgBox(text, kInformationBox);
}

std::u16string startEndText(std::u16string_view key, const std::u16string& sectDefault) {
    std::u16string text = plat::ucase(GetParam(key, sectDefault));
    if (text.empty()) return text;
    int32_t pos = 1;
    return ExpandRepeatList(text, pos, static_cast<int32_t>(text.size()) + 1);
}

// False when a pool had no line left.
bool resolvePools(int32_t train) {
    for (int32_t pass = 0; pass < kMaxPoolPasses; ++pass) {
        const std::u16string pool = GetParam(u"POOL", u"");
        if (!pool.empty()) {
            BlankFoundParam();
            if (ResolvePool(train, pool) != 0) return false;
        }
        markLine(trainStart().CurLine, rec(train).Index);
        const std::u16string more = GetParam(u"AP,PARS,PARAMETERS,ADDITIONAL_PARAMETERS", u"");
        if (more.empty()) return true;
        BlankFoundParam();
        ExpandParamText(more);
    }
    throw ProgramError(error_number::kMessage, u"Too many nested additional parameters");
}

void releaseChecks(int32_t train, int32_t sect, bool failed);

// Picks the section's next line for the train, unless it or its section is finishing.
void pickNextLine(int32_t train, int32_t sect) {
    if (finishing(train, sect)) return;
    const int32_t line = pickLine(sect);
    rec(train).Line = line;
    if (line == 0) return;
    TrainRec& r = rec(train);
    r.Line = trainStart().CurLine = line;
    r.PoolDepth = 0;
    markLine(r.Line, r.Index);
    r.RestartDelay = restartDelay();
    // The timed events count a train's wait down and then queue its restart.
    r.WaitTicks = r.RestartDelay;
    r.Flags |= tf::kRestartA | tf::kRestartB;
}

// Start steps 3 to 13; false when the line's pools had no line left.
bool buildStart(int32_t train, int32_t sect, uint8_t& first) {
    const SectRec s = sectRec(sect);
    ClearParams();
    if (isLineItem(rec(train).Line)) ParseParams(scriptItem(rec(train).Line).Text);
    resetAttemptMarks();
    {
        TrainRec& r = rec(train);
        r.MemberCount = 0;
        r.Members.fill(0);
        r.TotalLength = 0;
        r.State = ts::kStarting;
        // The area the units raise as they are entered, and the height FOLLOW keeps.
        r.AreaHeight = 0;
        r.SavedAreaHeight = 0;
        r.NamedCount = 0;
        trainStart().CurDirection = r.Direction;
    }
    ExpandParamText(s.AddParams);
    if (!resolvePools(train)) return false;
    const std::u16string word = plat::ucase(PickWeightedAlternative(GetParam(u"M", u"")));
    SelectCanvas(0);
    rec(train).StartText = startEndText(u"TB", s.AnimBegin);
    rec(train).EndText = startEndText(u"TE", s.AnimEnd);
    trainStart().TrainStartKind = 1;
    const MovementMode mode = SelectMovementMode(word);
    SetUpMovementMode(mode, train, sect);
    first = FirstProgramState(mode);
    DrawTrainText(train, sect);
    return true;
}

void startTrain(int32_t train, int32_t sect) {
    trainStart().CurLine = rec(train).Line;
    rec(train).PoolDepth = 0;
    if (rec(train).Line == 0) return releaseChecks(train, sect, false);
    uint8_t first = 0;
    bool lineLeft = true;
    bool ok = false;
    {
        // Messages of the line's readers name the line.
        const ScriptPlaceScope place(scriptReader().PlaceOf(rec(train).Line));
        ok = guarded(kStartErrorSite, [&] { lineLeft = buildStart(train, sect, first); });
    }
    if (!ok) {
        // The failed line is given up: its pictures went with the attempt.
        rec(train).Members.fill(0);
        rec(train).MemberCount = 0;
        rec(train).TotalLength = 0;
        freeLines(train);
        pickNextLine(train, sect);
        return releaseChecks(train, sect, true);
    }
    if (!lineLeft) return releaseChecks(train, sect, false);
    if (rec(train).State != ts::kStarting) return GenTrain(train, sect);
    const int32_t members = std::min<int32_t>(rec(train).MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        const int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        if (trainPictures().valid(picture) && trainPictures()[picture].Dir == 0) showNoDirection(train, m);
    }
    TrainRec& r = rec(train);
    r.State = first;
    r.Flags = (r.Flags & ~tf::kRestartB) | tf::kQueued;
    if ((r.Flags & tf::kRestartA) != 0) return;
    QueueTrainStart(train);
}

void releaseDrawing(int32_t train) {
    TrainRec& r = rec(train);
    if ((r.Flags & tf::kDependent) != 0 && trains().valid(r.MasterTrain)) {
        TrainRec& master = rec(r.MasterTrain);
        master.DependentCount = std::max(0, master.DependentCount - 1);
        SetLayerFlags(master, kDependentLayer);
        master.LayerFlags = 0;
        master.State = ts::kReleased;
    }
    TrainRec& t = rec(train);
    SetLayerFlags(t, kDependentLayer);
    t.LayerFlags = 0;
    if (picParts().valid(t.BgPart)) FreePictureSlotChain(picParts()[t.BgPart].FirstSlot);
    if (picParts().valid(t.FgPart)) FreePictureSlotChain(picParts()[t.FgPart].FirstSlot);
    FreeTrainSurface(t.AreaSurface, kLayerSurfaceSite);
    FreeTrainBuffer(t.AreaBuffer);
    FreePieceImages(t.FgPieces, t.FgPieceCount, kFgPieceSite);
    FreePieceImages(t.TgPieces, t.TgPieceCount, kTgPieceSite);
    FreeTrainSurface(t.TextSurface, kTextSurfaceSite);
    FreeTrainBuffer(t.TextBuffer);
    t.State = ts::kReleased;
}

// A one-shot train whose start failed keeps its band for the restart delay before it goes,
// so that its block tries its next line there no sooner than a line of its own would be
// tried again: a block of faulty lines fills the log at that pace, not at every frame.
void holdBand(int32_t train) {
    TrainRec& r = rec(train);
    r.Line = 0;
    r.State = ts::kStarting;
    r.RestartDelay = restartDelay();
    r.WaitTicks = r.RestartDelay;
    r.Flags |= tf::kRestartA | tf::kRestartB;
    if (runQueue().valid(r.Event)) QueueDueEvent(r.Event);
}

void finalChoice(int32_t train, int32_t sect, bool failed) {
    // Without a line there is nothing to start again.
    if (!finishing(train, sect) && rec(train).Line != 0) {
        if (!failed) return startTrain(train, sect);
        // After a failure the next line waits for the next pass of the main loop, so that a
        // section of faulty lines cannot hold the frame loop.
        rec(train).State = ts::kStarting;
        if (runQueue().valid(rec(train).Event)) QueueDueEvent(rec(train).Event);
        return;
    }
    if (failed && !sectFinishing(sect)) return holdBand(train);
    // A group's record and a section line's are the train's own: they end with it.
    if (SectExists(sect) && (sectRec(sect).Type == sect_type::kGroup || sectRec(sect).Type == sect_type::kLine))
        EndSect(sect);
    RemoveTrain(train);
}

void releaseChecks(int32_t train, int32_t sect, bool failed) {
    TrainRec& r = rec(train);
    if ((r.Flags & (tf::kStarted | tf::kDependent)) == 0) return finalChoice(train, sect, failed);
    if ((r.Flags & tf::kAreaPainted) == 0 || finishing(train, sect)) return releaseDrawing(train);
    if ((r.LayerFlags & kTextLayer) != 0) {
        SetLayerFlags(r, kTextLayer);
        r.State = ts::kAwaitTextLayer;
        return;
    }
    finalChoice(train, sect, failed);
}

void endRun(int32_t train, int32_t sect) {
    uncountLength(train, rec(train).CountedLength);
    freeMembers(train);
    rec(train).Flags &= ~(tf::kMoving | tf::kTurned);
    int32_t& inMotion = showState().StartedTrains;
    inMotion = std::max(0, inMotion - 1);
    freeLines(train);
    pickNextLine(train, sect);
    releaseChecks(train, sect, false);
}

// Closes the gaps the ended members left; returns the number of members that remain.
int32_t dropEndedMembers(int32_t train) {
    const int32_t members = std::min<int32_t>(rec(train).MemberCount, kMaxTrainMembers);
    int32_t kept = 0;
    for (int32_t m = 1; m <= members; ++m) {
        int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        rec(train).Members[static_cast<size_t>(m)] = 0;
        if (!trainPictures().valid(picture) || trainPictures()[picture].MotionState == kPictureFree) continue;
        if (trainPictures()[picture].MotionState == kPictureEnded) {
            uncountLength(train, trainPictures()[picture].Width);
            FreeTrainPicture(picture);
            continue;
        }
        rec(train).Members[static_cast<size_t>(++kept)] = picture;
        trainPictures()[picture].MemberPos = kept;
    }
    rec(train).MemberCount = static_cast<uint8_t>(kept);
    return kept;
}

// The next unit of a following train, from its pending compositions and texts.
void composeNextUnit(int32_t train) {
    std::u16string next = u"*";
    const int32_t unit = MakeTrainPicture(next, rec(train).MemberCount + 1, 0);
    const int32_t sect = rec(train).Sect;
    const float speed = GetParamOrRandom(u"*1", static_cast<float>(rec(train).SpeedDefault), sectRec(sect).Speed);
    const float accel = GetParamNonZero(u"*2", 0, DefaultAccelText(sect));
    const float brake = GetParamNonZero(u"*3", 0, DefaultDecelText(sect));
    TrainPicture& p = trainPictures()[unit];
    p.Speed = speed;
    p.AccelRate = accel;
    p.BrakeRate = brake;
}

void recompose(int32_t train, int32_t sect) {
    const int32_t kept = dropEndedMembers(train);
    if (kept > 0) {
        const int16_t last = trainPictures()[rec(train).Members[static_cast<size_t>(kept)]].MotionState;
        if (last == kFollowing || last == kBuiltOnly) return;
    }
    trainStart().CurDirection = rec(train).Direction;
    for (int32_t attempt = 1;; ++attempt) {
        if (rec(train).StepText[0].empty()) {
            if (kept > 0) return;
            return endRun(train, sect);
        }
        rec(train).State = ts::kRecomposing;
        resetAttemptMarks();
        if (guarded(kRecomposeErrorSite, [&] { composeNextUnit(train); })) break;
        rec(train).State = ts::kRegenerate;
        // A unit that fails every time would be retried for ever: end the run instead.
        if (attempt >= kMaxRecomposeAttempts) return endRun(train, sect);
    }
    TrainRec& r = rec(train);
    if (r.State != ts::kRecomposing) return endRun(train, sect);
    r.State = ts::kRegenerate;
    QueueCurrentTrain();
}

}  // namespace

int32_t ClampLabelRow(double wanted, int32_t belowHeight, int32_t fontHeight) {
    int32_t row = std::isfinite(wanted) ? static_cast<int32_t>(std::llrint(std::clamp(wanted, -1.0e6, 1.0e6))) : 0;
    if (row + fontHeight > belowHeight) row = belowHeight - fontHeight;
    return std::clamp(row, 0, 254);
}

void GenTrain(int32_t train, int32_t sect) {
    if (!trains().valid(train)) return;
    rec(train).Flags &= ~tf::kQueued;
    switch (rec(train).State) {
    case ts::kAwaitLine: rec(train).Line = pickLine(sect); return startTrain(train, sect);
    case ts::kStarting:
        // After a failed start the next line waits for its restart delay, counted by the
        // timed events, so that a line that always fails is not tried on every pass.
        if ((rec(train).Flags & tf::kRestartA) != 0 && rec(train).WaitTicks > 0) {
            if (runQueue().valid(rec(train).Event)) QueueDueEvent(rec(train).Event);
            return;
        }
        return startTrain(train, sect);
    case ts::kRunEnded: return endRun(train, sect);
    case ts::kRunEndedWiped: {
        TrainRec& r = rec(train);
        r.Flags &= ~tf::kStarted;
        if ((r.Flags & tf::kSceneRecord) != 0) {
            if (SectExists(sect)) {
                sectRec(sect).RunState = sect_state::kSceneEnds;
                if (runQueue().valid(sectRec(sect).Event)) QueueDueEvent(sectRec(sect).Event);
            }
            return;
        }
        return finalChoice(train, sect, false);
    }
    case ts::kRunOver: return finalChoice(train, sect, false);
    case ts::kRegenerate: return recompose(train, sect);
    default: return;
    }
}

}  // namespace yov
