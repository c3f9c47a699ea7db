// The two lists of recently used files, kept in the settings under the instance's key: scene
// scripts ("Conf01", "Conf02", ...) and stock files ("Stock01", ...). Entry 1 of each is the
// file in use. Names are stored as written; they are resolved (any letter case, "\" or "/")
// only when a file is opened, and two names differing only in letter case are one entry (the
// later spelling stays).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yov {

struct RecentList {
    std::vector<std::u16string> items;  // entries 1..count used; index 0 unused
    int32_t count = 0;
    int32_t capacity = 0;      // highest index items holds
    std::u16string prefix;     // "Conf" or "Stock"
    uint8_t lastAddFound = 0;  // the last AddRecentFile could open its file
};

inline constexpr int kScriptList = 0;
inline constexpr int kStockList = 1;

// Index 0 scene scripts ("Conf"), 1 stock files ("Stock").
std::array<RecentList, 2>& recentLists();

// The value name of entry i: the prefix and i in two digits at least ("Conf01", "Conf100").
std::u16string RecentValueName(const RecentList& list, int32_t i);

// Reads the list up to the first missing or empty value, skipping repeats (in any letter case).
// True when a repeat was skipped.
bool LoadRecentList(RecentList& list);

// Results of AddRecentFile.
inline constexpr uint8_t kRecentAdded = 4;     // the file is at the top now
inline constexpr uint8_t kRecentRemoved = 2;   // cannot be opened; its entry was removed
inline constexpr uint8_t kRecentNotFound = 0;  // cannot be opened and was not listed

uint8_t AddRecentFile(std::u16string_view name, RecentList& list);

// Writes entries 1..count and empties the value after the last, so the list ends there.
void SaveRecentList(RecentList& list);

}  // namespace yov
