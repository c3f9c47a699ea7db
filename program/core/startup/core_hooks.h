// What the texts, the error report, the descriptions and the window placement need from
// the engine and from parts of the program built elsewhere.
//
// The engine entries default to the bound library; the others default to "nothing there"
// (no stock entry found, no parameter given, no log view open) until their owner wires
// them in at start-up. Tests replace any of them; `coreHooks() = {}` restores the defaults.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lumvatek/shared.h"

class QWidget;

namespace yov {

namespace engine_calls {
// GetDefTxt: the engine's default text of a key, "" when it has none or the engine cannot
// be bound.
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
}  // namespace engine_calls

struct CoreHooks {
    // --- The engine.
    std::function<std::u16string(std::u16string_view key)> defaultText = engine_calls::defaultText;
    std::function<std::u16string(int32_t number)> numberedText = engine_calls::numberedText;
    std::function<std::u16string(int32_t identifier)> menuKey = engine_calls::menuKey;
    std::function<int32_t(int32_t mode, const std::u16string& file)> openCache = engine_calls::openCache;
    std::function<void(int16_t slot, QWidget* window, const FormLimits& limits)> openFrm = engine_calls::openFrm;
    std::function<void(int32_t slot)> closeFrm = engine_calls::closeFrm;

    // --- Main module: the colour-translation table goes to the engine again.
    std::function<void()> applyColorTranslation;
    // Main module: the stock entry of a picture name, 0 when there is none.
    std::function<int32_t(std::u16string_view name)> findStockEntry;
    // Main module: the hidden service window's engine value, made when needed.
    std::function<uintptr_t()> serviceWindow;

    // --- Parameter table: the value of the first alias of the comma-separated list that
    // the current parameter set gives, else the default.
    std::function<std::u16string(std::u16string_view aliases, std::u16string_view defaultText)> getParam;
    // Parses text as a parameter set of its own, runs `use` with it current, and restores
    // the enclosing set afterwards (also when `use` throws).
    std::function<void(std::u16string_view text, const std::function<void()>& use)> withParams;

    // --- Text window: adds a line to the open error-log view (RunMode 14).
    std::function<void(const std::u16string& line)> appendToLogView;
};

CoreHooks& coreHooks();

}  // namespace yov
