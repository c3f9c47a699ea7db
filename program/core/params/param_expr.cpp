// The program's parameter parser: the engine's bracket search and alias lists, the one
// random sequence, texts by key, the error report, the show's frame step, the parameter
// table and the current canvas behind the parser's hooks.
#include "program/core/params/param_expr.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/raster.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/texts/script_place.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/utilities.h"
#include "program/core/params/param_table.h"
#include "program/scene/picture_build_state.h"

namespace yov {
namespace {

// The engine's alias lists are read into a buffer of 64 characters.
constexpr int32_t kAliasBuffer = 64;

std::u16string FixedString(int32_t list) {
    std::array<char16_t, kAliasBuffer> buffer{};
    const int32_t n = std::clamp(lv::GetFixedString(list, buffer.data(), kAliasBuffer), 0, kAliasBuffer);
    return std::u16string(buffer.data(), static_cast<size_t>(n));
}

// The pixel x columns right of the vehicle picture's origin and y rows above the current
// part's bottom row.
std::optional<int32_t> PartPixel(int32_t x, int32_t y) {
    PicPartPool& pool = picParts();
    if (pool.CurPart < 1 || !pool.valid(pool.CurPart) || pool[pool.CurPart].State == kPartFree) return std::nullopt;
    const PicPart& part = pool[pool.CurPart];
    const int64_t column = static_cast<int64_t>(x) + pictureBuildState().PartOriginX;
    const int64_t row = static_cast<int64_t>(part.PartY) + part.PartHeight - y - 1;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    if (column < lo || column > hi || row < lo || row > hi) return std::nullopt;
    const plat::COLORREF colour =
        plat::GetPixel(currentCanvas().pictureDc, static_cast<int>(column), static_cast<int>(row));
    if (colour == plat::CLR_INVALID) return std::nullopt;
    return static_cast<int32_t>(colour);
}

// A message the parser shows and goes on (an unreadable truth value, an unclosed "{"): a box
// answered with O.K., except where nobody can answer one (a full-screen, screen-saver or
// DirectDraw show), where it goes to the log; in a show it names the script line.
void ShowParserMessage(const std::u16string& text, int32_t style) {
    std::u16string shown = text;
    const ScriptPlace& place = scriptPlace();
    if (programState().run.RunFlags != 0 && place.known())
        shown += u" " + FormatText(u"IFI", {FormatArg(place.File), FormatArg(place.Line)});
    ReportError(PendingError{}, 0, shown, report_flag::kMessageOnly | (style & report_flag::kStyleMask));
}

ParamExprHooks ProgramHooks() {
    ParamExprHooks h;
    h.rlook = &lv::RLook;
    h.randomIndex = [](int32_t n, int32_t site) { return GetRandomIndex(n, site); };
    h.random01 = [] { return programRandom().next01(); };
    h.checkStep = drawingStep;
    h.getParam = [](std::u16string_view aliases, std::u16string_view defaultText, int32_t& source) {
        std::u16string value = paramTable().GetParam(aliases, defaultText);
        source = paramTable().FoundIndex;
        return value;
    };
    h.fixedString = FixedString;
    h.text = [](std::u16string_view key) { return GetText(key); };
    h.formatText = [](std::u16string_view key, std::u16string_view param) {
        return FormatText(key, {FormatArg(param)});
    };
    h.raise = [](int32_t number, const std::u16string& description) { throw ProgramError(number, description); };
    h.raiseProgramError = [](const std::u16string& message) { RaiseProgramError(message); };
    h.showMessage = ShowParserMessage;
    h.partPixel = PartPixel;
    return h;
}

}  // namespace

ParamParser& paramParser() {
    static ParamParser parser = [] {
        ParamParser p;
        p.hooks = ProgramHooks();
        return p;
    }();
    return parser;
}

std::u16string GetNextToken(std::u16string_view text, int32_t& pos, int32_t end, std::u16string_view delimiters) {
    return paramParser().GetNextToken(text, pos, end, delimiters);
}

void SkipBlanks(std::u16string_view text, int32_t& pos, int32_t end) { paramParser().SkipBlanks(text, pos, end); }

std::u16string EvalStringExpr(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags) {
    return paramParser().EvalStringExpr(text, pos, end, flags);
}

float ParseNumber(std::u16string_view token) { return paramParser().ParseNumber(token); }

ParamValue EvalNumber(std::u16string_view text, int32_t& pos, int32_t end) {
    return paramParser().EvalNumber(text, pos, end);
}

std::u16string ExpandRepeatList(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags) {
    return paramParser().ExpandRepeatList(text, pos, end, flags);
}

std::u16string GetStringParam(int32_t flags, int32_t id) { return paramParser().GetStringParam(flags, id); }

int32_t GetNamedNumber(int32_t defaultValue, std::u16string_view letters, int32_t id) {
    return paramParser().GetNamedNumber(defaultValue, letters, id);
}

int32_t GetLetterNumber(int16_t& kind, int32_t defaultValue, int32_t id) {
    return paramParser().GetLetterNumber(kind, defaultValue, id);
}

float GetFractionParam(float defaultValue, int32_t id) { return paramParser().GetFractionParam(defaultValue, id); }

ParamValue EvalRelativeValue(std::u16string_view text, std::optional<double> base) {
    return paramParser().EvalRelativeValue(text, base);
}

int32_t ParseColor(std::u16string_view text, uint8_t pixelAllowed) {
    return paramParser().ParseColor(text, pixelAllowed);
}

int32_t ParseColorParam(std::u16string_view text, int32_t& second) {
    return paramParser().ParseColorParam(text, second);
}

uint8_t ParseBoolean(std::u16string_view text) { return paramParser().ParseBoolean(text); }

std::u16string PickWeightedAlternative(std::u16string_view text) { return paramParser().PickWeightedAlternative(text); }

std::u16string NextListItem(std::u16string& list, std::u16string_view context) {
    return paramParser().NextListItem(list, context);
}

}  // namespace yov
