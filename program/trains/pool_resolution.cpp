#include "program/trains/pool_resolution.h"

#include <algorithm>
#include <string>

#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/params/param_table.h"
#include "program/scene/script_reader.h"
#include "program/trains/section_table.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/train_start_state.h"

namespace yov {
namespace {

constexpr int32_t kPoolNameFlag = 0x10000000;

int32_t EndOf(std::u16string_view text) { return static_cast<int32_t>(text.size()) + 1; }

int32_t FindPool(std::u16string_view name) {
    const SceneScript& s = scriptReader().S;
    const int32_t count = std::min<int32_t>(s.PoolCount, static_cast<int32_t>(s.Pools.size()) - 1);
    for (int32_t p = 1; p <= count; ++p) {
        if (s.Pools[static_cast<size_t>(p)].Name == name) return p;
    }
    return 0;
}

// Restores the table's bases, also when the parameters raise.
struct BaseGuard {
    ParamTable& t;
    int32_t base;
    int32_t extendBase;
    ~BaseGuard() {
        t.Base = base;
        t.ExtendBase = extendBase;
    }
};

}  // namespace

int16_t ResolvePool(int32_t train, std::u16string_view pools) {
    if (pools.empty()) return 0;
    ParamTable& table = paramTable();
    // A pool error names the line that named the pools: the picks below move CurLine on.
    const int32_t naming = trainStart().CurLine;
    auto raisePoolError = [naming](std::u16string_view message) { RaiseLineError(naming, message); };
    // The "POOL" entry that led here: blanked, so that the next look-up does not find it again.
    BlankFoundParam();
    const std::u16string list(pools);
    int32_t pos = 1;
    const int32_t end = EndOf(list);
    for (int32_t guard = 0; pos < end && guard < end; ++guard) {
        int32_t comma = paramParser().Look(list, pos, end, u',');
        if (comma < 0) paramParser().RaiseMessage(paramParser().Text(u"PARMA"));
        if (comma == 0) comma = end;
        const std::u16string written = plat::trim(
            std::u16string_view(list).substr(static_cast<size_t>(pos - 1), static_cast<size_t>(comma - pos)));
        pos = comma + 1;
        if (trains().at(train).PoolDepth >= kMaxPoolDepth) {
            raisePoolError(GetText(u"POCY", u"Too many nested POOL access"));
        }
        const std::u16string name = plat::ucase(ExpandText(written, programState().Shared.MacroCount | kPoolNameFlag));
        const int32_t pool = FindPool(name);
        if (pool == 0) raisePoolError(FormatText(u"PNFO", {FormatArg(name)}));
        const int32_t line = PickPoolLine(pool);
        if (line == 0) return -1;
        {
            TrainRec& r = trains().at(train);
            r.PoolDepth += 1;
            r.PoolLines[static_cast<size_t>(r.PoolDepth)] = trainStart().CurLine;
        }
        const std::u16string lineText = scriptItem(line).Text;
        const std::u16string addParams = scriptReader().S.Pools[static_cast<size_t>(pool)].AddParams;
        // The pool's entries go on top as a set of their own, so that a name the start already
        // has keeps its value and the first entry of a name still wins; its "+", "-" and "#"
        // items extend the start's own (C+= adds vehicles to the line's composition).
        const int32_t mark = table.Top;
        std::u16string nested;
        {
            BaseGuard restore{table, table.Base, table.ExtendBase};
            table.ExtendBase = table.Base;
            table.Base = mark;
            table.ParseParamList(lineText);
            table.ExpandParamText(addParams);
            // Nested pools: looked up among the entries this pool added, which the blanked
            // entry of the start's own "POOL" would otherwise hide.
            nested = table.GetParam(u"POOL", u"");
        }
        if (!nested.empty() && ResolvePool(train, nested) != 0) return -1;
    }
    return 0;
}

}  // namespace yov
