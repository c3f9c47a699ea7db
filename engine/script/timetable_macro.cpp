// The reader's character source: raw characters with "%" macros expanded, definitions
// ("%DEF", "%DEFINE", "%DEFMAC") stored, and parameters of the bodies being expanded.
#include <string_view>

#include "engine/base/recovery.h"
#include "engine/script/source_store.h"
#include "engine/script/timetable_reader.h"

namespace lvk::tt {
namespace {

bool IsLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameStart(int c) { return IsLetter(c) || c == '_'; }
bool IsNameChar(int c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

struct NameBuffer {
    char16_t units[kMaxName];
    int length = 0;
    std::u16string_view view() const { return {units, static_cast<size_t>(length)}; }
    void add(int c, int32_t tooLongCode) {
        if (length == kMaxName) RaiseError(tooLongCode);
        units[length++] = static_cast<char16_t>(c);
    }
};

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char16_t>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool IsDefinitionKeyword(std::u16string_view name) {
    return EqualsNoCase(name, u"DEF") || EqualsNoCase(name, u"DEFINE") || EqualsNoCase(name, u"DEFMAC");
}

template <class Record>
void StoreName(Record* r, std::u16string_view name) {
    auto* units = reinterpret_cast<char16_t*>(r + 1);
    for (size_t i = 0; i < name.size(); ++i) units[i] = name[i];
    r->nameLength = static_cast<uint8_t>(name.size());
}

int SkipBlanks(int c) {
    while (c == ' ') c = NextChar();
    return c;
}

// Reads a name whose first character is c; gives the character that ended it.
int ReadName(int c, NameBuffer& name, int32_t tooLongCode) {
    name.add(c, tooLongCode);
    for (;;) {
        c = NextChar();
        if (!IsNameChar(c)) return c;
        name.add(c, tooLongCode);
    }
}

// "(" a, b, ... ")" after a macro name; c is the "(".
Param* ReadParameters() {
    Reader& r = R();
    Param* first = nullptr;
    Param** tail = &first;
    for (;;) {
        int c = SkipBlanks(NextChar());
        if (c == ')') return first;
        if (c == ',') continue;  // an empty entry
        if (!IsNameChar(c)) RaiseError(-11627);
        NameBuffer name;
        c = SkipBlanks(ReadName(c, name, -11626));
        auto* p = r.definitions.New<Param>(kTagParam, name.length * sizeof(char16_t));
        StoreName(p, name.view());
        *tail = p;
        tail = &p->next;
        if (c == ')') return first;
        if (c != ',') RaiseError(-11627);
    }
}

// A definition, after "%", the keyword and the character c that ended the keyword.
void ReadDefinition(bool starred, int c) {
    Reader& r = R();
    if (r.definitionDepth > 0) RaiseError(-11630);
    r.definitionDepth = 1;
    r.noExpansion = true;

    c = SkipBlanks(c);
    if (c != '(') RaiseError(-11623);
    c = SkipBlanks(NextChar());
    if (!IsNameStart(c)) RaiseError(-11624);
    NameBuffer name;
    c = SkipBlanks(ReadName(c, name, -11625));
    auto* m = r.definitions.New<Macro>(kTagMacro, name.length * sizeof(char16_t));
    StoreName(m, name.view());
    if (c == '(') {
        m->params = ReadParameters();
        c = NextChar();
    }

    r.noExpansion = starred;
    c = SkipBlanks(c);
    if (c != '=') RaiseError(-11629);

    m->bodyStart = r.definitions.BeginStream(kTagStream);
    int depth = 0;
    for (;;) {
        c = NextChar();
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) break;
            --depth;
        }
        r.definitions.PutToken(static_cast<char16_t>(c), kTagStream);
    }
    m->bodyEnd = r.definitions.EndStream(kTagStream);
    r.noExpansion = false;
    r.definitionDepth = 0;
    // Visible from here on: a reference to itself inside its own body (read without "*")
    // meant an earlier definition, and the half-written body must never be read.
    m->next = r.macros;
    r.macros = m;
}

// The arguments of a macro call up to the ")" that matches the "(" just read, stored above
// the call's source record. The source they are read from must not end meanwhile.
const Arg* ReadArguments() {
    Reader& r = R();
    ChunkStore& store = SourceStore();
    struct Guard {
        Reader& r;
        ~Guard() { r.argumentSource = nullptr; }
    } guard{r};
    r.argumentSource = r.top;

    Arg* first = nullptr;
    Arg** tail = &first;
    auto begin = [&] {
        auto* a = store.New<Arg>(kTagArgRecord);
        a->text = store.BeginStream(kTagArgRecord);
        *tail = a;
        tail = &a->next;
    };
    begin();
    int depth = 0;
    for (;;) {
        const int c = RawChar();
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth == 0) break;
            --depth;
        } else if (c == ',' && depth == 0) {
            store.EndStream(kTagArgRecord);
            begin();
            continue;
        }
        store.PutToken(static_cast<char16_t>(c), kTagArgRecord);
    }
    store.EndStream(kTagArgRecord);
    return first;
}

// A parameter of a body being expanded (innermost first): its argument is read next.
bool ExpandParameter(std::u16string_view name, int terminator) {
    for (const Source* s = R().top; s != nullptr; s = s->next) {
        if (s->kind != kMacroBody) continue;
        int32_t index = 0;
        for (const Param* p = s->macro->params; p != nullptr; p = p->next, ++index) {
            if (NameOf(p) != name) continue;
            if (terminator != ';') PushBack(terminator);
            const Arg* a = s->args;
            for (int32_t i = 0; i < index && a != nullptr; ++i) a = a->next;
            if (a != nullptr) {
                Source* arg = NewSource(kMacroArg, 0, kTagArgSource);
                arg->macro = s->macro;
                arg->paramIndex = index;
                arg->pos = a->text;
                arg->line = 1;
                LinkSource(arg);
            }
            return true;
        }
    }
    return false;
}

bool ExpandMacro(std::u16string_view name, int terminator) {
    const Macro* m = R().macros;
    while (m != nullptr && NameOf(m) != name) m = m->next;
    if (m == nullptr) return false;
    Source* s = NewSource(kMacroBody, 0, kTagMacroSource);
    s->macro = m;
    s->pos = m->bodyStart;
    if (terminator == '(') {
        try {
            s->args = ReadArguments();
        } catch (...) {
            SourceStore().ReleaseTo(s);
            throw;
        }
    } else if (terminator != ';') {
        PushBack(terminator);
    }
    LinkSource(s);
    return true;
}

}  // namespace

int NextChar(bool endOk) {
    Reader& r = R();
    for (;;) {
        const int c = RawChar(endOk);
        if (c != '%' || r.noExpansion) return c;
        // The reference ends where the source of its "%" ends: a parameter named at the very
        // end of a body is still looked up while that body is open.
        int next = RawCharInSource();
        if (next == kEnd || next == '%') return '%';
        const bool starred = next == '*';
        if (starred) {
            next = RawCharInSource();
            if (next == kEnd) return '%';
        }
        if (!IsNameStart(next)) {
            PushBack(next);
            return '%';
        }
        NameBuffer name;
        name.add(next, -11616);
        int terminator;
        while (IsNameChar(terminator = RawCharInSource())) name.add(terminator, -11616);

        if (IsDefinitionKeyword(name.view())) {
            if (terminator == kEnd) RaiseError(-11623);
            ReadDefinition(starred, terminator);
        } else if (!ExpandParameter(name.view(), terminator)) {
            // Neither parameter nor macro: the name goes, with the character that ended it.
            ExpandMacro(name.view(), terminator);
        }
    }
}

}  // namespace lvk::tt
