#include "program/dialogs/settings_table.h"

#include <algorithm>
#include <type_traits>
#include <climits>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/settings/desktop_mode_setting.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/dialogs/cfg_state.h"

namespace yov {

namespace {

constexpr const char16_t* kModeLetter[2] = {u"W", u"F"};

ShowSettings& show() { return programState().settings.Show; }
size_t at(int mode) { return mode == kFullScreenMode ? 1 : 0; }

// The memory copies. Each row's get and put are written out once here, so that the table
// below stays one line of facts per setting.
template <auto Field>
double getShow(int mode) {
    return static_cast<double>((show().*Field)[at(mode)]);
}
template <auto Field>
void putShow(int mode, double v) {
    auto& element = (show().*Field)[at(mode)];
    element = static_cast<std::remove_reference_t<decltype(element)>>(v);
}
template <auto Field>
double getSetting(int) {
    return static_cast<double>(programState().settings.*Field);
}
template <auto Field>
void putSetting(int, double v) {
    programState().settings.*Field = static_cast<uint8_t>(v);
}
template <auto Field>
double getCfg(int) {
    return static_cast<double>(cfgState().*Field);
}
template <auto Field>
void putCfg(int, double v) {
    auto& field = cfgState().*Field;
    field = static_cast<std::remove_reference_t<decltype(field)>>(v);
}
double getCache(int) { return programState().scene.CacheMode; }
void putCache(int, double v) { programState().scene.CacheMode = static_cast<uint8_t>(v); }

using M = SettingModes;
using R = ReadRule;
using W = WriteRule;
constexpr SettingReader kStart = SettingReader::Startup;
constexpr SettingReader kDialog = SettingReader::Dialog;
constexpr int32_t kMin = INT32_MIN;
constexpr int32_t kMax = INT32_MAX;

// name, modes, reader, default, read rule (mask, minimum, maximum, otherwise), scale,
// write rule (minimum, maximum), memory.
const SettingSpec kTable[] = {
    {u"Cache", M::None, kStart, 0, R::Field, 0, 0, 255, 0, 1, W::Refuse, 0, 3, getCache, putCache},
    {u"Random", M::Both, kStart, 2, R::Mask, 3, 0, 0, 0, 1, W::Refuse, 0, 3, getShow<&ShowSettings::Random>,
     putShow<&ShowSettings::Random>},
    {u"NStpClk", M::Both, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::NStpClk>,
     putShow<&ShowSettings::NStpClk>},
    {u"NStpMov", M::Both, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::NStpMov>,
     putShow<&ShowSettings::NStpMov>},
    {u"NStpKey", M::Both, kStart, 0, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::NStpKey>,
     putShow<&ShowSettings::NStpKey>},
    {u"Speed", M::Both, kStart, 25, R::Any, 0, 0, 0, 0, 0.001, W::Clamp, 1, 100, getShow<&ShowSettings::Speed>,
     putShow<&ShowSettings::Speed>},
    {u"LimLenB", M::Both, kStart, 0, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::LimLenB>,
     putShow<&ShowSettings::LimLenB>},
    {u"LimLenV", M::Both, kStart, 4000, R::Any, 0, 0, 0, 0, 1, W::Refuse, 100, kMax, getShow<&ShowSettings::LimLenV>,
     putShow<&ShowSettings::LimLenV>},
    {u"LimLinB", M::Both, kStart, 0, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::LimLinB>,
     putShow<&ShowSettings::LimLinB>},
    {u"LimLinV", M::Both, kStart, 3, R::Any, 0, 0, 0, 0, 1, W::Any, kMin, kMax, getShow<&ShowSettings::LimLinV>,
     putShow<&ShowSettings::LimLinV>},
    {u"LimProcB", M::Both, kStart, 0, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::LimProcB>,
     putShow<&ShowSettings::LimProcB>},
    {u"LimProcV", M::Both, kStart, 70, R::Any, 0, 0, 0, 0, 0.1, W::Refuse, 1, 300, getShow<&ShowSettings::LimProcV>,
     putShow<&ShowSettings::LimProcV>},
    {u"SkipErr", M::Both, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::SkipErr>,
     putShow<&ShowSettings::SkipErr>},
    {u"DrawAlg", M::WindowOnly, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getShow<&ShowSettings::DrawAlg>,
     putShow<&ShowSettings::DrawAlg>},
    // A method that no longer exists draws whole trains with GDI.
    {u"DrawAlg", M::FullScreenOnly, kStart, 4, R::Within, 0, 0, 4, 1, 1, W::Refuse, 0, 4,
     getShow<&ShowSettings::DrawAlg>, putShow<&ShowSettings::DrawAlg>},
    {u"ColTrans", M::None, kStart, 0, R::Mask, 3, 0, 0, 0, 1, W::Refuse, 0, 3, getSetting<&SettingsRead::ColTrans>,
     putSetting<&SettingsRead::ColTrans>},
    {u"Priority", M::None, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getSetting<&SettingsRead::HighPriority>,
     putSetting<&SettingsRead::HighPriority>},
    {u"Music", M::None, kStart, 0, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getSetting<&SettingsRead::Music>,
     putSetting<&SettingsRead::Music>},
    {u"UseDefDir", M::None, kStart, 1, R::Mask, 1, 0, 0, 0, 1, W::Refuse, 0, 1, getSetting<&SettingsRead::UseDefDir>,
     putSetting<&SettingsRead::UseDefDir>},
    // Read into bytes that nothing else uses; the dialog never stores them.
    {u"StbZ", M::None, kStart, 6, R::Field, 0, 0, 255, 0, 1, W::Refuse, 0, 255, getSetting<&SettingsRead::StbZ>,
     putSetting<&SettingsRead::StbZ>},
    {u"TvlZ", M::None, kStart, 6, R::Field, 0, 0, 255, 0, 1, W::Refuse, 0, 255, getSetting<&SettingsRead::TvlZ>,
     putSetting<&SettingsRead::TvlZ>},
    // Read by the display start too (desktop_mode_setting.h).
    {kKeepDesktopModeName, M::None, kDialog, kKeepDesktopModeDefault, R::Mask, kKeepDesktopModeMask, 0, 0, 0, 1,
     W::Refuse, 0, 1, getCfg<&CfgState::KeepScreenMode>, putCfg<&CfgState::KeepScreenMode>},
    {u"DDX", M::None, kDialog, 1024, R::Field, 0, INT16_MIN, INT16_MAX, 0, 1, W::Any, kMin, kMax,
     getCfg<&CfgState::ModeWidth>, putCfg<&CfgState::ModeWidth>},
    {u"DDY", M::None, kDialog, 768, R::Field, 0, INT16_MIN, INT16_MAX, 0, 1, W::Any, kMin, kMax,
     getCfg<&CfgState::ModeHeight>, putCfg<&CfgState::ModeHeight>},
    {u"DDB", M::None, kDialog, 16, R::Field, 0, INT16_MIN, INT16_MAX, 0, 1, W::Any, kMin, kMax,
     getCfg<&CfgState::ModeDepth>, putCfg<&CfgState::ModeDepth>},
    {u"DDF", M::None, kDialog, 0, R::Field, 0, INT16_MIN, INT16_MAX, 0, 1, W::Any, kMin, kMax,
     getCfg<&CfgState::ModeRefresh>, putCfg<&CfgState::ModeRefresh>},
};

bool sameName(std::u16string_view a, std::u16string_view b) { return plat::lcase(a) == plat::lcase(b); }

}  // namespace

std::span<const SettingSpec> settingsTable() { return kTable; }

bool SettingHasMode(const SettingSpec& spec, int mode) {
    switch (spec.modes) {
    case M::WindowOnly: return mode == kWindowMode;
    case M::FullScreenOnly: return mode == kFullScreenMode;
    default: return true;
    }
}

std::u16string SettingValueName(const SettingSpec& spec, int mode) {
    if (spec.modes == M::None) return spec.name;
    return std::u16string(spec.name) + kModeLetter[at(mode)];
}

const SettingSpec* FindSetting(std::u16string_view name, int* mode) {
    for (const SettingSpec& spec : settingsTable()) {
        if (spec.modes == M::None || spec.modes == M::Both) {
            if (sameName(name, spec.name)) {
                if (mode != nullptr) *mode = kWindowMode;
                return &spec;
            }
        }
        for (int m : {kWindowMode, kFullScreenMode}) {
            if (spec.modes != M::None && SettingHasMode(spec, m) && sameName(name, SettingValueName(spec, m))) {
                if (mode != nullptr) *mode = m;
                return &spec;
            }
        }
    }
    return nullptr;
}

int32_t ApplyReadRule(const SettingSpec& spec, int32_t stored) {
    switch (spec.read) {
    case R::Mask: return stored & spec.readMask;
    case R::Within: return stored < spec.readMin || stored > spec.readMax ? spec.otherwise : stored;
    case R::Field: return stored < spec.readMin || stored > spec.readMax ? spec.defaultValue : stored;
    case R::Any: break;
    }
    return stored;
}

void ReadSetting(const SettingSpec& spec, int mode) {
    const std::u16string name = SettingValueName(spec, mode);
    // A number too wide for its field takes the default, and the log names the value.
    const int32_t stored = spec.read == R::Field ? GetRegNumberIn(name, spec.defaultValue, spec.readMin, spec.readMax)
                                                 : GetRegNumber(name, spec.defaultValue);
    spec.put(mode, static_cast<double>(ApplyReadRule(spec, stored)) * spec.scale);
}

int32_t EncodeSetting(const SettingSpec& spec, double memory) {
    return plat::clampToInt32(plat::roundHalfEven(memory / spec.scale));
}

std::optional<int32_t> AcceptedForWriting(const SettingSpec& spec, int32_t number) {
    switch (spec.write) {
    case W::Any: return number;
    case W::Clamp: return std::clamp(number, spec.writeMin, spec.writeMax);
    case W::Refuse:
        if (number < spec.writeMin || number > spec.writeMax) return std::nullopt;
        return number;
    }
    return number;
}

void SaveSetting(const SettingSpec& spec, int mode) {
    SaveRegNumber(SettingValueName(spec, mode), EncodeSetting(spec, spec.get(mode)));
}

void ReadStartupSettings() {
    const std::span<const SettingSpec> rows = settingsTable();
    for (const SettingSpec& spec : rows) {
        if (spec.reader == kStart && spec.modes == M::None && sameName(spec.name, u"Cache")) ReadSetting(spec, 0);
    }
    for (int m : {kWindowMode, kFullScreenMode}) {
        for (const SettingSpec& spec : rows) {
            if (spec.reader == kStart && spec.modes == M::Both) ReadSetting(spec, m);
        }
    }
    for (const SettingSpec& spec : rows) {
        if (spec.reader != kStart || spec.modes == M::Both || sameName(spec.name, u"Cache")) continue;
        ReadSetting(spec, spec.modes == M::FullScreenOnly ? kFullScreenMode : kWindowMode);
    }
}

void ReadDisplayModeSettings() {
    // "DDX", "DDY", "DDB", "DDF", then "DDA".
    for (const SettingSpec& spec : settingsTable()) {
        if (spec.reader == kDialog && !sameName(spec.name, kKeepDesktopModeName)) ReadSetting(spec, 0);
    }
    if (const SettingSpec* dda = FindSetting(kKeepDesktopModeName)) ReadSetting(*dda, 0);
}

}  // namespace yov
