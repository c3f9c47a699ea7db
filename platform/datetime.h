// The log's time stamp "yyyy.mmm.dd hh:nn'ss" ("2026.Dec.09 21:46'30"): English
// month abbreviations and a 24-hour clock whatever the locale.
#pragma once

#include <ctime>
#include <string>

namespace plat {

// From broken-down time as it stands (no normalisation). A month outside
// 0..11 is written "???" rather than read out of bounds.
std::string formatLogStamp(const std::tm& t);

// The moment in local time.
std::string formatLogStamp(std::time_t when);

}  // namespace plat
