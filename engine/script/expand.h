// The expansion engine's inner parts: pattern nodes (expand_parse.cpp), generation of
// output items (expand_generate.cpp), names, commands and the type bookkeeping
// (expand_names.cpp); ExpandS itself and the error report are in expand.cpp.
//
// Nodes, items and joined names live in the source store above whatever the timetable
// reader holds there; ExpandS releases the store to its entry mark when it ends.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/base/chunk_store.h"

namespace lvk::expand {

// Node kinds: an operator is its own character.
enum NodeKind : int32_t {
    kEndNode = 0,
    kNameNode = 0x10000,
    kNumberNode = 0x20000,
    kModifierNode = 0x40000,
    kGroupNode = 0x80000,
};

struct Node {
    int32_t kind;
    Node* next;
    const char16_t* start;  // names, numbers and modifiers (with their brackets)
    const char16_t* end;
    Node* first;  // groups
    Node* last;
    std::u16string_view Text() const { return {start, static_cast<size_t>(end - start)}; }
};

// A node range: from first up to, not including, stop (null = to the end of the list).
struct Range {
    Node* first;
    Node* stop;
};

// A piece of text in a list kept newest first, so that lists can be shared by copies.
struct Piece {
    Piece* next;
    const char16_t* start;
    const char16_t* end;
};

enum ItemFlag : int32_t { kNameSeen = 1, kCharSeen = 2, kModifierSeen = 4, kNestedGroup = 8 };

struct Item {
    Item* next;
    Piece* text;
    Piece* modifiers;
    int32_t entry;  // stock entry of its name, 0 = none
};

// The text of an output item: its own text, then its modifiers.
std::u16string ItemText(const Item* item);

struct Run {
    Item* first = nullptr;
    Item* last = nullptr;
    int32_t count = 0;
    void Append(Item* item);
    void Append(const Run& run);
};

struct Limit {
    Limit* next;
    int32_t level;  // the pattern level that set it
    bool images, pixels;
    int64_t imagesLeft, pixelsLeft;
};

// Random call-site codes of the expansion engine.
enum Site : int32_t {
    kSiteAlternative = 24001,
    kSiteRange = 24002,
    kSiteDirCommand = 24003,
    kSiteMix = 24004,
    kSiteFinalDirection = 24005,
};

inline constexpr int kMaxDepth = 64;          // macro and stock resolution
inline constexpr int kMaxNesting = 256;       // groups and patterns within each other
inline constexpr int32_t kMaxItems = 65536;   // output strings of one call
inline constexpr int64_t kMaxWork = 1000000;  // items, repetitions and names handled

struct Engine {
    ChunkStore& store;
    int32_t bound = 0;              // macro definition numbers below it are seen
    bool everyAlternative = false;  // flag bit 27
    bool stockNeedsBang = false;    // flag bit 28
    bool raw = false;               // flag bit 30
    int direction = 0;              // -1 left, 1 right, 0 not chosen
    int depth = 0;
    int nesting = 0;
    int level = 0;            // pattern level, for limits
    int bangOnly = 0;         // inside a macro entry's text: only "!" names are stock
    int stopLevel = INT_MAX;  // a limit of this pattern level ran out
    int32_t items = 0;
    int64_t work = 0;
    Limit* limits = nullptr;

    explicit Engine(ChunkStore& s) : store(s) {}
    bool Stopped() const { return stopLevel <= level; }
    void Work();
    Item* NewItem(const char16_t* start, const char16_t* end, Piece* modifiers, int32_t entry);
    Item* CopyItem(const Item* item);
    Piece* NewPiece(Piece* next, const char16_t* start, const char16_t* end);
    // Charges every limit in force for one more item of the given width; false when one
    // runs out (generation stops at its level).
    bool Charge(int32_t entry);
};

// expand_parse.cpp: the nodes of a pattern text. Raises the tokeniser's codes.
Node* Tokenize(Engine& e, std::u16string_view text);
// The leading digits of a number node (saturated at INT32_MAX).
int32_t NumberValue(const Node* n);

// expand_generate.cpp.
// A whole pattern: leading direction marks and limit modifiers, then its alternatives.
Run GeneratePattern(Engine& e, Node* first, Piece* modifiers);
// Alternatives separated by "|", each a list of items separated by ",".
Run GenerateSequence(Engine& e, Range range, Piece* modifiers);
// Whether modifier text m ("[...]") sets the direction, and does so when none is chosen.
void NoteDirectionModifier(Engine& e, std::u16string_view m);

// expand_names.cpp.
struct NameResult {
    Run run;
    bool single = false;       // one item that later characters may extend
    Node* inserted = nullptr;  // a stock entry's own nodes, to be read after its name; the
                               // caller reads them and then leaves the level (depth - 1)
};
// The items of one name (a macro, a stock vehicle, or the name as written).
NameResult ResolveName(Engine& e, const char16_t* start, const char16_t* end, Piece* modifiers);
// A "$" command word with its group (null when none followed).
Run RunCommand(Engine& e, const Node* word, const Node* group, Piece* modifiers);
// A stock entry was resolved: type letter, height class and type-sequence state.
void NoteStockType(int32_t entry);

}  // namespace lvk::expand
