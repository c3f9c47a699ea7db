#include "program/core/settings/settings.h"

#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/number_text.h"
#include "program/core/startup/program_state.h"

namespace yov {

namespace {

// Bad input from the registry: the default is used, and the log says which value.
int32_t fallBack(std::u16string_view name, std::u16string_view subkey, std::u16string_view text, int32_t defaultValue) {
    WriteErrorLog(u"Setting \"" + std::u16string(name) + u"\" of " + settingsKey(subkey) + u": \"" +
                  std::u16string(text) + u"\" does not fit, " + decimal(defaultValue) + u" used");
    return defaultValue;
}

// The value read as a number: nothing when it does not fit 32 bits.
std::optional<int32_t> numberOf(std::u16string_view text) {
    const plat::LeadingNumber n = plat::parseLeadingNumber(text);
    if (n.overflow) return std::nullopt;
    return plat::toLong(n.value);
}

// Stock keys are spelled "\Stock\<name>\"; the system registry takes a final "\" as
// naming the same key, ours would refuse the empty name after it.
std::u16string withoutFinalSeparator(std::u16string key) {
    while (!key.empty() && key.back() == u'\\') key.pop_back();
    return key;
}

}  // namespace

plat::Registry& settingsRegistry() {
    // A damaged settings file is set aside and what could be read is used; the log says so
    // once per damaged file, naming it and its copy.
    static const bool logsDamage = [] {
        plat::Registry::current().setDamageHandler([](const plat::RegDamage& damage) {
            WriteErrorLog(u"Settings file damaged: " + plat::utf8ToUtf16(damage.message()));
        });
        return true;
    }();
    (void)logsDamage;
    return plat::Registry::current();
}

std::u16string settingsKey(std::u16string_view subkey) {
    return withoutFinalSeparator(programState().road.ProgramKey + std::u16string(subkey));
}

void SaveRegString(std::u16string_view name, std::u16string_view text, std::u16string_view subkey) {
    plat::Registry& registry = settingsRegistry();
    const std::u16string key = settingsKey(subkey);
    const plat::RegStatus s =
        registry.setString(plat::utf16ToUtf8(key), plat::utf16ToUtf8(name), plat::utf16ToUtf8(text));
    if (s == plat::RegStatus::Ok) return;
    // The program goes on with the old value; the log tells why the setting did not stay.
    std::string why = plat::regStatusName(s);
    if (s == plat::RegStatus::IoError) why += ": " + registry.lastError();
    WriteErrorLog(u"Setting \"" + std::u16string(name) + u"\" of " + key + u" not saved (" + plat::utf8ToUtf16(why) +
                  u")");
}

void SaveRegNumber(std::u16string_view name, int32_t number, std::u16string_view subkey) {
    SaveRegString(name, decimal(number), subkey);
}

std::u16string GetRegString(std::u16string_view name, std::u16string_view defaultText, std::u16string_view subkey) {
    plat::RegValue value;
    const plat::RegStatus s =
        settingsRegistry().queryValue(plat::utf16ToUtf8(settingsKey(subkey)), plat::utf16ToUtf8(name), value);
    if (s != plat::RegStatus::Ok || value.data.empty()) return std::u16string(defaultText);
    if (value.type == plat::kRegDword) {
        const auto number = value.number();
        if (!number) return std::u16string(defaultText);
        return decimal(static_cast<int32_t>(*number));
    }
    return plat::utf8ToUtf16(value.text());
}

int32_t GetRegNumber(std::u16string_view name, int32_t defaultValue, std::u16string_view subkey) {
    return GetRegNumberIn(name, defaultValue, INT32_MIN, INT32_MAX, subkey);
}

int32_t GetRegNumberIn(std::u16string_view name, int32_t defaultValue, int32_t minimum, int32_t maximum,
                       std::u16string_view subkey) {
    const std::u16string text = GetRegString(name, decimal(defaultValue), subkey);
    const std::optional<int32_t> n = numberOf(text);
    if (!n || *n < minimum || *n > maximum) return fallBack(name, subkey, text, defaultValue);
    return *n;
}

int32_t GetRegBinary(std::u16string_view name, std::vector<uint8_t>& bytes, std::u16string_view key) {
    std::u16string fullKey;
    if (key.empty() || key.front() == u'\\')
        fullKey = settingsKey(key);
    else
        fullKey = withoutFinalSeparator(std::u16string(key));
    plat::RegValue value;
    const plat::RegStatus s = settingsRegistry().queryValue(plat::utf16ToUtf8(fullKey), plat::utf16ToUtf8(name), value);
    if (s != plat::RegStatus::Ok || value.type != plat::kRegBinary || value.data.empty()) return 0;
    bytes = value.data;
    bytes.push_back(0);
    return static_cast<int32_t>(value.data.size());
}

}  // namespace yov
