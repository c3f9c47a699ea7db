// The timetable reader's exports: the lexical layer of the scene script.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/base/byte_source.h"
#include "engine/base/engine_state.h"
#include "engine/base/recovery.h"
#include "engine/script/source_store.h"
#include "engine/script/timetable_reader.h"
#include "lumvatek/exports.h"

using namespace lvk;
using namespace lvk::tt;

namespace {

void ResetState(Reader& r) {
    r.options = nullptr;
    r.macros = nullptr;
    r.defaultOption = -1;
    r.conditionDepth = 0;
    r.skipDepth = 0;
    r.definitionDepth = 0;
    r.noExpansion = false;
    r.skipping = false;
    r.argumentSource = nullptr;
}

// Scripts written on Windows spell their includes with "\" and in any case. A folder is
// refused here: opened as a stream it would read as an empty script.
FILE* OpenForReading(const char* name) {
    int fd = -1;
    uint64_t size = 0;
    if (lvk::OpenForReading(name, fd, size) != 0) return nullptr;
    FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) ::close(fd);
    return f;
}

}  // namespace

LvResult InitTtRead() noexcept {
    Reader& r = R();
    // Files still open from an earlier reading are closed rather than lost.
    DropAllSources();
    ResetState(r);
    r.definitions.Rewind();
    SourceStore().Rewind();
    return 0;
}

LvResult FinishTtRead() noexcept {
    Reader& r = R();
    DropAllSources();
    r.options = nullptr;
    r.macros = nullptr;
    r.definitions.FreeAll();
    SourceStore().FreeAll();
    return 0;
}

LvResult SetTtOption(const char16_t* name, int32_t value) noexcept {
    return RecoveryPoint(-11613, [&]() -> int32_t {
        const int32_t length = LvTextLength(name);
        if (length <= 0) return -11601;
        if (length > kMaxName) return -11602;
        Reader& r = R();
        if (length == 1 && name[0] == u'=') {
            r.defaultOption = value;
            return 0;
        }
        const std::u16string_view key(name, static_cast<size_t>(length));
        if (auto* o = const_cast<Option*>(FindOption(key))) {
            o->value = value;
            return 0;
        }
        auto* o = r.definitions.New<Option>(kTagOption, key.size() * sizeof(char16_t));
        std::memcpy(o + 1, key.data(), key.size() * sizeof(char16_t));
        o->nameLength = static_cast<uint8_t>(key.size());
        o->value = value;
        o->next = r.options;
        r.options = o;
        return 0;
    });
}

LvResult OpenTtFile(const char* name, int32_t value, const char16_t* text) noexcept {
    FILE* file = nullptr;
    if (text == nullptr) {
        file = OpenForReading(name);
        if (file == nullptr) return -1;
    }
    const int32_t result = RecoveryPoint(-11613, [&]() -> int32_t {
        const size_t nameBytes = name == nullptr ? 0 : std::min(std::strlen(name), kMaxSourceName);
        Source* s = NewSource(text == nullptr ? kFile : kText, nameBytes, kTagFileSource);
        if (nameBytes > 0) std::memcpy(s + 1, name, nameBytes);
        s->nameLength = static_cast<uint32_t>(nameBytes);
        s->line = 1;
        s->callerValue = value;
        if (text == nullptr) {
            s->file = file;
        } else {
            s->pos = text;
            s->end = text + LvTextLength(text);
        }
        LinkSource(s);
        file = nullptr;
        if (SharedState* shared = Shared(); shared != nullptr && shared->OpenSources < 255) ++shared->OpenSources;
        return 0;
    });
    if (file != nullptr) std::fclose(file);
    return result;
}

LvResult TtFileClose() noexcept {
    if (InnermostFileSource() == nullptr) return -1;
    return RecoveryPoint(-11613, []() -> int32_t {
        for (;;) {
            const uint8_t kind = R().top->kind;
            PopSource();
            if (kind == kFile || kind == kText) return 0;
        }
    });
}

LvResult GetTtLine(char16_t* buffer, int32_t* valueOut, int32_t* lineOut) noexcept {
    Reader& r = R();
    r.out = buffer;
    r.outLength = 0;
    r.outCapacity = buffer == nullptr ? 0 : LvTextLength(buffer);
    r.noExpansion = false;
    r.skipping = false;
    r.argumentSource = nullptr;
    r.macroUnits = 0;
    const int32_t result = RecoveryPoint(-11613, [&]() -> int32_t {
        if (r.top == nullptr && r.pushedNoSource == 0) return -1;
        return ReadLine(valueOut, lineOut);
    });
    // The end of all input ends the line in hand.
    if (result == -1 && r.outLength > 0) return r.outLength;
    return result;
}

LvResult GetTtPosition(int32_t level, int32_t* kindOut, char16_t* nameOut, int32_t nameCapacity, int32_t* lineOut,
                       int32_t* columnOut, int32_t* paramIndexOut) noexcept {
    if (level < 0) return -1;
    const Source* s = R().top;
    for (int32_t i = 0; i < level && s != nullptr; ++i) s = s->next;
    if (s == nullptr) return -1;

    std::u16string name;
    if (s->kind == kFile || s->kind == kText) {
        const char* bytes = SourceName(s);
        for (uint32_t i = 0; i < s->nameLength; ++i)
            name += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    } else {
        name = NameOf(s->macro);
    }
    int32_t written = 0;
    if (nameOut != nullptr && nameCapacity > 0) {
        written = std::min<int32_t>(static_cast<int32_t>(name.size()), nameCapacity - 1);
        std::memcpy(nameOut, name.data(), static_cast<size_t>(written) * sizeof(char16_t));
        nameOut[written] = 0;
    }
    if (kindOut != nullptr) *kindOut = s->kind;
    if (lineOut != nullptr) *lineOut = s->line;
    if (columnOut != nullptr) *columnOut = s->column;
    if (paramIndexOut != nullptr) *paramIndexOut = s->kind == kMacroArg ? s->paramIndex : 0;
    return written;
}
