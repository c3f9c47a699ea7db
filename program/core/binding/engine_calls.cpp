#include "program/core/binding/engine_calls.h"

#include <algorithm>
#include <array>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"

namespace yov::engine_calls {

namespace {

// Room for the longest default text of the engine (127 characters) with its terminator.
constexpr int32_t kTextBuffer = 256;
constexpr int32_t kVersionBuffer = 100;

}  // namespace

std::u16string defaultText(std::u16string_view key) {
    const std::string utf8Key = plat::utf16ToUtf8(key);
    std::array<char, kTextBuffer> buffer{};
    try {
        // The length is a 16-bit count as the engine reports it; a negative one gives nothing.
        const auto n = static_cast<int16_t>(lv::GetDefTxt(utf8Key.c_str(), buffer.data(), kTextBuffer));
        return fromEngineText(buffer.data(), n, kTextBuffer);
    } catch (const EngineBindingError&) {
        return {};
    }
}

std::u16string numberedText(int32_t number) {
    std::array<char16_t, kTextBuffer> buffer{};
    try {
        const int32_t n = std::clamp(lv::GetNumTxt(number, buffer.data(), kTextBuffer), 0, kTextBuffer);
        return std::u16string(buffer.data(), static_cast<size_t>(n));
    } catch (const EngineBindingError&) {
        return {};
    }
}

std::u16string menuKey(int32_t identifier) {
    std::array<char, kTextBuffer> buffer{};
    try {
        const int32_t n = lv::GetMenuKey(-1, identifier, buffer.data(), kTextBuffer);
        return fromEngineText(buffer.data(), n, kTextBuffer);
    } catch (const EngineBindingError&) {
        return {};
    }
}

int32_t openCache(int32_t mode, const std::u16string& file) {
    return lv::OpenCache(mode, plat::utf16ToUtf8(file).c_str());
}

void openFrm(int16_t slot, QWidget* window, const FormLimits& limits) {
    lv::OpenFrm(slot, reinterpret_cast<LvWindow>(window), &limits);
}

void closeFrm(int32_t slot) { lv::CloseFrm(slot); }

int32_t rLook(std::u16string_view text, int32_t start, int32_t end, uintptr_t what) {
    const EngineText t(text);
    return lv::RLook(t.get(), start, end, what);
}

std::u16string versionText() {
    std::array<char, kVersionBuffer> buffer{};
    return fromEngineText(buffer.data(), lv::GetDLLVersion(buffer.data(), kVersionBuffer), kVersionBuffer);
}

}  // namespace yov::engine_calls
