// The scene-script reader over arbitrary script text with the engine's timetable reader
// and macro table linked in: keywords, blocks, includes (of the script itself too), and
// the section records built from them.
//
// Input: byte 0 picks the mode (bit 0 header mode, bit 1 the script includes itself
// first, bit 2 the script requires itself at its end); the rest is the script, one byte
// per character. Failed reads are expected; a crash, a hang past the reader's limits, or
// records that do not fit their tables are findings.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "platform/codepage.h"
#include "program/scene/script_reader_direct.h"

namespace {

const std::string& ScriptPath() {
    static const std::string path = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("yov_fuzz_script_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return (dir / "fuzz.ttt").string();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static SharedState shared;
    lvk::BindShared(&shared, nullptr);
    const uint8_t mode = data[0];
    {
        std::ofstream out(ScriptPath(), std::ios::binary | std::ios::trunc);
        if (mode & 0x02) out << "$INCLUDE fuzz.ttt\n";
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        if (mode & 0x04) out << "\n$REQUIRE fuzz.ttt\n";
    }

    yov::DirectScriptReader direct;
    yov::ScriptReader& reader = direct.reader;

    reader.ReadScript(plat::utf8ToUtf16(ScriptPath()), mode & 0x01);
    MacFree();

    const yov::SceneScript& s = reader.S;
    if (s.MemberCount >= static_cast<int32_t>(s.Members.size())) std::abort();
    if (s.SectionFill >= static_cast<int32_t>(s.Sections.size())) std::abort();
    if (s.PoolCount >= static_cast<int32_t>(s.Pools.size())) std::abort();
    if (s.OptionLevel < 0 || s.OptionLevel > yov::kMaxOptionLevel) std::abort();
    for (int32_t i = 1; i <= s.SectionFill; ++i) {
        const yov::SectRec& r = s.Sections[static_cast<size_t>(i)];
        if (r.Parent < 0 || r.Parent >= i || r.Last > s.MemberCount) std::abort();
    }
    return 0;
}
