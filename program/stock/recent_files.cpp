#include "program/stock/recent_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/settings.h"
#include "program/core/settings/split_file_path.h"

namespace yov {

namespace {

constexpr int32_t kGrowth = 10;

const std::u16string& instanceKey() { return programState().road.InstanceLetter; }

void ensureCapacity(RecentList& list, int32_t count) {
    if (count <= list.capacity && static_cast<int32_t>(list.items.size()) > count) return;
    list.capacity = std::max(list.capacity, count + kGrowth);
    list.items.resize(static_cast<size_t>(list.capacity) + 1);
}

// Found as Windows would find it: any letter case, "\" or "/" separators.
bool canOpen(std::u16string_view name) {
    const std::string path = openPath(name);
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // A folder opens for reading here, not on Windows: it is no file to list.
    const bool file = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return file;
}

// Entries differing only in letter case are one entry, as when names were kept upper-cased:
// a list an earlier version wrote in capitals takes the names as now spelled.
int32_t indexOf(const RecentList& list, std::u16string_view name) {
    for (int32_t k = 1; k <= list.count; ++k) {
        if (plat::equalsNoCase(list.items[static_cast<size_t>(k)], name)) return k;
    }
    return 0;
}

}  // namespace

std::array<RecentList, 2>& recentLists() {
    static std::array<RecentList, 2> lists = [] {
        std::array<RecentList, 2> named;
        named[kScriptList].prefix = u"Conf";
        named[kStockList].prefix = u"Stock";
        return named;
    }();
    return lists;
}

std::u16string RecentValueName(const RecentList& list, int32_t i) {
    std::string digits = std::to_string(i);
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return list.prefix + plat::widen(digits);
}

bool LoadRecentList(RecentList& list) {
    list.count = 0;
    bool repeats = false;
    for (int32_t i = 1;; ++i) {
        const std::u16string value = GetRegString(RecentValueName(list, i), u"", instanceKey());
        if (value.empty()) break;
        if (indexOf(list, value) != 0) {
            repeats = true;
            continue;
        }
        ensureCapacity(list, list.count + 1);
        list.items[static_cast<size_t>(++list.count)] = value;
    }
    return repeats;
}

uint8_t AddRecentFile(std::u16string_view name, RecentList& list) {
    const std::u16string u(name);
    int32_t k = indexOf(list, u);
    if (!canOpen(u)) {
        list.lastAddFound = 0;
        if (k == 0) return kRecentNotFound;
        list.items.erase(list.items.begin() + k);
        list.items.emplace_back();
        --list.count;
        return kRecentRemoved;
    }
    list.lastAddFound = 1;
    if (k == 0) {
        ensureCapacity(list, list.count + 1);
        k = ++list.count;
    }
    for (int32_t j = k - 1; j >= 1; --j) list.items[static_cast<size_t>(j) + 1] = list.items[static_cast<size_t>(j)];
    list.items[1] = u;
    return kRecentAdded;
}

void SaveRecentList(RecentList& list) {
    for (int32_t i = 1; i <= list.count; ++i)
        SaveRegString(RecentValueName(list, i), list.items[static_cast<size_t>(i)], instanceKey());
    const std::u16string after = RecentValueName(list, list.count + 1);
    if (!GetRegString(after, u"", instanceKey()).empty()) SaveRegString(after, u"", instanceKey());
}

}  // namespace yov
