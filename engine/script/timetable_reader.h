// The timetable reader's records and state, shared by its parts: sources and raw reading
// (timetable_source.cpp), macro expansion (timetable_macro.cpp), conditions
// (timetable_condition.cpp), the line reader (timetable_line.cpp) and the exports
// (timetable.cpp).
//
// Records live in chunk stores and are plain data; a name is stored right behind its
// record. Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "engine/base/chunk_store.h"

namespace lvk::tt {

inline constexpr int kMaxName = 128;            // characters of a macro, parameter or option name
inline constexpr int kEnd = -1;                 // "no character": the end of all input
inline constexpr size_t kMaxSourceName = 4095;  // bytes of a file or text name kept for positions

// Allocation tags of the reader's records.
enum Tag : int32_t {
    kTagStream = 34081,
    kTagOption = 34082,
    kTagFileSource = 34083,
    kTagMacro = 34084,
    kTagParam = 34085,
    kTagArgSource = 34086,
    kTagMacroSource = 34087,
    kTagArgRecord = 34088,
};

enum SourceKind : uint8_t { kFile = 1, kText = 2, kMacroBody = 3, kMacroArg = 4 };

// A name of UTF-16 units stored behind its record.
template <class Record>
std::u16string_view NameOf(const Record* r) {
    return {reinterpret_cast<const char16_t*>(r + 1), r->nameLength};
}

struct Param {
    Param* next;
    uint8_t nameLength;
};

struct Macro {
    Macro* next;
    Param* params;
    const char16_t* bodyStart;
    const char16_t* bodyEnd;
    uint8_t nameLength;
};

struct Option {
    Option* next;
    int32_t value;
    uint8_t nameLength;
};

// One argument of a macro call; its text is the token stream that starts at text.
struct Arg {
    Arg* next;
    const char16_t* text;
};

struct Source {
    Source* next;
    uint8_t kind;
    int32_t line;
    int32_t column;
    // One character given back, delivered again unchanged (0 = none). Every kind keeps it
    // in this slot rather than stepping back in its text: a step back could land on a
    // stream link, and would count a line feed twice. The position goes back to where it
    // stood before that character and forward again when it is delivered.
    int32_t pushedBack;
    int32_t lineBefore, columnBefore;
    int32_t lineAfter, columnAfter;
    // Kinds 1 and 2: the last character delivered (0 = none yet). A source whose last line
    // has no line feed gets one at its end, so that an included file's last line is not
    // glued to the next line of the file that included it. A last line of blanks alone is no
    // line: it gets no line feed, so it invents no empty line (blankLine: only blanks since
    // the start or the last line feed).
    int32_t lastDelivered;
    int32_t blankLine;
    // Kind 1.
    FILE* file;
    // Kinds 2 to 4: the next unit. Kind 2: the end of the text.
    const char16_t* pos;
    const char16_t* end;
    // Kinds 3 and 4.
    const Macro* macro;
    const Arg* args;     // kind 3
    int32_t paramIndex;  // kind 4, 0 = first
    // Kinds 1 and 2.
    int32_t callerValue;
    uint32_t nameLength;  // 8-bit name behind the record, ended by 0
};

inline const char* SourceName(const Source* s) { return reinterpret_cast<const char*>(s + 1); }

struct Reader {
    ChunkStore definitions;
    Source* top = nullptr;
    Option* options = nullptr;
    Macro* macros = nullptr;
    int32_t defaultOption = -1;
    int32_t conditionDepth = 0;
    int32_t skipDepth = 0;
    int32_t definitionDepth = 0;
    bool noExpansion = false;
    int32_t pushedNoSource = 0;  // a character given back while no source was open

    // The line in hand.
    char16_t* out = nullptr;
    int32_t outLength = 0;
    int32_t outCapacity = 0;
    bool skipping = false;

    // Macro bodies and arguments open at once. A parameter is looked up through all of
    // them, so their number is bounded: a macro that calls itself ends with "Memory
    // overflow" quickly instead of slowly.
    int32_t macroNesting = 0;
    int32_t maxMacroNesting = 1024;

    // While a macro call's arguments are read, the source they come from may not end.
    const Source* argumentSource = nullptr;

    // Units taken from macro bodies and arguments while one line is read. A macro that calls
    // itself at its end reads on for ever in constant space; this ends it.
    uint64_t macroUnitLimit = uint64_t{1} << 22;
    uint64_t macroUnits = 0;

    // What the last GetTtLine reported: the macro table records it with each "$" macro.
    int32_t lastValue = 0;
    int32_t lastLine = 0;

    Reader();
};

Reader& R();

// Sources and raw reading (timetable_source.cpp).
// A source record above everything in the source store; LinkSource makes it the innermost.
// Kinds 1 and 2 store their 8-bit name behind the record (nameBytes without the 0).
Source* NewSource(SourceKind kind, size_t nameBytes, int32_t tag);
void LinkSource(Source* s);
// Pops the innermost source (closing its file, counting it off SharedState for kinds 1
// and 2) and releases its space with everything stored after it.
void PopSource();
// Closes every file and forgets every source, leaving the count in SharedState alone.
void DropAllSources();
// One character from the innermost source; raises -1 (or returns kEnd when endOk) when no
// source is left.
int RawChar(bool endOk = false);
// The next character of the innermost source only: kEnd when it has no more, and it stays
// open. A "%" reference is read with this, so that it ends where its source ends.
int RawCharInSource();
void PushBack(int c);
// The innermost file or text source, or null.
const Source* InnermostFileSource();

// Macro expansion (timetable_macro.cpp): the reader's character source.
int NextChar(bool endOk = false);

// Conditions (timetable_condition.cpp): evaluates the condition after "{" and gives the
// character that ended it.
int32_t EvalCondition(int& terminator);
const Option* FindOption(std::u16string_view name);

// The line reader (timetable_line.cpp): stores the caller's value and line of the
// innermost file or text source, then reads; the characters written, or raises.
int32_t ReadLine(int32_t* valueOut, int32_t* lineOut);

}  // namespace lvk::tt
