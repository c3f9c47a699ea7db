// Sources of the timetable reader and raw reading: one character at a time from the
// innermost source, with the file sources' byte rules.
#include <cstdio>

#include "engine/base/engine_state.h"
#include "engine/base/recovery.h"
#include "engine/script/source_store.h"
#include "engine/script/timetable_reader.h"
#include "platform/text.h"

namespace lvk::tt {

Reader::Reader() : definitions(35063, 35064, -11613, 1024) {}

Reader& R() {
    // Never destroyed: a destructor at exit would report its releases to a program that is
    // already gone.
    static Reader* reader = new Reader;
    return *reader;
}

Source* NewSource(SourceKind kind, size_t nameBytes, int32_t tag) {
    if ((kind == kMacroBody || kind == kMacroArg) && R().macroNesting >= R().maxMacroNesting) RaiseError(-11613);
    auto* s = SourceStore().New<Source>(tag, kind == kFile || kind == kText ? nameBytes + 1 : 0);
    s->kind = kind;
    return s;
}

void LinkSource(Source* s) {
    s->lineBefore = s->line;
    s->columnBefore = s->column;
    s->next = R().top;
    R().top = s;
    if (s->kind == kMacroBody || s->kind == kMacroArg) ++R().macroNesting;
}

void PopSource() {
    Reader& r = R();
    Source* s = r.top;
    if (s == nullptr) return;
    if (s->kind == kFile || s->kind == kText) {
        if (s->file != nullptr) std::fclose(s->file);
        s->file = nullptr;
        if (SharedState* shared = Shared(); shared != nullptr && shared->OpenSources > 0) --shared->OpenSources;
    }
    if (s->kind == kMacroBody || s->kind == kMacroArg) --r.macroNesting;
    r.top = s->next;
    SourceStore().ReleaseTo(s);
}

void DropAllSources() {
    Reader& r = R();
    for (Source* s = r.top; s != nullptr; s = s->next) {
        if (s->file != nullptr) std::fclose(s->file);
        s->file = nullptr;
    }
    r.top = nullptr;
    r.pushedNoSource = 0;
    r.macroNesting = 0;
}

const Source* InnermostFileSource() {
    for (const Source* s = R().top; s != nullptr; s = s->next)
        if (s->kind == kFile || s->kind == kText) return s;
    return nullptr;
}

namespace {

// The source has no more characters: it goes, unless it is the one a macro call's
// arguments are being read from: popping it would release the argument records just
// stored above it.
void EndOfSource(Source* s) {
    if (s == R().argumentSource) RaiseError(-11617);
    PopSource();
}

// Rules shared by file bytes and text units; kEnd means "dropped".
int TreatCode(Source* s, int code) {
    if (code == 9) {
        if (s->column % 8 != 0) s->column = (s->column / 8 + 1) * 8;
        return ' ';
    }
    if (code == 10) {
        // Column 0, as at the start of the source and in macro bodies, so that the first
        // character of every line is column 1.
        ++s->line;
        s->column = 0;
        return 10;
    }
    if (code == 0x8B || code == 0x9B || code < 32) return kEnd;
    return code;
}

int ReadFileCode(Source* s) {
    for (;;) {
        const int b = getc_unlocked(s->file);
        if (b == EOF) return kEnd;
        ++s->column;
        if (b == 0x87) {
            int code = 0;
            for (int i = 0; i < 4; ++i) {
                const int d = plat::hexDigitValue(getc_unlocked(s->file));
                if (d < 0) RaiseError(-11603);
                ++s->column;
                code = code * 16 + d;
            }
            if (code < 32) continue;
            return code;
        }
        const int c = TreatCode(s, b);
        if (c != kEnd) return c;
    }
}

int ReadTextCode(Source* s) {
    for (;;) {
        if (s->pos >= s->end) return kEnd;
        const char16_t u = *s->pos++;
        ++s->column;
        // A text is UTF-16 already: 0x87 is an ordinary character there, not an escape.
        const int c = TreatCode(s, u);
        if (c != kEnd) return c;
    }
}

// The next character of source s, or kEnd when s has no more (s stays open).
int ReadFrom(Source* s) {
    if (s->pushedBack != 0) {
        const int c = s->pushedBack;
        s->pushedBack = 0;
        s->line = s->lineAfter;
        s->column = s->columnAfter;
        return c;
    }
    s->lineBefore = s->line;
    s->columnBefore = s->column;
    switch (s->kind) {
    case kFile:
    case kText: {
        int c = s->kind == kFile ? ReadFileCode(s) : ReadTextCode(s);
        if (c == kEnd) {
            if (s->lastDelivered == 0 || s->lastDelivered == '\n' || s->blankLine) return kEnd;
            c = '\n';
        }
        s->blankLine = c == ' ' && (s->lastDelivered == 0 || s->lastDelivered == '\n' || s->blankLine);
        s->lastDelivered = c;
        return c;
    }
    default: {
        Reader& r = R();
        if (++r.macroUnits > r.macroUnitLimit) RaiseError(-11611);
        const char16_t u = StreamNext(s->pos);
        if (u == kStreamEnd) {
            --s->pos;
            return kEnd;
        }
        ++s->column;
        if (u == 10 && s->kind == kMacroBody) {
            ++s->line;
            s->column = 0;
        }
        return u;
    }
    }
}

}  // namespace

int RawChar(bool endOk) {
    Reader& r = R();
    if (r.pushedNoSource != 0) {
        const int c = r.pushedNoSource;
        r.pushedNoSource = 0;
        return c;
    }
    for (;;) {
        Source* s = r.top;
        if (s == nullptr) {
            if (endOk) return kEnd;
            RaiseError(-1);
        }
        const int c = ReadFrom(s);
        if (c != kEnd) return c;
        EndOfSource(s);
    }
}

int RawCharInSource() {
    Reader& r = R();
    if (r.pushedNoSource != 0) {
        const int c = r.pushedNoSource;
        r.pushedNoSource = 0;
        return c;
    }
    return r.top == nullptr ? kEnd : ReadFrom(r.top);
}

void PushBack(int c) {
    if (c == kEnd || c == 0) return;
    Reader& r = R();
    Source* s = r.top;
    if (s == nullptr) {
        r.pushedNoSource = c;
        return;
    }
    s->pushedBack = c;
    s->lineAfter = s->line;
    s->columnAfter = s->column;
    s->line = s->lineBefore;
    s->column = s->columnBefore;
}

}  // namespace lvk::tt
