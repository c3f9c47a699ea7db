#include "platform/datetime.h"

#include <array>
#include <cstdio>

namespace plat {

std::string formatLogStamp(const std::tm& t) {
    static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = (t.tm_mon >= 0 && t.tm_mon < 12) ? kMonths[static_cast<std::size_t>(t.tm_mon)] : "???";
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04lld.%s.%02d %02d:%02d'%02d", static_cast<long long>(t.tm_year) + 1900,
                  month, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string formatLogStamp(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return formatLogStamp(std::tm{});
    return formatLogStamp(local);
}

}  // namespace plat
