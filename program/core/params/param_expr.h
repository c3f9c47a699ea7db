// The parameter expression language of script lines, stock key lines and picture
// descriptions: weighted random alternatives ("2:A|B"), random ranges ("3-7"), repeat
// lists ("3*(A|B)", "2@X"), bracket groups, quoted strings, named numbers ("$BW"),
// colours ("#FF0000", "255,0,0", a pixel "x,y"), booleans, fractions and values relative
// to a base ("50%").
//
// ParamParser holds the parser's state (the positional-parameter cursor, the stack of
// alternatives, NameIndex). It searches brackets and reads alias lists through the engine,
// reads named parameters from the program's parameter table, takes its texts by key, raises
// the program's errors and keeps the show stepping through long expansions; its random
// draws are ParamDraws'. The program has one parser, paramParser().
//
// Positions are 1-based; an end position is exclusive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "program/core/startup/installed.h"
#include "program/core/texts/program_error.h"

namespace yov {

// The value of a numeric expression: empty, a single (float) or, for a negative literal,
// a double.
struct ParamValue {
    enum class Kind : uint8_t { Empty, Single, Double };
    Kind kind = Kind::Empty;
    double value = 0;

    static ParamValue single(float v) { return {Kind::Single, v}; }
    static ParamValue dbl(double v) { return {Kind::Double, v}; }
    bool empty() const { return kind == Kind::Empty; }
    // As a number: empty counts as 0.
    double number() const { return value; }
};

// The parser's random draws. The program's own are its one random sequence, which a seeded
// show repeats; a test that chooses what is drawn derives from it and puts its own in place
// with ScopedInstall<ParamDraws>.
class ParamDraws {
public:
    virtual ~ParamDraws() = default;
    // An index 0..n-1 (n >= 2) drawn at `callSite`.
    virtual int32_t index(int32_t n, int32_t callSite);
    // A uniform number in [0, 1).
    virtual double fraction();
};

inline ParamDraws& paramDraws() { return *Installed<ParamDraws>(); }

// Flag of GetStringParam: the parameter's raw text, not evaluated.
inline constexpr int32_t kParamRaw = 0x20000000;

// Limits of the expansion, so that a short text cannot make the show wait for ever.
inline constexpr int32_t kMaxRepeatCount = 10000;
inline constexpr int32_t kMaxRepeatPasses = 100000;     // all repetitions of one evaluation
inline constexpr size_t kMaxExpansionLength = 1 << 20;  // characters of one result
inline constexpr int kMaxExprNesting = 200;
// Every number a script or stock gives is held to this magnitude before anything computes
// with it: positions, sizes, offsets, times and counts far beyond any screen or show, and yet
// a thousand of them summed, or one multiplied by a thousand (seconds to milliseconds), still
// fit 32 bits. What lies beyond is a script error, not a value cut to fit.
inline constexpr double kMaxScriptNumber = 1000000;

class ParamParser {
public:
    // --- The positional-parameter cursor, set by the callers before they read a line.
    std::u16string ParamText;
    int32_t ParamPos = 1;
    uint8_t ParamPositionalOnly = 0;  // cleared when a new named parameter set starts
    int32_t ParamSource = 0;          // -2 positional, 0 none, else the pair's index
    // After GetNamedNumber: the position of the parameter's leading letter in the letters
    // given, 0 without one.
    int16_t NameIndex = 0;

    // --- Token scanning.
    std::u16string GetNextToken(std::u16string_view text, int32_t& pos, int32_t end, std::u16string_view delimiters);
    void SkipBlanks(std::u16string_view text, int32_t& pos, int32_t end) const;

    // --- Expressions.
    std::u16string EvalStringExpr(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags = 0);
    float ParseNumber(std::u16string_view token);
    ParamValue EvalNumber(std::u16string_view text, int32_t& pos, int32_t end);
    std::u16string ExpandRepeatList(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags = 0);
    // The same over a whole text.
    std::u16string EvalString(std::u16string_view text);
    ParamValue EvalNumber(std::u16string_view text);

    // --- Typed readers of the next parameter (positional first, then named by the engine's
    // alias list `id`).
    std::u16string GetStringParam(int32_t flags, int32_t id);
    int32_t GetNamedNumber(int32_t defaultValue, std::u16string_view letters, int32_t id);
    int32_t GetLetterNumber(int16_t& kind, int32_t defaultValue, int32_t id);
    float GetFractionParam(float defaultValue, int32_t id);

    // --- Numbers held to kMaxScriptNumber: v itself, else the message "Number out of
    // range" naming `text` (raised as RaiseMessage does). NaN is out of range too.
    double HoldNumber(double v, std::u16string_view text);
    // The leading numeric value of a text (0 without one), held so.
    double LeadingNumber(std::u16string_view text);

    // --- Values of a text.
    ParamValue EvalRelativeValue(std::u16string_view text, std::optional<double> base = {});
    int32_t ParseColor(std::u16string_view text, uint8_t pixelAllowed);
    int32_t ParseColorParam(std::u16string_view text, int32_t& second);
    uint8_t ParseBoolean(std::u16string_view text);
    std::u16string PickWeightedAlternative(std::u16string_view text);
    std::u16string NextListItem(std::u16string& list, std::u16string_view context);

    // --- Shared with the parameter table and the script reader.
    int32_t Look(std::u16string_view text, int32_t start, int32_t end, char16_t what);
    int32_t LookAny(std::u16string_view text, int32_t start, int32_t end, std::u16string_view candidates);
    // Every bracket outside quotes closed by its own closer, and no closer without one.
    bool Balanced(std::u16string_view text);
    [[noreturn]] void Raise(int32_t number, const std::u16string& description);
    [[noreturn]] void RaiseMessage(const std::u16string& message);
    std::u16string Text(std::u16string_view key);
    std::u16string Format(std::u16string_view key, std::u16string_view param);

private:
    struct Alternative {
        std::u16string text;
        int64_t weight;
    };
    // Counts nesting and, at the outermost level, resets the work budget.
    class Nesting {
    public:
        explicit Nesting(ParamParser& p);
        ~Nesting() { --p_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        ParamParser& p_;
    };

    int32_t LookRaw(std::u16string_view text, int32_t start, int32_t end, uintptr_t what);
    // The engine's alias list number `id`.
    static std::u16string AliasList(int32_t id);
    // The colour (red in the low byte) of the pixel x columns right of the vehicle picture's
    // origin and y rows above the current part's bottom row; nothing when there is no current
    // part or the pixel lies outside the canvas.
    static std::optional<int32_t> PartPixel(int32_t x, int32_t y);
    // A message the parser shows and goes on.
    static void ShowMessage(const std::u16string& text, int32_t style);
    int32_t ToLong(double v);
    int32_t RandomIndex(int32_t n, int32_t callSite);
    void CountPasses(int64_t passes, std::u16string_view item);
    void Append(std::u16string& result, std::u16string_view piece, bool comma);
    std::u16string PickAlternative(size_t base, int32_t callSite);
    std::u16string PlainText(std::u16string_view text);

    std::vector<Alternative> alternatives_;  // AltTexts/AltWeights, 1..AltCount
    std::vector<char16_t> scratch_;          // the text handed to RLook, length first
    int depth_ = 0;
    int64_t passes_ = 0;
};

// --- The program's parser.
ParamParser& paramParser();

}  // namespace yov
