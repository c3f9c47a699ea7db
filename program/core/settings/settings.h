// The program's settings: text values under HKEY_CURRENT_USER, key ProgramKey followed
// directly by a subkey ("" for the key itself, "\DescSmall" for a key below it, or the
// instance letter "B".."F" for the sibling key of another running copy).
//
// Numbers are stored as their decimal text; REG_DWORD values are read as the decimal
// text of their signed 32-bit value. Registry failures are never reported: reading gives
// the default and writing is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
class Registry;
}

namespace yov {

// The registry the settings live in (the program's, in the config folder).
plat::Registry& settingsRegistry();

// The full key name: ProgramKey & subkey.
std::u16string settingsKey(std::u16string_view subkey);

void SaveRegString(std::u16string_view name, std::u16string_view text, std::u16string_view subkey = {});
void SaveRegNumber(std::u16string_view name, int32_t number, std::u16string_view subkey = {});

// The stored text; the default when the key or value is missing or has no data.
std::u16string GetRegString(std::u16string_view name, std::u16string_view defaultText = {},
                            std::u16string_view subkey = {});

// The stored number rounded half to even; a text that is not a number gives 0. A number
// beyond 32 bits gives the default and a line in the error log.
int32_t GetRegNumber(std::u16string_view name, int32_t defaultValue, std::u16string_view subkey = {});
// The same for a field of a narrower range (a byte, a 16-bit value): a number outside
// minimum..maximum gives the default and a line in the error log.
int32_t GetRegNumberIn(std::u16string_view name, int32_t defaultValue, int32_t minimum, int32_t maximum,
                       std::u16string_view subkey = {});

// A REG_BINARY value. The key: "" is ProgramKey, one starting with "\" lies below it, any
// other is a whole key name. Fills bytes 0..size-1 and one spare 0 after them and returns
// the size; 0 when missing, empty or of another type.
int32_t GetRegBinary(std::u16string_view name, std::vector<uint8_t>& bytes, std::u16string_view key = {});

}  // namespace yov
