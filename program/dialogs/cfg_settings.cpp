#include "program/dialogs/cfg_settings.h"

#include <optional>

#include "platform/numbers.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/settings_table.h"

namespace yov {

std::u16string ModeValueName(std::u16string_view base) { return std::u16string(base) + cfgState().ModeSuffix; }

bool StoreSetting(std::u16string_view valueName, int32_t number, bool whileFilling) {
    int mode = 0;
    const SettingSpec* spec = FindSetting(valueName, &mode);
    if (spec == nullptr) return false;
    const std::optional<int32_t> accepted = AcceptedForWriting(*spec, number);
    if (!accepted) return false;
    spec->put(mode, static_cast<double>(*accepted) * spec->scale);
    if (whileFilling || CfgFilling() == 0) SaveSetting(*spec, mode);
    return true;
}

bool StoreTypedSetting(std::u16string_view valueName, std::u16string_view text) {
    if (!plat::isNumeric(text)) return false;
    const std::optional<int32_t> n = plat::toLong(plat::roundHalfEven(plat::val(text)));
    return n && StoreSetting(valueName, *n);
}

int32_t StoredNumber(std::u16string_view valueName) {
    int mode = 0;
    const SettingSpec* spec = FindSetting(valueName, &mode);
    return spec == nullptr ? 0 : EncodeSetting(*spec, spec->get(mode));
}

int32_t ToggleSwitch(std::u16string_view valueName) {
    StoreSetting(valueName, StoredNumber(valueName) == 0 ? 1 : 0, true);
    // What was stored, so a mark set from it matches the setting also when it was refused.
    return StoredNumber(valueName);
}

}  // namespace yov
