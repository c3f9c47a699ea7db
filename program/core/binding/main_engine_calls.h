// The engine calls of start-up, the engine binding, the service window and the main module,
// in one table so that tests can watch them or run without the library. Each entry defaults to
// the bound library (program/core/binding/engine_binding.h); a missing library throws
// EngineBindingError from the call, as the binding does. `mainEngineCalls() = {}` restores the
// defaults.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lumvatek/exports.h"

namespace yov {

struct MainEngineCalls {
    // The program's window and menu operations handed to the engine (program/ui).
    std::function<void()> installWindowOps;
    // InitDLL with the program's callbacks, shared record and arrays.
    std::function<void()> initDll;
    std::function<void()> closeDll;
    std::function<void()> closeCache;
    std::function<void(LvHandle library)> closeLib32;
    std::function<void(LvHandle surface)> deleteSurface;
    std::function<std::u16string()> dllVersion;
    std::function<void(const std::string& utf8)> setMenuTxt;
    // RLook over a text: 1-based position of the first `what` outside quotes and brackets.
    std::function<int32_t(std::u16string_view text, int32_t start, int32_t end, uintptr_t what)> rLook;
    std::function<void(int32_t method, int32_t red, int32_t green, int32_t blue)> setXColMethod;
    std::function<void(const uint8_t* red, const uint8_t* green, const uint8_t* blue)> setXColor;
    std::function<void(int32_t menu, int32_t position, const std::string& utf8, int32_t identifier)> setMenuItem;
    std::function<void(int32_t menu, int32_t position, bool checked)> checkItem;
    std::function<void(int32_t identifier, bool enabled)> enableMenu;
    std::function<void(const LvArrayDesc* stock, int32_t count)> prepareLookStock;
    std::function<int32_t(std::u16string_view name)> lookStockIdx;

    MainEngineCalls();
};

MainEngineCalls& mainEngineCalls();

// InitDLL over the program's shared record and its ten shared arrays, with the given
// callbacks (the program's own, or a test's).
LvResult InitEngineOnProgramArrays(LvEventProc onEvent, LvRandomProc random);

}  // namespace yov
