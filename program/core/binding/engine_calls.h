// The engine calls that cross with the program's own texts: each copies a text into the layout
// the export reads, or reads the text an export wrote into a buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lumvatek/shared.h"

class QWidget;

namespace yov::engine_calls {

// GetDefTxt: the engine's default text of a key, "" when it has none or the engine cannot be
// bound.
std::u16string defaultText(std::u16string_view key);
// GetNumTxt: the message of a numbered engine error ("" when the engine cannot be bound).
std::u16string numberedText(int32_t number);
// GetMenuKey over every menu: the text key of a menu item, "" when none.
std::u16string menuKey(int32_t identifier);
// OpenCache: 0 or a negative code. A missing engine throws EngineBindingError.
int32_t openCache(int32_t mode, const std::u16string& file);
// OpenFrm and CloseFrm with the window as the engine's window value.
void openFrm(int16_t slot, QWidget* window, const FormLimits& limits);
void closeFrm(int32_t slot);
// RLook over a text: the 1-based position of the first `what` (a character code below 256)
// outside quotes and brackets, 0 when there is none.
int32_t rLook(std::u16string_view text, int32_t start, int32_t end, uintptr_t what);
// GetDLLVersion: the engine's version text ("4.3.8F").
std::u16string versionText();

}  // namespace yov::engine_calls
