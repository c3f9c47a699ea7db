#include "program/show/sections.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/scene/script_reader.h"
#include "program/show/show_records.h"
#include "program/trains/show_queues.h"
#include "program/trains/scene_layers.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/line_params.h"

namespace yov {
namespace {

constexpr int32_t kLineErrorSite = 31021;
constexpr int32_t kLineErrorFlags = 0x030300C0;
constexpr int32_t kInformationIcon = 64;
constexpr int32_t kErrSceneItem = 6001;

SceneScript& script() { return scriptReader().S; }

bool startsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

int32_t numberAfter(std::u16string_view text, size_t from) {
    return from < text.size() ? plat::clampToInt32(plat::val(text.substr(from))) : 0;
}

// A box would stop a screen-saver or full-screen show behind it: there the text is logged.
void tellInternal(const std::u16string& text) {
    if (programState().run.BatchMode != 0 || programState().road.ScreenSaverMode != 0 ||
        programState().run.ShowMode != 0) {
        WriteErrorLog(text);
    } else {
        ShowMsgBox(text, kInformationIcon);
    }
}

void logOnce(bool& done, const std::u16string& text) {
    if (done) return;
    done = true;
    WriteErrorLog(text);
}

// Lays out a section's line blocks over its height.
void layOutLines(int32_t s) {
    static bool noBandLogged = false;
    const SectRec& r = sectRec(s);
    const int64_t b = int64_t{r.LayerAbove} + r.VehicleHeight + r.LayerBelow;
    const int64_t space = r.MinSpace;
    if (b + space <= 0) {
        logOnce(noBandLogged,
                u"Section " + decimal(s) + u": lines of height 0 and no space between them are not laid out");
        return;
    }
    int64_t n = (int64_t{r.Height} + space) / (b + space);
    if (r.MaxLines != 0) n = std::min<int64_t>(n, r.MaxLines);
    n = std::clamp<int64_t>(n, 0, kMaxSectLines);
    if (n == 0) return;
    const int64_t pitch = n > 1 ? (int64_t{r.Height} - n * b) / (n - 1) + b : b;
    const int32_t lines = static_cast<int32_t>(n);
    const int32_t first = r.LastPlain + 1;
    const int32_t last = r.Last;
    const int32_t height = static_cast<int32_t>(std::min<int64_t>(b, INT32_MAX));
    const int32_t step = static_cast<int32_t>(std::clamp<int64_t>(pitch, INT32_MIN, INT32_MAX));

    const LineSection scene = LineSectionOf(s);
    // Lines are numbered from the top, or from the bottom where the section's vertical
    // coordinates run bottom up.
    const bool bottomUp = (r.Flags & sect_flag::kBottomUp) != 0;
    // Each line runs in a record of its own (the block, else a copy of it), so that it counts
    // its own repeats while the lines of a block share the block's sequence; its counters
    // start afresh with every layout, as a path's do when its scene is built. The records may
    // grow the table: r is not used past here.
    auto start = [&](int32_t block, int32_t number, int32_t& used) {
        const int32_t k = bottomUp ? lines - 1 - number : number;
        if (k < 0 || k >= kMaxSectLines || (static_cast<uint32_t>(used) & (uint32_t{1} << k)) != 0) return;
        const int32_t own = AllocSectRec(block, s);
        ResetSectRun(own);
        LineSection line = LineSectionOf(own);
        // Lines are placed from the section's own top.
        line.Top = scene.Top;
        StartSectLine(line, scene, k, step, height, used);
        StoreLineArea(own, line);
    };
    int32_t used = 0;
    int32_t running = 0;
    int32_t defaultBlock = 0;
    for (int32_t m = std::max(first, 1); m <= last; ++m) {
        const std::u16string text = scriptItem(m).Text;
        const int32_t block = numberAfter(text, 2);
        if (block < 1 || block > ScriptBlockCount()) continue;
        const std::u16string list = sectRec(block).LineId;
        if (plat::trim(list).empty()) {
            defaultBlock = block;
            continue;
        }
        std::u16string entries = list;
        std::replace(entries.begin(), entries.end(), u';', u',');
        for (const std::u16string& raw : plat::split(entries, u",")) {
            const std::u16string e = plat::trim(raw);
            const size_t dash = e.find(u'-', 1);
            int64_t a = 0;
            int64_t z = 0;
            if (dash != std::u16string::npos && plat::isNumeric(e.substr(0, dash)) &&
                plat::isNumeric(e.substr(dash + 1))) {
                a = plat::clampToInt32(plat::val(e.substr(0, dash)));
                z = plat::clampToInt32(plat::val(e.substr(dash + 1)));
            } else if (plat::isNumeric(e)) {
                a = z = plat::clampToInt32(plat::val(e));
            } else {
                continue;
            }
            for (int64_t k = std::max<int64_t>(a, 1); k <= std::min<int64_t>(z, lines); ++k) {
                start(block, static_cast<int32_t>(k - 1), used);
                running = static_cast<int32_t>(k);
            }
        }
    }
    if (defaultBlock != 0) {
        for (int32_t k = running; k < lines; ++k) start(defaultBlock, k, used);
    }
}

// Releases a scene's chain: its path trains with their blocks, then the scene record.
void releaseScene(int32_t s) {
    const int32_t sceneTrain = sectRec(s).CurrentLine;
    TrainTable& t = trains();
    if (!t.valid(sceneTrain) || t.at(sceneTrain).State == train_state::kFree) return;
    int32_t tp = t.at(sceneTrain).NextLinked;
    for (int32_t hops = 0; tp != 0; ++hops) {
        t.checkHops(hops);
        const int32_t next = trains().at(tp).NextLinked;
        const int32_t pathSect = trains().at(tp).Sect;
        if (pathSect >= 1) EndSect(pathSect);
        RemoveTrain(tp);
        tp = next;
    }
    trains().at(sceneTrain).NextLinked = 0;
    RemoveTrain(sceneTrain);
}

// The finishing check: waits while bands are left, else ends the block.
void finishBlock(int32_t s) {
    SectRec& r = sectRec(s);
    const int32_t event = r.Event;
    if (runQueue().valid(event) && runQueue().at(event).Kind != event_kind::kFree &&
        runQueue().at(event).FirstChild != 0) {
        r.RunState = sect_state::kWaitingForRoom;
        return;
    }
    if (r.Origin >= 1 && r.Origin <= script().MemberCount) scriptItem(r.Origin).RunMark = 0;
    r.RunState = sect_state::kEnded;
    if (runQueue().valid(event)) ReleaseTimedEvent(event);
    EndSect(s);
}

// Starts one plain script line of block s as a one-shot train; false when it cannot fit.
enum class Outcome { kStarted, kSkip, kWait };

Outcome startLine(int32_t s, int32_t item) {
    const ScriptItem it = scriptItem(item);
    const ScriptPlaceScope place(scriptReader().PlaceOf(item));
    try {
        ParseParams(it.Text);
    } catch (...) {
        if (currentPendingError().number == error_number::kReported) throw;
        const SceneScript& sc = script();
        const std::u16string file = it.FileIndex >= 1 && it.FileIndex <= sc.FileCount
                                        ? sc.FileNames[static_cast<size_t>(it.FileIndex)]
                                        : std::u16string();
        ReportError(kLineErrorSite, FormatText(u"IFI", {FormatArg(file), FormatArg(decimal(it.Line))}),
                    kLineErrorFlags);
    }
    const SectRec& r = sectRec(s);
    const int32_t above = plat::clampToInt32(GetParamNumber(u"AB,ABOVE", r.LayerAbove));
    const int32_t vehicles = plat::clampToInt32(GetParamNumber(u"VH,IMGY,PATH,VEHICLE_HEIGHT", r.VehicleHeight));
    const int32_t below = plat::clampToInt32(GetParamNumber(u"BL,BELOW", r.LayerBelow));
    const std::u16string position = GetParam(u"Y,Y0,TOP", u"");
    const int64_t b = int64_t{above} + vehicles + below;
    if (b > sectRec(s).Height || b < 0) return Outcome::kSkip;
    const int32_t event = sectRec(s).Event;
    const int32_t pos = FindBandPosition(event, static_cast<int32_t>(b), position);
    if (pos < 0) return Outcome::kWait;
    const int32_t t = NewTrainRec(0);
    const int32_t e = AddTimedEvent(event_kind::kTrainLine, t, event, pos, static_cast<int32_t>(b));
    InitTrainFromSect(t, LineSectionOf(s), above, vehicles, below);
    TrainRec& train = trains().at(t);
    train.State = train_state::kStarting;
    train.Line = sectRec(s).CurrentLine;
    train.Flags |= train_flag::kFinishing;
    QueueDueEvent(e);
    return Outcome::kStarted;
}

// Starts block n named by an item of block s.
Outcome startBlock(int32_t s, const std::u16string& text) {
    const int32_t n = numberAfter(text, 2);
    const char16_t kind = text.size() >= 2 ? text[1] : 0;
    if (n < 1 || n > ScriptBlockCount()) {
        tellInternal(u"Internal error: Unknown Sect type");
        return Outcome::kStarted;
    }
    LineSection line = LineSectionOf(n);
    const int32_t h = ComputeLineArea(line, LineSectionOf(s));
    if (h > sectRec(s).Height) return Outcome::kSkip;
    const int32_t event = sectRec(s).Event;
    const int32_t pos = FindBandPosition(event, h, sectRec(n).YText);
    if (pos < 0) return Outcome::kWait;
    if (kind != u'S' && kind != u'C' && kind != u'G') {
        tellInternal(u"Internal error: Unknown Sect type");
        return Outcome::kStarted;
    }
    const int32_t c = AllocSectRec(n, s);
    StoreLineArea(c, line);
    sectRec(c).Origin = sectRec(s).CurrentLine;
    if (kind == u'S') {
        const int32_t e = AddTimedEvent(event_kind::kSection, c, event, pos, h);
        sectRec(c).RunState = sect_state::kStart;
        QueueDueEvent(e);
    } else if (kind == u'C') {
        const int32_t e = AddTimedEvent(event_kind::kScene, c, event, pos, h);
        RunSectObjects(c, e, s);
    } else {
        const int32_t t = NewTrainRec(0);
        const int32_t e = AddTimedEvent(event_kind::kTrainLine, t, event, pos, h);
        InitTrainFromSect(t, LineSectionOf(c), -1, -1, -1);
        ResetSectRun(c);
        trains().at(t).State = train_state::kAwaitLine;
        QueueDueEvent(e);
    }
    return Outcome::kStarted;
}

}  // namespace

void RunSect(int32_t s) {
    int32_t item = 0;
    switch (sectRec(s).RunState) {
    case sect_state::kStart:
        ResetSectRun(s);
        if (sectRec(s).Last > sectRec(s).LastPlain) layOutLines(s);
        [[fallthrough]];
    case sect_state::kNextItem: item = PickSectLine(s); break;
    case sect_state::kRetryItem: item = sectRec(s).CurrentLine; break;
    case sect_state::kSceneEnds:
        releaseScene(s);
        MarkSectFinishing(s);
        finishBlock(s);
        return;
    default: return;
    }
    // Items that never fit are skipped at most once round the range; then the block waits
    // for a band to be freed, or ends when it has none that could be.
    const int32_t range = SectRangeRecord(s);
    const int64_t span = std::max<int64_t>(int64_t{sectRec(range).LastPlain} - sectRec(range).First + 1, 1);
    for (int64_t skips = 0;; ++skips) {
        if (item <= 0 && (sectRec(s).Flags & sect_flag::kFinishing) == 0) MarkSectFinishing(s);
        if ((sectRec(s).Flags & sect_flag::kFinishing) != 0) {
            finishBlock(s);
            return;
        }
        scriptItem(item).Picked = 1;
        scriptItem(item).RunMark = static_cast<int16_t>(-std::min(s, 32767));
        const std::u16string text = scriptItem(item).Text;
        const Outcome done = startsWith(text, u"$") ? startBlock(s, text) : startLine(s, item);
        if (done == Outcome::kWait) {
            sectRec(s).RunState = sect_state::kWaitingForRoom;
            return;
        }
        if (done == Outcome::kStarted) break;
        if (skips + 1 >= span) {
            const int32_t event = sectRec(s).Event;
            const bool hasBands = runQueue().valid(event) && runQueue().at(event).FirstChild != 0;
            if (hasBands) {
                sectRec(s).RunState = sect_state::kWaitingForRoom;
                return;
            }
            static bool logged = false;
            logOnce(logged, u"Section " + decimal(s) + u": no item fits into its height " + decimal(sectRec(s).Height));
            MarkSectFinishing(s);
            finishBlock(s);
            return;
        }
        item = PickSectLine(s);
    }
    sectRec(s).RunState = sect_state::kNextItem;
    QueueDueEvent(sectRec(s).Event);
}

void RunSectObjects(int32_t c, int32_t e, int32_t s) {
    (void)s;
    sectRec(c).RunState = sect_state::kIdle;
    const int32_t t0 = NewTrainRec(static_cast<int16_t>(train_flag::kSceneRecord));
    AddTimedEvent(event_kind::kTrainLine, t0, e, sectRec(c).Top, sectRec(c).Height);
    sectRec(c).CurrentLine = t0;
    ResetSectRun(c);
    trains().at(t0).DependentCount = 0;
    const int32_t bg = AllocPicPart(static_cast<uint8_t>(t0));
    picParts()[bg].Kind = kBgPartKind;
    trains().at(t0).BgPart = bg;
    {
        const LineSection scene = LineSectionOf(c);
        TrainRec& r = trains().at(t0);
        r.Sect = c;
        r.OriginX = scene.Left;
        r.Width = scene.Width;
        r.VehicleHeight = scene.Height;
        r.AboveBase = scene.Height;
        r.OriginY = r.BandTop + scene.Height;
    }
    PaintSceneBackground(t0);

    const int32_t range = SectRangeRecord(c);
    const int32_t first = sectRec(range).First;
    const int32_t last = sectRec(range).Last;
    for (int32_t m = std::max(first, 1); m <= last; ++m) {
        const std::u16string text = scriptItem(m).Text;
        if (!startsWith(text, u"$P")) throw ProgramError(kErrSceneItem, u"Not $P under $C");
        const int32_t block = numberAfter(text, 2);
        if (block < 1 || block > ScriptBlockCount()) throw ProgramError(kErrSceneItem, u"Not $P under $C");
        LineSection line = LineSectionOf(block);
        ComputeLineArea(line, LineSectionOf(c));
        const int32_t pc = AllocSectRec(block, c);
        StoreLineArea(pc, line);
        ResetSectRun(pc);
        const SectRec& path = sectRec(pc);
        const int32_t sceneHeight = sectRec(c).Height;
        const double y = EvalRelativeValue(path.YText).number();
        int64_t top = int64_t{sceneHeight} - plat::clampToInt32(y) - path.VehicleHeight;
        top = std::min<int64_t>(top, int64_t{sceneHeight} - path.VehicleHeight);
        top = std::max<int64_t>(top, 0);
        const int64_t above = std::max(path.LayerAbove, 0);
        const int64_t below = std::max(path.LayerBelow, 0);
        const int64_t bandTop = sectRec(c).Top + top - above;
        const int64_t bandHeight = above + std::max(path.VehicleHeight, 0) + below;

        const int32_t tp = NewTrainRec(static_cast<int16_t>(train_flag::kDependent | train_flag::kAreaPainted));
        {
            TrainRec& head = trains().at(t0);
            TrainRec& r = trains().at(tp);
            r.NextLinked = head.NextLinked;
            head.NextLinked = tp;
            r.MasterTrain = t0;
            ++head.DependentCount;
        }
        const int32_t pe = AddTimedEvent(event_kind::kTrainLine, tp, e,
                                         static_cast<int32_t>(std::clamp<int64_t>(bandTop, INT32_MIN, INT32_MAX)),
                                         static_cast<int32_t>(std::min<int64_t>(bandHeight, INT32_MAX)));
        LineSection own = LineSectionOf(pc);
        own.Height = static_cast<int32_t>(std::min<int64_t>(bandHeight, INT32_MAX));
        own.Flags &= ~kSectPaintAtSetUp;  // the scene paints its paths
        InitTrainFromSect(tp, own, -1, -1, -1);
        PaintScenePath(tp);
        ParsePointList(tp, sectRec(pc).Waypoints);
        trains().at(tp).State = train_state::kAwaitLine;
        QueueDueEvent(pe);
    }
    PaintSceneForeground(t0);
    InsertActiveTrain(t0);
}

}  // namespace yov
