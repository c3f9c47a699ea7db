// The expression parser's scanner and evaluators: tokens, string expressions with their
// weighted alternatives, groups and operators, numbers and random ranges, repeat lists.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/params/param_expr.h"

namespace yov {
namespace {

constexpr int32_t kErrOverflow = 6;
constexpr int32_t kErrUnbalanced = 6003;

// text[from..to-1] (1-based, end exclusive), clipped to the text.
std::u16string_view Span(std::u16string_view text, int64_t from, int64_t to) {
    const int64_t n = static_cast<int64_t>(text.size());
    const int64_t a = std::max<int64_t>(from, 1);
    const int64_t b = std::min<int64_t>(to, n + 1);
    if (b <= a) return {};
    return text.substr(static_cast<size_t>(a - 1), static_cast<size_t>(b - a));
}

int32_t EndOf(std::u16string_view text) { return static_cast<int32_t>(text.size()) + 1; }

// Pops the alternative stack back to where a call found it, also when it is left by an
// error.
template <class Stack>
class StackMark {
public:
    explicit StackMark(Stack& s) : s_(s), base_(s.size()) {}
    ~StackMark() { s_.resize(base_); }
    StackMark(const StackMark&) = delete;
    StackMark& operator=(const StackMark&) = delete;
    size_t base() const { return base_; }

private:
    Stack& s_;
    size_t base_;
};

}  // namespace

// --- Shared helpers ---------------------------------------------------------------

ParamParser::Nesting::Nesting(ParamParser& p) : p_(p) {
    if (p_.depth_ == 0) p_.passes_ = 0;
    if (p_.depth_ >= kMaxExprNesting) p_.RaiseMessage(u"Parameter expression nested too deeply");
    ++p_.depth_;
}

void ParamParser::Raise(int32_t number, const std::u16string& description) { throw ProgramError(number, description); }

void ParamParser::RaiseMessage(const std::u16string& message) { RaiseProgramError(message); }

std::u16string ParamParser::Text(std::u16string_view key) { return GetText(key); }

std::u16string ParamParser::Format(std::u16string_view key, std::u16string_view param) {
    return FormatText(key, {FormatArg(param)});
}

int32_t ParamParser::LookRaw(std::u16string_view text, int32_t start, int32_t end, uintptr_t what) {
    // Only the searched range goes to RLook: it starts at depth 0 wherever it starts.
    const int64_t first = std::max<int64_t>(start, 1);
    const int64_t stop = std::min<int64_t>(end, static_cast<int64_t>(text.size()) + 1);
    if (first >= stop) return 0;
    const size_t length = static_cast<size_t>(stop - first);
    scratch_.resize(length + 3);
    const int32_t bytes = static_cast<int32_t>(length * 2);
    std::memcpy(scratch_.data(), &bytes, sizeof bytes);
    std::memcpy(scratch_.data() + 2, text.data() + (first - 1), length * sizeof(char16_t));
    scratch_[length + 2] = 0;
    const int32_t r = lv::RLook(scratch_.data() + 2, 1, 0, what);
    return r > 0 ? static_cast<int32_t>(r + first - 1) : r;
}

int32_t ParamParser::Look(std::u16string_view text, int32_t start, int32_t end, char16_t what) {
    return LookRaw(text, start, end, what);
}

int32_t ParamParser::LookAny(std::u16string_view text, int32_t start, int32_t end, std::u16string_view candidates) {
    // The candidates also travel in the shared-string layout.
    char16_t set[16];
    const size_t n = std::min<size_t>(candidates.size(), 13);
    const int32_t bytes = static_cast<int32_t>(n * 2);
    std::memcpy(set, &bytes, sizeof bytes);
    std::copy_n(candidates.data(), n, set + 2);
    set[n + 2] = 0;
    return LookRaw(text, start, end, reinterpret_cast<uintptr_t>(set + 2));
}

bool ParamParser::Balanced(std::u16string_view text) {
    // RLook stops at a closer that does not match, but not at an opener left open: each
    // opener at depth 0 must find its closer.
    const int32_t end = EndOf(text);
    int32_t pos = 1;
    for (;;) {
        const int32_t open = LookAny(text, pos, end, u"([{");
        if (open <= 0) return open == 0;
        const char16_t c = text[static_cast<size_t>(open - 1)];
        const int32_t close = Look(text, open + 1, end, c == u'(' ? u')' : c == u'[' ? u']' : u'}');
        if (close <= 0) return false;
        pos = close + 1;
    }
}

int32_t ParamParser::ToLong(double v) {
    const std::optional<int32_t> n = plat::toLong(v);
    if (!n) Raise(kErrOverflow, u"Overflow");
    return *n;
}

int32_t ParamParser::RandomIndex(int32_t n, int32_t callSite) {
    if (n < 2) return 0;
    return std::clamp(paramDraws().index(n, callSite), 0, n - 1);
}

void ParamParser::CountPasses(int64_t passes, std::u16string_view item) {
    passes_ += passes;
    if (passes_ > kMaxRepeatPasses) RaiseMessage(u"Too many repetitions in: " + std::u16string(item));
}

void ParamParser::Append(std::u16string& result, std::u16string_view piece, bool comma) {
    if (piece.empty()) return;
    const size_t extra = piece.size() + (comma && !result.empty() ? 1 : 0);
    if (result.size() + extra > kMaxExpansionLength) RaiseMessage(u"Parameter expansion too long");
    if (comma && !result.empty()) result += u',';
    result += piece;
}

// --- Tokens ---------------------------------------------------------------------------

std::u16string ParamParser::GetNextToken(std::u16string_view text, int32_t& pos, int32_t end,
                                         std::u16string_view delimiters) {
    if (pos > end) return {};
    const int32_t d = LookAny(text, pos, end, delimiters);
    if (d < 0) Raise(kErrUnbalanced, Text(u"UBP"));
    if (d == 0) {
        std::u16string token = plat::trim(Span(text, pos, end));
        pos = end;
        return token;
    }
    std::u16string token = plat::trim(Span(text, pos, d));
    pos = d + 1;
    return token;
}

void ParamParser::SkipBlanks(std::u16string_view text, int32_t& pos, int32_t end) const {
    if (pos < 1) pos = 1;
    const int32_t n = static_cast<int32_t>(text.size());
    while (pos < end && pos <= n && text[static_cast<size_t>(pos - 1)] == u' ') ++pos;
}

// --- String expressions ---------------------------------------------------------------

std::u16string ParamParser::PickAlternative(size_t base, int32_t callSite) {
    int64_t sum = 0;
    for (size_t i = base; i < alternatives_.size(); ++i) sum += alternatives_[i].weight;
    if (sum > std::numeric_limits<int32_t>::max()) Raise(kErrOverflow, u"Overflow");
    // Weights of 0 only: nothing can be chosen, the result is empty.
    if (sum <= 0) return {};
    int64_t x = RandomIndex(static_cast<int32_t>(sum), callSite);
    for (size_t i = base; i < alternatives_.size(); ++i) {
        x -= alternatives_[i].weight;
        if (x < 0) return alternatives_[i].text;
    }
    return {};
}

std::u16string ParamParser::EvalStringExpr(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags) {
    Nesting nesting(*this);
    std::u16string chosen;
    int32_t bar = Look(text, pos, end, u'|');
    if (bar < 0) Raise(kErrUnbalanced, Text(u"UBP"));
    if (bar == 0) {
        chosen = plat::trim(Span(text, pos, end));
    } else {
        StackMark mark(alternatives_);
        int32_t from = pos;
        for (;;) {
            const std::u16string_view alt = Span(text, from, bar == 0 ? end : bar);
            const int32_t colon = Look(alt, 1, EndOf(alt), u':');
            if (colon < 0) Raise(kErrUnbalanced, Text(u"UBP"));
            if (colon > 0) {
                int32_t p = 1;
                const int32_t weight = ToLong(EvalNumber(alt, p, colon).number());
                // A negative weight counts as 0.
                alternatives_.push_back({plat::trim(Span(alt, colon + 1, EndOf(alt))), std::max(weight, 0)});
            } else {
                alternatives_.push_back({plat::trim(alt), 1});
            }
            if (bar == 0) break;
            from = bar + 1;
            bar = Look(text, from, end, u'|');
            if (bar < 0) Raise(kErrUnbalanced, Text(u"UBP"));
        }
        chosen = plat::trim(PickAlternative(mark.base(), 21001));
    }
    pos = std::max(pos, end);

    const int32_t chosenEnd = EndOf(chosen);
    int32_t open = Look(chosen, 1, chosenEnd, u'(');
    if (open < 0) Raise(kErrUnbalanced, Text(u"UBP"));
    if (open == 0) return PlainText(chosen);

    // Groups: every piece outside and inside the brackets is a repeat list of its own, and
    // the results are joined as they stand.
    std::u16string result;
    int32_t cur = 1;
    while (open > 0) {
        const std::u16string before(Span(chosen, cur, open));
        int32_t p = 1;
        Append(result, ExpandRepeatList(before, p, EndOf(before), flags), false);
        const int32_t close = Look(chosen, open + 1, chosenEnd, u')');
        if (close <= 0) RaiseMessage(Text(u"PARMA"));
        const std::u16string inside(Span(chosen, open + 1, close));
        p = 1;
        Append(result, ExpandRepeatList(inside, p, EndOf(inside), flags), false);
        cur = close + 1;
        open = Look(chosen, cur, chosenEnd, u'(');
        if (open < 0) Raise(kErrUnbalanced, Text(u"UBP"));
    }
    const std::u16string after(Span(chosen, cur, chosenEnd));
    int32_t p = 1;
    Append(result, ExpandRepeatList(after, p, EndOf(after), flags), false);
    return result;
}

std::u16string ParamParser::PlainText(std::u16string_view text) {
    std::u16string result;
    const int32_t end = EndOf(text);
    int32_t cur = 1;
    for (;;) {
        const int32_t op = LookAny(text, cur, end, u"+<>[");
        if (op < 0) Raise(kErrUnbalanced, Text(u"UBP"));
        std::u16string part = plat::ucase(plat::trim(Span(text, cur, op == 0 ? end : op)));
        if (!part.empty() && part[0] == u'!' && !plat::isNumeric(part)) part.erase(0, 1);
        result += part;
        if (op == 0) break;
        if (text[static_cast<size_t>(op - 1)] == u'[') {
            const int32_t close = Look(text, op + 1, end, u']');
            if (close < 0) Raise(kErrUnbalanced, Text(u"UBP"));
            if (close == 0) {
                // An unterminated "[": the rest as written.
                result += Span(text, op, end);
                break;
            }
            result += Span(text, op, close + 1);
            cur = close + 1;
        } else {
            result += text[static_cast<size_t>(op - 1)];
            cur = op + 1;
        }
    }
    return result;
}

std::u16string ParamParser::EvalString(std::u16string_view text) {
    int32_t pos = 1;
    return EvalStringExpr(text, pos, EndOf(text));
}

// --- Numbers --------------------------------------------------------------------------

double ParamParser::HoldNumber(double v, std::u16string_view text) {
    if (!(std::abs(v) <= kMaxScriptNumber)) {
        RaiseMessage(u"Number out of range (" + decimal(-static_cast<int32_t>(kMaxScriptNumber)) + u" to " +
                     decimal(static_cast<int32_t>(kMaxScriptNumber)) + u"): \"" + std::u16string(plat::trim(text)) +
                     u"\"");
    }
    return v;
}

double ParamParser::LeadingNumber(std::u16string_view text) { return HoldNumber(plat::val(text), text); }

float ParamParser::ParseNumber(std::u16string_view token) {
    if (!plat::isNumeric(token)) RaiseMessage(Text(u"NONUM") + u": \"" + std::u16string(token) + u"\"");
    // Beyond single precision is out of range too, and said so with the number.
    const double value = HoldNumber(plat::val(token), token);
    const std::optional<float> v = plat::toSingle(value);
    if (!v) Raise(kErrOverflow, u"Overflow");
    return *v;
}

ParamValue ParamParser::EvalNumber(std::u16string_view text, int32_t& pos, int32_t end) {
    Nesting nesting(*this);
    SkipBlanks(text, pos, end);
    const int32_t n = static_cast<int32_t>(text.size());
    if (pos < end && pos <= n && text[static_cast<size_t>(pos - 1)] == u'(') {
        const int32_t close = Look(text, pos + 1, end, u')');
        if (close <= 0) RaiseMessage(Text(u"PARMA"));
        int32_t inner = pos + 1;
        pos = end;
        return EvalNumber(text, inner, close);
    }

    // The first "-" at or after the position, wherever it stands.
    const size_t found = pos <= n ? text.find(u'-', static_cast<size_t>(pos - 1)) : std::u16string_view::npos;
    const int32_t m = found == std::u16string_view::npos ? 0 : static_cast<int32_t>(found) + 1;
    if (m == pos && m < end) {
        const std::u16string_view literal = Span(text, pos, end);
        const double v = HoldNumber(plat::val(literal), literal);
        pos = end;
        return ParamValue::dbl(v);
    }
    if (m > pos && m < end) {
        const float low = ParseNumber(Span(text, pos, m));
        const float high = ParseNumber(Span(text, m + 1, end));
        const double u = paramDraws().fraction();
        const std::optional<float> r = plat::toSingle(low + (static_cast<double>(high) - low) * u);
        if (!r) Raise(kErrOverflow, u"Overflow");
        pos = end;
        return ParamValue::single(std::min(*r, high));
    }

    const std::u16string s = EvalStringExpr(text, pos, end);
    if (s.empty()) return {};
    return ParamValue::single(ParseNumber(s));
}

ParamValue ParamParser::EvalNumber(std::u16string_view text) {
    int32_t pos = 1;
    return EvalNumber(text, pos, EndOf(text));
}

// --- Repeat lists ---------------------------------------------------------------------

std::u16string ParamParser::ExpandRepeatList(std::u16string_view text, int32_t& pos, int32_t end, int32_t flags) {
    Nesting nesting(*this);
    std::u16string result;
    while (pos < end) {
        const int32_t comma = Look(text, pos, end, u',');
        if (comma < 0) Raise(kErrUnbalanced, Text(u"UBP"));
        const std::u16string item(Span(text, pos, comma == 0 ? end : comma));
        pos = comma == 0 ? end : comma + 1;

        const int32_t itemEnd = EndOf(item);
        const int32_t mark = LookAny(item, 1, itemEnd, u"*@");
        if (mark < 0) Raise(kErrUnbalanced, Text(u"UBP"));
        if (mark == 0) {
            int32_t p = 1;
            Append(result, EvalStringExpr(item, p, itemEnd, flags), true);
            continue;
        }
        int32_t p = 1;
        const int32_t count = ToLong(EvalNumber(item, p, mark).number());
        if (count > kMaxRepeatCount) RaiseMessage(u"Repeat count above " + decimal(kMaxRepeatCount) + u": " + item);
        if (count <= 0) continue;
        const std::u16string body(Span(item, mark + 1, itemEnd));
        const int32_t bodyEnd = EndOf(body);
        if (item[static_cast<size_t>(mark - 1)] == u'*') {
            // Expanded afresh each time: random choices are drawn again.
            for (int32_t i = 0; i < count; ++i) {
                CountPasses(1, item);
                int32_t b = 1;
                Append(result, ExpandRepeatList(body, b, bodyEnd, flags), true);
            }
        } else {
            CountPasses(1, item);
            int32_t b = 1;
            const std::u16string once = ExpandRepeatList(body, b, bodyEnd, flags);
            for (int32_t i = 0; i < count; ++i) Append(result, once, true);
        }
    }
    // Long expansions keep the show moving.
    drawingStep(10101);
    return result;
}

}  // namespace yov
