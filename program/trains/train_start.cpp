#include "program/trains/train_start.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "platform/text.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/startup/main_state.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/scene/param_table.h"
#include "program/scene/picture_slot.h"
#include "program/show/show_queues.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "program/show/train_records.h"
#include "program/trains/movement_modes.h"
#include "program/trains/train_picture.h"

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
constexpr int32_t kTextLayer = 0x80;
constexpr int32_t kDependentLayer = 0x200;
constexpr uint8_t kLineSectionKind = 3;
constexpr int16_t kPictureEnded = 2;
// A pool names a pool line, which may name another, at most this deep.
constexpr int32_t kMaxPoolPasses = 2 * (kMaxPoolDepth + 1);

TrainRec& rec(int32_t train) { return trains().at(train); }

// Blanks the value of the entry the last look-up found, so that it is used once.
void blankFound() {
    ParamTable& t = paramTable();
    if (t.FoundIndex > 0 && static_cast<size_t>(t.FoundIndex) < t.Values.size())
        t.Values[static_cast<size_t>(t.FoundIndex)].clear();
}

bool sectFinishing(int32_t sect) { return showSeams().sectFinishing && showSeams().sectFinishing(sect); }

std::u16string sectText(int32_t sect, std::u16string_view key) {
    return showSeams().sectText ? showSeams().sectText(sect, key) : std::u16string();
}

void markLine(int32_t line, int32_t train) {
    if (line != 0 && showSeams().markLineInUse) showSeams().markLineInUse(line, train);
}

void setLayerFlags(int32_t train, int32_t flags) {
    if (showSeams().setLayerFlags)
        showSeams().setLayerFlags(train, flags);
    else
        NoteMissingSeam(u"setting a train's layer flags");
}

void freeSurface(int32_t& surface, int32_t site) {
    if (surface != 0 && animPoolHooks().freeSurface) animPoolHooks().freeSurface(surface, site);
    surface = 0;
}

void freeBuffer(int32_t& buffer) {
    if (buffer != 0 && animPoolHooks().freeDrawBuffer) animPoolHooks().freeDrawBuffer(buffer);
    buffer = 0;
}

void freePieces(std::vector<LayerPiece>& pieces, int32_t count, int32_t site) {
    const int32_t n = std::min<int32_t>(count, static_cast<int32_t>(pieces.size()) - 1);
    for (int32_t i = 1; i <= n; ++i) {
        freeSurface(pieces[static_cast<size_t>(i)].Surface, site);
        freeBuffer(pieces[static_cast<size_t>(i)].Buffer);
    }
}

void freePartSlots(int32_t part) {
    if (!picParts().valid(part)) return;
    FreePictureSlotChain(picParts()[part].FirstSlot);
    picParts()[part].LastSlot = 0;
}

// Members are cleared as they are freed, so that nothing frees a picture twice.
void freeMembers(int32_t train) {
    const int32_t members = std::min<int32_t>(rec(train).MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        rec(train).Members[static_cast<size_t>(m)] = 0;
        if (picture == 0) continue;
        FreeTrainPicture(picture);
    }
    rec(train).MemberCount = 0;
    rec(train).TotalLength = 0;
}

void freeLines(int32_t train) {
    TrainRec& r = rec(train);
    markLine(r.Line, 0);
    const int32_t depth = std::clamp<int32_t>(r.PoolDepth, 0, kMaxPoolDepth);
    for (int32_t i = 1; i <= depth; ++i) markLine(r.PoolLines[static_cast<size_t>(i)], 0);
}

// Errors a start reports; an already reported one passes on to the main loop untouched.
void reportStartError(int32_t site) {
    GenTrainState& g = genTrainState();
    const int32_t answer =
        ReportError(site, GetText(u"ETIM", u"Error in the Timetable file"), g.SkipErr ? kSkipErrFlags : kReportFlags);
    if (answer == kAnswerSkip) g.SkipErr = 1;
    ReleaseToMark(0, 0);
    FreeAttemptPictures();
}

// Runs body; on a program error other than "already reported" reports it and returns false.
template <typename Body>
bool guarded(int32_t site, Body body) {
    try {
        body();
        return true;
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
        reportStartError(site);
    } catch (const std::exception&) {
        reportStartError(site);
    }
    return false;
}

void showNoDirection(int32_t train, int32_t member) {
    const std::u16string text = u"No direction for line " + plat::widen(std::to_string(rec(train).Index)) + u" unit " +
                                plat::widen(std::to_string(member));
    // Nobody can answer a box behind a full-screen or screen-saver show.
    const ProgramState& st = programState();
    if (st.BatchMode != 0 || st.ShowMode == 1 || mainState().ScreenSaverMode != 0)
        WriteErrorLog(text);
    else
        ShowMsgBox(text, 0x40);
}

std::u16string startEndText(std::u16string_view key, int32_t sect) {
    std::u16string text = plat::ucase(GetParam(key, sectText(sect, key)));
    if (text.empty()) return text;
    int32_t pos = 0;
    return ExpandRepeatList(text, pos, static_cast<int32_t>(text.size()));
}

void resolvePools(int32_t train) {
    for (int32_t pass = 0; pass < kMaxPoolPasses; ++pass) {
        std::u16string pool = GetParam(u"POOL", u"");
        if (!pool.empty()) {
            blankFound();
            if (!showSeams().resolvePool) throw ProgramError(6002, u"Pools cannot be resolved: " + pool);
            if (showSeams().resolvePool(train, pool) != 0) {
                rec(train).Line = 0;
                return;
            }
        }
        markLine(genTrainState().StartLine, rec(train).Index);
        const std::u16string more = GetParam(u"AP,PARS,PARAMETERS,ADDITIONAL_PARAMETERS", u"");
        if (more.empty()) return;
        blankFound();
        ExpandParamText(more);
    }
    throw ProgramError(6002, u"Too many nested additional parameters");
}

void releaseChecks(int32_t train, int32_t sect, bool failed);

// Picks the section's next line for the train, unless it or its section is finishing.
void pickNextLine(int32_t train, int32_t sect) {
    TrainRec& r = rec(train);
    if (sectFinishing(sect) || (r.Flags & tf::kFinishing) != 0) return;
    r.Line = showSeams().pickSectLine ? showSeams().pickSectLine(sect) : 0;
    if (r.Line == 0) return;
    genTrainState().StartLine = r.Line;
    r.PoolDepth = 0;
    markLine(r.Line, r.Index);
    r.RestartDelay = 3 * showState().TicksPerSecond;
    r.Flags |= tf::kRestartA | tf::kRestartB;
}

void startTrain(int32_t train, int32_t sect) {
    GenTrainState& g = genTrainState();
    g.StartLine = rec(train).Line;
    rec(train).PoolDepth = 0;
    if (rec(train).Line == 0) return releaseChecks(train, sect, false);
    uint8_t first = 0;
    const bool ok = guarded(kStartErrorSite, [&] {
        ClearParams();
        if (showSeams().lineText) ParseParams(showSeams().lineText(rec(train).Line));
        picParts().StackCount = 0;
        pictureSlots().StackCount = 0;
        TrainRec& r = rec(train);
        r.MemberCount = 0;
        r.Members.fill(0);
        r.TotalLength = 0;
        r.State = ts::kStarting;
        r.NamedCount = 0;
        ExpandParamText(sectText(sect, u"AP"));
        resolvePools(train);
        if (rec(train).Line == 0) return;
        const std::u16string word = plat::ucase(PickWeightedAlternative(GetParam(u"M", u"")));
        SelectCanvas(0);
        rec(train).StartText = startEndText(u"TB", sect);
        rec(train).EndText = startEndText(u"TE", sect);
        g.TrainStartKind = 1;
        const MovementMode mode = SelectMovementMode(word);
        SetUpMovementMode(mode, train, sect);
        if (showSeams().drawTrainText) showSeams().drawTrainText(train, sect);
        first = FirstProgramState(mode);
    });
    if (!ok) {
        // The failed line is given up: its pictures are gone with the attempt.
        rec(train).Members.fill(0);
        rec(train).MemberCount = 0;
        rec(train).TotalLength = 0;
        freeLines(train);
        pickNextLine(train, sect);
        return releaseChecks(train, sect, true);
    }
    TrainRec& r = rec(train);
    if (r.Line == 0) return releaseChecks(train, sect, false);
    if (r.State != ts::kStarting) return GenTrain(train, sect);
    const int32_t members = std::min<int32_t>(r.MemberCount, kMaxTrainMembers);
    for (int32_t m = 1; m <= members; ++m) {
        const int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        if (showSeams().pictureDir && showSeams().pictureDir(picture) == 0) showNoDirection(train, m);
    }
    TrainRec& s = rec(train);
    s.State = first;
    s.Flags = (s.Flags & ~tf::kRestartB) | tf::kQueued;
    if ((s.Flags & tf::kRestartA) != 0) return;
    QueueTrainStart(train);
}

void releaseDrawing(int32_t train) {
    TrainRec& r = rec(train);
    if ((r.Flags & tf::kDependent) != 0 && trains().valid(r.MasterTrain)) {
        const int32_t master = r.MasterTrain;
        rec(master).DependentCount = std::max(0, rec(master).DependentCount - 1);
        setLayerFlags(master, kDependentLayer);
        rec(master).LayerFlags = 0;
        rec(master).State = ts::kReleased;
    }
    setLayerFlags(train, kDependentLayer);
    TrainRec& t = rec(train);
    t.LayerFlags = 0;
    freePartSlots(t.BgPart);
    freePartSlots(t.FgPart);
    freeSurface(t.AreaSurface, kLayerSurfaceSite);
    freeBuffer(t.AreaBuffer);
    freePieces(t.FgPieces, t.FgPieceCount, kFgPieceSite);
    freePieces(t.TgPieces, t.TgPieceCount, kTgPieceSite);
    freeSurface(t.TextSurface, kTextSurfaceSite);
    freeBuffer(t.TextBuffer);
    t.State = ts::kReleased;
}

void finalChoice(int32_t train, int32_t sect, bool failed) {
    TrainRec& r = rec(train);
    // Without a line there is nothing to start again.
    if (!sectFinishing(sect) && (r.Flags & tf::kFinishing) == 0 && r.Line != 0) {
        if (!failed) return startTrain(train, sect);
        // After a failure the next line waits for the next pass of the main loop, so that a
        // section of faulty lines cannot hold the frame loop.
        r.State = ts::kStarting;
        const int32_t event = showSeams().sectEvent ? r.Event : 0;
        if (event != 0) QueueDueEvent(event);
        return;
    }
    if (showSeams().sectKind && showSeams().sectKind(sect) == kLineSectionKind && showSeams().endSect)
        showSeams().endSect(sect);
    RemoveTrain(train);
}

void releaseChecks(int32_t train, int32_t sect, bool failed) {
    TrainRec& r = rec(train);
    if ((r.Flags & (tf::kStarted | tf::kDependent)) == 0) return finalChoice(train, sect, failed);
    if ((r.Flags & tf::kAreaPainted) == 0 || sectFinishing(sect) || (r.Flags & tf::kFinishing) != 0)
        return releaseDrawing(train);
    if ((r.LayerFlags & kTextLayer) != 0) {
        setLayerFlags(train, kTextLayer);
        rec(train).State = ts::kAwaitTextLayer;
        return;
    }
    finalChoice(train, sect, failed);
}

void endRun(int32_t train, int32_t sect) {
    freeMembers(train);
    TrainRec& r = rec(train);
    r.Flags &= ~(tf::kMoving | tf::kTurned);
    GenTrainState& g = genTrainState();
    g.RunningTrainCount = std::max(0, g.RunningTrainCount - 1);
    freeLines(train);
    pickNextLine(train, sect);
    releaseChecks(train, sect, false);
}

// Closes the gaps the ended members left; returns the number of members that remain.
int32_t dropEndedMembers(int32_t train) {
    TrainRec& r = rec(train);
    const int32_t members = std::min<int32_t>(r.MemberCount, kMaxTrainMembers);
    int32_t kept = 0;
    for (int32_t m = 1; m <= members; ++m) {
        int32_t picture = rec(train).Members[static_cast<size_t>(m)];
        rec(train).Members[static_cast<size_t>(m)] = 0;
        if (picture == 0) continue;
        if (showSeams().pictureMotionState && showSeams().pictureMotionState(picture) == kPictureEnded) {
            FreeTrainPicture(picture);
            continue;
        }
        rec(train).Members[static_cast<size_t>(++kept)] = picture;
        if (showSeams().setPictureMember) showSeams().setPictureMember(picture, kept);
    }
    rec(train).MemberCount = static_cast<uint8_t>(kept);
    return kept;
}

void recompose(int32_t train, int32_t sect) {
    const int32_t kept = dropEndedMembers(train);
    if (kept > 0 && showSeams().pictureMotionState) {
        const int16_t last = showSeams().pictureMotionState(rec(train).Members[static_cast<size_t>(kept)]);
        if (last == 7 || last == 1) return;
    }
    for (int32_t attempt = 1;; ++attempt) {
        TrainRec& r = rec(train);
        if (r.StepText[0].empty()) {
            if (kept > 0) return;
            return endRun(train, sect);
        }
        r.State = ts::kRecomposing;
        picParts().StackCount = 0;
        pictureSlots().StackCount = 0;
        const bool ok = guarded(kRecomposeErrorSite, [&] {
            if (!showSeams().composeNextUnit) throw ProgramError(6002, u"Trains cannot be composed");
            showSeams().composeNextUnit(train);
        });
        if (ok) break;
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

GenTrainState& genTrainState() {
    static GenTrainState state;
    return state;
}

int32_t ClampLabelRow(double wanted, int32_t belowHeight, int32_t fontHeight) {
    int32_t row = std::isfinite(wanted) ? static_cast<int32_t>(std::llrint(std::clamp(wanted, -1.0e6, 1.0e6))) : 0;
    if (row + fontHeight > belowHeight) row = belowHeight - fontHeight;
    return std::clamp(row, 0, 254);
}

void GenTrain(int32_t train, int32_t sect) {
    if (!trains().valid(train)) return;
    rec(train).Flags &= ~tf::kQueued;
    switch (rec(train).State) {
    case ts::kAwaitLine:
        rec(train).Line = showSeams().pickSectLine ? showSeams().pickSectLine(sect) : 0;
        return startTrain(train, sect);
    case ts::kStarting: return startTrain(train, sect);
    case ts::kRunEnded: return endRun(train, sect);
    case ts::kRunEndedWiped: {
        TrainRec& r = rec(train);
        r.Flags &= ~tf::kStarted;
        if ((r.Flags & tf::kSceneRecord) != 0) {
            if (showSeams().sectEvent) QueueDueEvent(showSeams().sectEvent(sect));
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
