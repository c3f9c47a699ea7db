// The parameter table of the script line being read, and the script's items.
//
// A line's parameters ("NAME=value;FLAG;LIST+=more") are parsed into one table of
// name/value pairs and fetched by comma-separated alias lists with a default. Enclosing
// sets stay below `Base` while a nested one is read. The table parses and raises its errors
// through a ParamParser and expands patterns through the engine; "*n" is the step text n of
// the train being started, which the trains above answer (UpperCalls::trainStepText). The
// program's table is paramTable().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "program/core/params/param_expr.h"

namespace yov {

// One script line or block header; PoolMemberTable holds them after a read.
struct ScriptItem {
    std::u16string Text;    // the line, or "$" + kind letter + block number for a block
    int32_t Line = 0;       // line number in its file
    int32_t Owner = 0;      // member index of the block header that owns the item (tables pass 32767)
    int16_t FileIndex = 0;  // in the script file table
    uint8_t Flags = 0;      // cleared when the item moves into PoolMemberTable
    // Kept by the section runner and the train start.
    int16_t RunMark = 0;   // minus the block that last ran it, 0 none
    int32_t LastPick = 0;  // pick number of its last choice
    uint8_t UsedInCycle = 0;
    uint8_t Picked = 0;
    int16_t InUse = 0;  // a line item: index of the train using it, 0 free
};

// Where in the script an item was read: the reader's file index and line.
struct ScriptPosition {
    int16_t FileIndex = 0;
    int32_t Line = 0;
};

// The engine's expansion of a pattern into `out` (element 0 unused): its result count, or a
// negative error code.
int32_t ExpandThroughEngine(std::u16string_view pattern, int32_t flags, std::vector<std::u16string>& out);

class ParamTable {
public:
    explicit ParamTable(ParamParser& parser) : parser_(parser) {}

    // --- The pairs: 1-based, element 0 present; names upper case.
    std::vector<std::u16string> Names{u""};
    std::vector<std::u16string> Values{u""};
    int32_t Top = 0;
    int32_t Alloc = 0;
    int32_t Base = 0;  // pairs 1..Base belong to enclosing sets
    // While a set extends an enclosing one (a pool line over its train's line): the "+", "-"
    // and "#" items of the set reach the pairs from ExtendBase + 1 on, so they add to, put in
    // front of or keep a value the enclosing set already has; -1 (or not below Base): they
    // keep to the set, as every plain item does.
    int32_t ExtendBase = -1;
    int32_t AliasIndex = 0;  // alias of the last GetParam match, from 1; -1 a train text
    int32_t FoundIndex = 0;  // LastParamIndex: pair of the last GetParam match, -1 a train text

    // --- Script items and the stack of open blocks (item indexes, innermost last).
    std::vector<ScriptItem> Items{ScriptItem{}};
    int32_t ItemCount = 0;
    int32_t ItemAlloc = 0;
    std::vector<int32_t> Blocks{0};
    int32_t BlockCount = 0;
    int32_t BlockAlloc = 0;

    // The strings of the last expansion, 1..n.
    std::vector<std::u16string> ExpandResult;

    void ClearParams();
    void AddParam(std::u16string_view name, std::u16string_view value);
    void ParseParamItem(std::u16string_view item);
    void ParseParamList(std::u16string_view text);
    void ParseParams(std::u16string_view text);
    std::u16string GetParam(std::u16string_view aliases, std::u16string_view defaultText);
    // Empties the value of the pair the last GetParam found, so that the entry is used once and
    // a later look-up reads the entries behind it.
    void BlankFoundParam();
    void ExpandParamText(std::u16string_view text);
    std::u16string ExpandText(std::u16string_view text, int32_t flags);
    // The first alias's value as a number; "n%" is n per cent of the reference with its top
    // four bits cleared; absent, the reference, unless its top bits are 10 (no default): 0.
    float GetParamNumber(std::u16string_view aliases, int32_t reference);
    // GetParamNumber against 0 (its errors ignored), else the default, the fallback text's
    // value, DefaultSpeed, and last a random speed of 2 to 12.
    float GetParamOrRandom(std::u16string_view aliases, float defaultValue, std::u16string_view fallback);
    float DefaultSpeed = 0;  // reset by every script read
    // Parses `text` as a set of its own above the current one, runs `use`, and restores the
    // enclosing set, also when `use` throws.
    void WithParams(std::u16string_view text, const std::function<void()>& use);

    int32_t AddScriptItem(std::u16string_view text, ScriptPosition at = {});
    int32_t PushBlock(std::u16string_view text, ScriptPosition at = {});
    uint8_t BlockHasKind(std::u16string_view kinds) const;
    // Empties the item list and the block stack (the start of every read).
    void ClearItems();

private:
    int32_t Expand(std::u16string_view pattern, int32_t flags);

    ParamParser& parser_;
};

// --- The program's table.
ParamTable& paramTable();

}  // namespace yov
