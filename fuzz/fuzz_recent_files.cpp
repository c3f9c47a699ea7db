// Settings files of any bytes read into the two lists of recently used files (scene scripts
// "Conf01".., stock files "Stock01"..), as the program reads them at start: each list is
// loaded, its last entry and a file that exists are added again, and it is saved. What was
// saved must load back as the same list, unless the settings file was damaged beyond
// keeping a copy (then writes are refused). A crash or a hang is a finding too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/stock/recent_files.h"
#include "scratch_folder.h"

namespace {

std::filesystem::path g_home;

void Setup() {
    g_home = ScratchFolder("fuzz_recent_files");
    yov::ProgramState& st = yov::programState();
    st.road.ProgramKey = u"Software\\Vantrel\\Yov";
    st.files.ErrorLogPath = u"/dev/null";
    yov::recentLists()[yov::kScriptList].prefix = u"Conf";
    yov::recentLists()[yov::kStockList].prefix = u"Stock";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    // A fresh folder each time: a damaged file leaves its copy beside it.
    std::filesystem::remove_all(g_home);
    std::filesystem::create_directories(g_home);
    const std::filesystem::path file = g_home / "registry.reg";
    FILE* f = std::fopen(file.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    plat::Registry& registry = yov::settingsRegistry();
    registry.reopen(g_home);

    for (yov::RecentList& list : yov::recentLists()) {
        yov::LoadRecentList(list);
        if (list.count > 0) yov::AddRecentFile(list.items[static_cast<size_t>(list.count)], list);
        yov::AddRecentFile(plat::utf8ToUtf16(file.string()), list);
        yov::SaveRecentList(list);
        if (!registry.lastError().empty() || registry.lastDamage()) continue;
        yov::RecentList again;
        again.prefix = list.prefix;
        yov::LoadRecentList(again);
        if (again.count != list.count) std::abort();
        for (int32_t i = 1; i <= list.count; ++i)
            if (again.items[static_cast<size_t>(i)] != list.items[static_cast<size_t>(i)]) std::abort();
    }
    return 0;
}
