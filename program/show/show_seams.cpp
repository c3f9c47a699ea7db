#include "program/show/show_seams.h"

#include <set>

#include "program/core/windows/window_dispatch.h"

namespace yov {

ShowSeams& showSeams() {
    static ShowSeams seams;
    return seams;
}

void NoteMissingSeam(std::u16string_view name) {
    // Once per name: some of these are reached every frame.
    static std::set<std::u16string, std::less<>> noted;
    if (!noted.emplace(name).second) return;
    ReportNotAvailable(name);
}

}  // namespace yov
