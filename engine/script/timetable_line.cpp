// Logical lines: comments and "$" lines, strings, "/*" comments, continuations and the
// conditionals in braces, written into the caller's buffer.
#include "engine/base/recovery.h"
#include "engine/script/timetable_reader.h"

namespace lvk::tt {
namespace {

void Write(int c) {
    Reader& r = R();
    if (r.skipping) return;
    if (r.outLength >= r.outCapacity) RaiseError(-11611);
    r.out[r.outLength++] = static_cast<char16_t>(c);
}

// The rest of the line as written: "%" stays "%" here, so a comment or "$INFO" text never
// defines or expands a macro.
void CopyRestOfLine() {
    Reader& r = R();
    r.noExpansion = true;
    for (;;) {
        const int c = NextChar(true);
        if (c == kEnd || c == '\n') break;
        Write(c);
    }
    r.noExpansion = false;
}

void CopyString() {
    Write('"');
    for (;;) {
        const int c = NextChar();
        if (c == '"') {
            Write('"');
            return;
        }
        if (c == '\n') RaiseError(-11610);
        if (c == '\\') {
            const int d = NextChar();
            if (d == '\n') continue;  // the string goes on in the next line
            Write('\\');
            Write(d);
            continue;
        }
        Write(c);
    }
}

void SkipComment() {
    int previous = 0;
    for (;;) {
        const int c = NextChar();
        if (previous == '*' && c == '/') return;
        previous = c;
    }
}

// Reads without writing up to the "?" that lets an else-part through or the "}" that closes
// the conditional; definitions met on the way still take effect.
void Skip() {
    Reader& r = R();
    r.skipDepth = 1;
    r.skipping = true;
    for (;;) {
        const int c = NextChar();
        if (c == '"') {
            CopyString();
        } else if (c == '{') {
            ++r.skipDepth;
        } else if (c == '?') {
            if (r.skipDepth == 1) {
                r.skipDepth = 0;
                break;
            }
        } else if (c == '}') {
            if (--r.skipDepth == 0) {
                --r.conditionDepth;
                break;
            }
        }
    }
    r.skipping = false;
}

bool IsInfoWord(const char16_t* word, int32_t length) {
    if (length != 4) return false;
    const char16_t* info = u"INFO";
    for (int i = 0; i < 4; ++i) {
        char16_t c = word[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 32);
        if (c != info[i]) return false;
    }
    return true;
}

int32_t ProcessRest(int c) {
    Reader& r = R();
    for (;;) {
        switch (c) {
        case '\n': return r.outLength;
        case ' ':
            if (r.outLength > 0) Write(' ');
            break;
        case '"': CopyString(); break;
        case '/': {
            const int d = NextChar(true);
            if (d == '*') {
                SkipComment();
                break;
            }
            Write('/');
            if (d == kEnd) RaiseError(-1);
            c = d;
            continue;
        }
        case '\\': {
            const int d = NextChar(true);
            if (d == '\n') {
                while (r.outLength > 0 && r.out[r.outLength - 1] == ' ') --r.outLength;
                Write(' ');
                do c = NextChar();
                while (c == ' ');
                continue;
            }
            Write('\\');
            if (d == kEnd) RaiseError(-1);
            Write(d);
            break;
        }
        case '{': {
            int terminator = 0;
            const int32_t v = EvalCondition(terminator);
            if (terminator == '}') break;
            if (terminator != '?') RaiseError(-11609);
            ++r.conditionDepth;
            if (v == 0) Skip();
            break;
        }
        case '?':
            if (r.conditionDepth < 1) RaiseError(-11612);
            Skip();
            break;
        case '}':
            if (r.conditionDepth < 1) RaiseError(-11612);
            --r.conditionDepth;
            break;
        default: Write(c);
        }
        c = NextChar();
    }
}

}  // namespace

int32_t ReadLine(int32_t* valueOut, int32_t* lineOut) {
    Reader& r = R();
    int c = NextChar();
    while (c == ' ') c = NextChar();

    const Source* f = InnermostFileSource();
    r.lastValue = f != nullptr ? f->callerValue : 0;
    r.lastLine = f != nullptr ? f->line : 0;
    if (valueOut != nullptr) *valueOut = r.lastValue;
    if (lineOut != nullptr) *lineOut = r.lastLine;

    if (c == '#' || c == '*' || c == '/' || c == ';') {
        Write(c);
        CopyRestOfLine();
        return r.outLength;
    }
    if (c == '$') {
        Write('$');
        const int32_t wordStart = r.outLength;
        for (;;) {
            c = NextChar(true);
            if (c == kEnd || c == '\n') return r.outLength;
            if (c == ' ') break;
            Write(c);
        }
        const bool info = IsInfoWord(r.out + wordStart, r.outLength - wordStart);
        Write(' ');
        if (info) {
            CopyRestOfLine();
            return r.outLength;
        }
        c = NextChar();
    }
    return ProcessRest(c);
}

}  // namespace lvk::tt
