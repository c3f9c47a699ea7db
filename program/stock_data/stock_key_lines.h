// The "$" key lines of a stock text file: the stock part's authors, picture libraries,
// categories, languages, translated texts, picture height and background colour, and the
// description part's keys, values and headers. The engine's reader hands each line over
// with its line number; an error inside a line is reported as a question whose answer
// holds for the rest of the load.
#pragma once

#include <cstdint>
#include <string_view>

namespace yov {

// Results of OnStockKeyLine.
inline constexpr int32_t kKeyLineGoOn = 0;
inline constexpr int32_t kKeyLineTextsDone = 1;  // "$TXTEND" of a load for texts only
inline constexpr int32_t kKeyLineStockDone = 2;  // "$ENDSTOCK": on to the descriptions
inline constexpr int32_t kKeyLineAbort = 3;      // an error report answered with Cancel
// OnDescKeyLine gives 1 at "$ENDDESC".
inline constexpr int32_t kKeyLineDescDone = 1;

int32_t OnStockKeyLine(std::u16string_view line, int32_t lineNumber);
int32_t OnDescKeyLine(std::u16string_view line, int32_t lineNumber);

}  // namespace yov
