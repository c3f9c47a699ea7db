// What the fuzz targets over the parameter language share: a parser wired to the engine's
// bracket search, a seeded random sequence and its own parameter table, and a guard that
// lets the language's own errors pass.
#pragma once

#include <cstdint>
#include <string>

#include "lumvatek/exports.h"
#include "platform/random.h"
#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"

namespace fuzz_param {

inline void WireParser(yov::ParamParser& p, yov::ParamTable& table, plat::Random& random) {
    p.hooks.rlook = &RLook;
    p.hooks.randomIndex = [&random](int32_t n, int32_t) { return random.nextIndex(n); };
    p.hooks.random01 = [&random] { return random.next01(); };
    p.hooks.getParam = [&table](std::u16string_view aliases, std::u16string_view def, int32_t& source) {
        std::u16string v = table.GetParam(aliases, def);
        source = table.FoundIndex;
        return v;
    };
}

// The input from byte `from` on, one byte per character.
inline std::u16string TextFrom(const uint8_t* data, size_t size, size_t from) {
    std::u16string text;
    for (size_t i = from; i < size; ++i) text += static_cast<char16_t>(data[i]);
    return text;
}

// Runs f; an error of the language (ParamExprError) is expected and passes.
template <class F>
void Try(F&& f) {
    try {
        f();
    } catch (const yov::ParamExprError&) {}
}

}  // namespace fuzz_param
