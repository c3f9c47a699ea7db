// The table of the scene script's "$" macros: definitions in order, sorted by name for the
// expansion engine's look-ups.
#pragma once

#include <cstdint>
#include <string_view>

namespace lvk {

struct MacroDefinition {
    int32_t number;       // 1 for the first definition, in definition order
    int32_t sourceValue;  // the reader's caller value and line at the definition
    int32_t sourceLine;
    int32_t valueBytes;
    const char16_t* value;
    uint8_t nameLength;
    uint8_t flags;  // 1 an earlier definition of the name exists, 2 a later one

    std::u16string_view Name() const { return {reinterpret_cast<const char16_t*>(this + 1), nameLength}; }
    std::u16string_view Value() const { return {value, static_cast<size_t>(valueBytes) / 2}; }
};

// The definition of name (ASCII letters upper-cased) visible under bound: the latest
// numbered below the bound, else the first when its number is not above it. Null for
// bound 0, for a name over 128 characters and for a name not defined.
const MacroDefinition* LookMacro(std::u16string_view name, int32_t bound);

}  // namespace lvk
