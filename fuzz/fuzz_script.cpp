// The program's scene-script reader over arbitrary script text, with the engine's timetable
// reader and macro table behind it: keywords, blocks, includes (of the script itself too),
// and the section records built from them.
//
// Input: byte 0 picks the mode (bit 0 header mode, bit 1 the script includes itself
// first, bit 2 the script requires itself at its end); the rest is the script, one byte
// per character. Failed reads are expected; a crash, a hang past the reader's limits, or
// records that do not fit their tables are findings. The read's report, the stock a script
// names and the picture cache are left out: a run shows no message box, loads no stock and
// opens no cache file.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_events.h"
#include "program/core/startup/installed.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "scratch_folder.h"
#include "tests/program/script_reader_alone.h"

namespace {

std::string g_file;
program_test::AnsweringMsgBox* answeredBoxes = nullptr;

void Setup() {
    g_file = (ScratchFolder("fuzz_script") / "fuzz.ttt").string();
    answeredBoxes = &program_test::PrepareScriptReaderAlone();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    answeredBoxes->requests.clear();  // only this input's boxes are kept
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    {
        std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
        if (mode & 0x02) out << "$INCLUDE fuzz.ttt\n";
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        if (mode & 0x04) out << "\n$REQUIRE fuzz.ttt\n";
    }

    yov::ScriptReader& reader = yov::scriptReader();
    reader.ReadScript(plat::utf8ToUtf16(g_file), mode & 0x01);
    yov::lv::MacFree();

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
