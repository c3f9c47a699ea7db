// The timetable reader over arbitrary script text and option settings.
//
// Input: byte 0 chooses the source (bit 0: a file, else a text), the line buffer's
// capacity (bits 1-3) and whether a second text is opened between lines (bit 4); bytes 1
// to 4 set the options "A", "B", "C" and the default option value (0xFF = leave unset);
// the rest is the script. Work is bounded per line by the reader itself (macro text per
// line, macro nesting); the bounds are lowered here so that each input runs quickly.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "engine/base/engine_state.h"
#include "engine/script/timetable_reader.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

char16_t* Text(const std::u16string& s) { return LvTextAlloc(s); }

void SetOption(const char16_t* name, uint8_t byte) {
    if (byte == 0xFF) return;
    char16_t* n = Text(name);
    SetTtOption(n, static_cast<int8_t>(byte));
    LvTextFree(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    static SharedState shared;
    lvk::BindShared(&shared, nullptr);
    InitTtRead();
    lvk::tt::R().macroUnitLimit = 1 << 16;
    lvk::tt::R().maxMacroNesting = 64;

    const uint8_t mode = data[0];
    SetOption(u"A", data[1]);
    SetOption(u"B", data[2]);
    SetOption(u"C", data[3]);
    SetOption(u"=", data[4]);
    const uint8_t* script = data + 5;
    const size_t length = size - 5;

    // Bytes become units; 0xC0-0xFF take the next byte as a high byte, for characters
    // beyond Latin-1 in text sources.
    std::u16string units;
    for (size_t i = 0; i < length; ++i) {
        if (script[i] >= 0xC0 && i + 1 < length) {
            units += static_cast<char16_t>(script[i + 1] << 8 | script[i]);
            ++i;
        } else {
            units += static_cast<char16_t>(script[i]);
        }
    }
    char16_t* text = Text(units);
    std::string path;
    if (mode & 1) {
        path = "/tmp/fuzz_timetable_" + std::to_string(getpid());
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(script, 1, length, f);
            std::fclose(f);
        }
        OpenTtFile(path.c_str(), 1, nullptr);
    } else {
        OpenTtFile("fuzz", 1, text);
    }

    const int32_t capacity = 4 << ((mode >> 1) & 7);
    char16_t* buffer = Text(std::u16string(static_cast<size_t>(capacity), u' '));
    char16_t* inner = Text(u"%DEF(Z=1){Z?in}\n");
    char16_t name[64];
    for (int lines = 0; lines < 2000; ++lines) {
        int32_t value = 0, line = 0;
        const int32_t n = GetTtLine(buffer, &value, &line);
        if (n < -1) {
            for (int level = 0; level < 100; ++level) {
                int32_t kind, l, c, p;
                if (GetTtPosition(level, &kind, name, 64, &l, &c, &p) < 0) break;
            }
        }
        if (n == -1) break;
        if (lines == 1 && (mode & 0x10)) OpenTtFile("inner", 2, inner);
        if (lines == 3 && (mode & 0x20)) TtFileClose();
    }
    FinishTtRead();
    LvTextFree(buffer);
    LvTextFree(inner);
    LvTextFree(text);
    if (!path.empty()) std::remove(path.c_str());
    lvk::BindShared(nullptr, nullptr);
    return 0;
}
