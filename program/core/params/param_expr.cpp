// The program's parameter parser and what it reaches outside the language: the engine's
// alias lists, the program's random sequence, the current part's pixels and the error
// report for its messages.
#include "program/core/params/param_expr.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/raster.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/texts/script_place.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/utilities.h"
#include "program/core/pictures/picture_build_state.h"

namespace yov {
namespace {

// The engine's alias lists are read into a buffer of 64 characters.
constexpr int32_t kAliasBuffer = 64;

}  // namespace

int32_t ParamDraws::index(int32_t n, int32_t callSite) { return GetRandomIndex(n, callSite); }

double ParamDraws::fraction() { return programRandom().next01(); }

std::u16string ParamParser::AliasList(int32_t list) {
    std::array<char16_t, kAliasBuffer> buffer{};
    const int32_t n = std::clamp(lv::GetFixedString(list, buffer.data(), kAliasBuffer), 0, kAliasBuffer);
    return std::u16string(buffer.data(), static_cast<size_t>(n));
}

std::optional<int32_t> ParamParser::PartPixel(int32_t x, int32_t y) {
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
void ParamParser::ShowMessage(const std::u16string& text, int32_t style) {
    std::u16string shown = text;
    const ScriptPlace& place = scriptPlace();
    if (programState().run.RunFlags != 0 && place.known())
        shown += u" " + FormatText(u"IFI", {FormatArg(place.File), FormatArg(place.Line)});
    ReportError(PendingError{}, 0, shown, report_flag::kMessageOnly | (style & report_flag::kStyleMask));
}

ParamParser& paramParser() {
    static ParamParser parser;
    return parser;
}

}  // namespace yov
