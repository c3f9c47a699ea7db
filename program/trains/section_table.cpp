#include "program/trains/section_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/numbers.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/utilities.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_start_state.h"

namespace yov {
namespace {

constexpr int32_t kSequenceSite = 21004;
constexpr int32_t kRandomSite = 21005;
constexpr int32_t kPoolSequenceSite = 21006;
constexpr int32_t kPoolRandomSite = 21007;
constexpr int32_t kPatternFlag = 0x40000000;
constexpr int32_t kRandomDraws = 10;
constexpr uint8_t kFinishAll = 127;

SectTableState& table() { return sectTable(); }

SceneScript& script() { return scriptReader().S; }

// A fresh read rebuilds the records: the dynamic part starts empty again.
void sync() {
    SectTableState& t = table();
    const int32_t blocks = ScriptBlockCount();
    if (t.Used < blocks || t.Used >= static_cast<int32_t>(script().Sections.size())) {
        t.Used = std::min<int32_t>(blocks, static_cast<int32_t>(script().Sections.size()) - 1);
        t.FreeHead = 0;
    }
}

// One random-sequence pick over first..last with the cycle state of rec; 0 when no item
// is a candidate.
template <class Rec>
int32_t pickSequence(Rec& rec, int32_t first, int32_t last, int32_t site) {
    const int32_t count = last - first + 1;
    SceneScript& sc = script();
    if (rec.RemainingInCycle <= 0) {
        rec.RemainingInCycle = count;
        for (int32_t m = first; m <= last; ++m) scriptItem(m).UsedInCycle = 0;
    }
    const int32_t third = count / 3;
    std::vector<int32_t>& cand = table().Candidates;
    cand.clear();
    for (int32_t m = first; m <= last; ++m) {
        const ScriptItem& it = sc.Members[static_cast<size_t>(m)];
        if (it.UsedInCycle != 0) continue;
        if (it.LastPick == 0 || int64_t{rec.PickCounter} - it.LastPick >= third) cand.push_back(m);
    }
    if (cand.empty()) return 0;
    const int32_t item = cand[static_cast<size_t>(GetRandomIndex(static_cast<int32_t>(cand.size()), site))];
    ScriptItem& it = scriptItem(item);
    it.UsedInCycle = 1;
    ++rec.PickCounter;
    it.LastPick = rec.PickCounter;
    --rec.RemainingInCycle;
    return item;
}

int32_t pickRandom(int32_t first, int32_t count, int32_t site) {
    int32_t item = first;
    for (int32_t draw = 0; draw < kRandomDraws; ++draw) {
        item = first + GetRandomIndex(count, site);
        if (scriptItem(item).RunMark == 0) break;
    }
    return item;
}

int32_t nextInOrder(int32_t current, int32_t first, int32_t last) {
    const int64_t next = int64_t{current} + 1;
    return next < first || next > last ? first : static_cast<int32_t>(next);
}

void markFinishing(int32_t s) { sectRec(s).Flags |= sect_flag::kFinishing; }

}  // namespace

SectRec& sectRec(int32_t n) {
    sync();
    std::vector<SectRec>& recs = script().Sections;
    if (n < 1 || n > table().Used || static_cast<size_t>(n) >= recs.size()) {
        throw ProgramError(error_number::kSubscript, u"Section " + decimal(n) + u" out of range");
    }
    return recs[static_cast<size_t>(n)];
}

bool SectExists(int32_t n) {
    sync();
    return n >= 1 && n <= table().Used && static_cast<size_t>(n) < script().Sections.size();
}

int32_t ScriptBlockCount() {
    // Before any read the count stands at 1 with no record behind it.
    const SceneScript& sc = script();
    return std::max(std::min<int32_t>(sc.SectionCount, static_cast<int32_t>(sc.Sections.size()) - 1), 0);
}

ScriptItem& scriptItem(int32_t m) {
    SceneScript& sc = script();
    if (m < 1 || m > sc.MemberCount || static_cast<size_t>(m) >= sc.Members.size()) {
        throw ProgramError(error_number::kSubscript, u"Script item " + decimal(m) + u" out of range");
    }
    return sc.Members[static_cast<size_t>(m)];
}

void ResetSections() {
    SceneScript& sc = script();
    SectTableState& t = table();
    const int32_t blocks = std::min<int32_t>(sc.SectionCount, static_cast<int32_t>(sc.Sections.size()) - 1);
    sc.Sections.resize(static_cast<size_t>(std::max(blocks, 0)) + 1);
    t.Used = std::max(blocks, 0);
    t.FreeHead = 0;
    // An item picked in an earlier pass may belong to another script's items.
    t.CurItem = 0;
    for (int32_t i = 1; i <= blocks; ++i) {
        SectRec& r = sc.Sections[static_cast<size_t>(i)];
        r.Flags &= ~(sect_flag::kFinishing | sect_flag::kInUse);
        r.Event = 0;
        r.RunState = r.Type == sect_type::kRoot ? sect_state::kStart : sect_state::kIdle;
    }
}

int32_t BindSectEvent(int32_t sect, int32_t entry, int32_t top, int32_t height) {
    // A display made before any script was read has a root band but no root block.
    sync();
    if (sect < 1 || sect > table().Used) return 0;
    SectRec& r = sectRec(sect);
    r.Event = entry;
    r.Top = top;
    r.Height = height;
    return r.MaxLines;
}

void MarkSectFinishing(int32_t sect) { markFinishing(sect); }

LineSection LineSectionOf(int32_t sect) {
    const SectRec& r = sectRec(sect);
    LineSection l;
    l.Index = sect;
    l.Event = r.Event;
    l.Left = r.Left;
    l.Top = r.Top;
    l.Width = r.Width;
    l.Height = r.Height;
    l.X = r.XText;
    l.DX = r.DXText;
    l.DY = r.DYText;
    l.DirectionText = r.Direction;
    l.Above = r.LayerAbove;
    l.Vehicle = r.VehicleHeight;
    l.Below = r.LayerBelow;
    l.Flags = r.Flags & kSectPaintAtSetUp;
    l.PointText = r.Waypoints;
    l.BgText = r.Background;
    l.BgLine = r.BackgroundOwner;
    l.FgText = r.Foreground;
    l.FgLine = r.ForegroundOwner;
    l.TgText = r.TempBackground;
    l.TgLine = r.TempBackgroundOwner;
    return l;
}

void StoreLineArea(int32_t sect, const LineSection& line) {
    SectRec& r = sectRec(sect);
    r.Left = line.Left;
    r.Width = line.Width;
    r.Height = line.Height;
}

void ResetSectRun(int32_t sect) {
    const int32_t perSecond = showState().TicksPerSecond;
    SectRec& r = sectRec(sect);
    r.RepeatsLeft = r.LimitCount;
    r.WaitTicks = plat::clampToInt32(static_cast<double>(r.LimitTime) * perSecond);
    r.Flags &= ~sect_flag::kFinishing;
}

int32_t AllocSectRec(int32_t block, int32_t caller) {
    int32_t n = block;
    if ((sectRec(block).Flags & sect_flag::kInUse) != 0) {
        SectTableState& t = table();
        if (t.FreeHead != 0) {
            n = t.FreeHead;
            t.FreeHead = sectRec(n).Event;
        } else {
            std::vector<SectRec>& recs = script().Sections;
            n = t.Used + 1;
            if (static_cast<size_t>(n) >= recs.size()) recs.resize(static_cast<size_t>(n) + kSectCopyGrowth);
            t.Used = n;
        }
        SectRec copy = sectRec(block);
        copy.Number = n;
        copy.Template = block;
        copy.Event = 0;
        copy.Origin = 0;
        sectRec(n) = std::move(copy);
    }
    SectRec& r = sectRec(n);
    // The block that runs it: a path's limits count against the scene record that started it.
    r.Parent = caller;
    r.Flags |= sect_flag::kInUse;
    if (!r.Pattern.empty()) {
        const std::u16string pattern = r.Pattern;
        const std::u16string all = ExpandText(pattern, programState().Shared.MacroCount | kPatternFlag);
        sectRec(n).Expansions = all.empty() ? std::u16string() : all + u",";
    }
    return n;
}

void EndSect(int32_t sect) {
    SectRec& r = sectRec(sect);
    r.Flags &= ~sect_flag::kInUse;
    if (sect > ScriptBlockCount()) {
        SectTableState& t = table();
        r.Event = t.FreeHead;
        t.FreeHead = sect;
        r.RunState = sect_state::kFreeCopy;
    }
}

int32_t PickSectLine(int32_t s) {
    const int32_t range = SectRangeRecord(s);
    const int32_t first = sectRec(range).First;
    const int32_t last = sectRec(range).LastPlain;
    const int64_t count = int64_t{last} - first + 1;
    if (count < 1) {
        markFinishing(s);
        return 0;
    }
    if (sectRec(s).LimitCount != 0 && --sectRec(s).RepeatsLeft < 0) {
        markFinishing(s);
        return 0;
    }
    if (sectRec(s).Type == sect_type::kPath) {
        const int32_t parent = sectRec(s).Parent;
        if (parent >= 1 && sectRec(parent).LimitCount != 0 && --sectRec(parent).RepeatsLeft < 0) {
            const int32_t event = sectRec(parent).Event;
            if (runQueue().valid(event)) FlagEventChain(event, kFinishAll);
        }
    }
    int32_t item = 0;
    switch (sectRec(s).SequenceMode) {
    case 1:
    case 2: item = nextInOrder(sectRec(range).CurrentLine, first, last); break;
    case 3:
        item = pickSequence(sectRec(range), first, last, kSequenceSite);
        if (item == 0) {
            markFinishing(s);
            return 0;
        }
        break;
    case 4: item = pickRandom(first, static_cast<int32_t>(count), kRandomSite); break;
    default: item = table().CurItem; break;
    }
    sectRec(range).CurrentLine = item;
    sectRec(s).CurrentLine = item;
    table().CurItem = item;
    return item;
}

int32_t PickPoolLine(int32_t pool) {
    SceneScript& sc = script();
    if (pool < 1 || pool > sc.PoolCount || static_cast<size_t>(pool) >= sc.Pools.size()) {
        throw ProgramError(error_number::kSubscript, u"Pool " + decimal(pool) + u" out of range");
    }
    PoolEntry& p = sc.Pools[static_cast<size_t>(pool)];
    const int64_t count = int64_t{p.Last} - p.First + 1;
    if (count < 1 || p.First < 1 || p.Last > sc.MemberCount) return 0;
    int32_t item = 0;
    switch (p.SequenceMode) {
    case 1:
    case 2: item = nextInOrder(p.Current, p.First, p.Last); break;
    case 3:
        item = pickSequence(p, p.First, p.Last, kPoolSequenceSite);
        if (item == 0) {
            // A pool never runs dry: a new cycle always has a candidate.
            p.RemainingInCycle = 0;
            item = pickSequence(p, p.First, p.Last, kPoolSequenceSite);
        }
        break;
    case 4: item = pickRandom(p.First, static_cast<int32_t>(count), kPoolRandomSite); break;
    default: item = table().CurItem; break;
    }
    p.Current = item;
    table().CurItem = item;
    trainStart().CurLine = item;
    return item;
}

int32_t SectRangeRecord(int32_t s) {
    const SectRec& r = sectRec(s);
    return s > ScriptBlockCount() && r.Template != 0 ? r.Template : s;
}

}  // namespace yov
