// Conditions in braces: 32-bit signed expressions over numbers and option names, true -1,
// false 0, read from the reader's character source with blanks between tokens skipped.
#include <cstdint>
#include <limits>

#include "engine/base/recovery.h"
#include "engine/script/timetable_reader.h"

namespace lvk::tt {

const Option* FindOption(std::u16string_view name) {
    for (const Option* o = R().options; o != nullptr; o = o->next)
        if (NameOf(o) == name) return o;
    return nullptr;
}

namespace {

// Parentheses, "-" and "!" nest the parser; a condition nested deeper than this is refused
// as an illegal character rather than run the stack out.
constexpr int kMaxNesting = 256;
constexpr int kNone = -2;

enum class Tok { Number, Name, Op, Other };

enum Op : int {
    kPlus = '+',
    kMinus = '-',
    kTimes = '*',
    kDivide = '/',
    kOpen = '(',
    kClose = ')',
    kNot = '!',
    kLess = '<',
    kGreater = '>',
    kEqual = '=',
    kAnd = '&',
    kOr = '|',
    kLessEq = 256,
    kGreaterEq,
    kEqualEq,
    kNotEqual,
    kAndAnd,
    kOrOr,
};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsNameStart(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(int c) { return IsNameStart(c) || IsDigit(c); }

int32_t Wrap(uint32_t v) { return static_cast<int32_t>(v); }
int32_t Truth(bool b) { return b ? -1 : 0; }

// The default after "name=": one character.
int32_t DefaultValue(int c) {
    switch (c) {
    case '0':
    case 'f':
    case 'F':
    case 'h':
    case 'H':
    case 'n':
    case 'N':
    case 'o':
    case 'O': return 0;
    case '1':
    case 'd':
    case 'D':
    case 'i':
    case 'I':
    case 'j':
    case 'J':
    case 't':
    case 'T':
    case 'y':
    case 'Y': return 1;
    default:
        // -12429, though the numbered texts keep 11631 ("Option: unknown default value") for
        // callers that ask for the text by that number.
        RaiseError(-12429);
    }
}

class Parser {
public:
    int32_t Run(int& terminator) {
        Advance();
        const int32_t v = Or();
        terminator = kind_ == Tok::Other ? other_ : 0;
        return v;
    }

private:
    int Char() {
        if (pending_ != kNone) {
            const int c = pending_;
            pending_ = kNone;
            return c;
        }
        return NextChar();
    }

    // One character more decides between a one- and a two-character operator.
    void TwoChar(int single, int second, int pair) {
        const int c = Char();
        if (c == second) {
            SetOp(pair);
        } else {
            pending_ = c;
            SetOp(single);
        }
    }
    void SetOp(int op) {
        kind_ = Tok::Op;
        op_ = op;
    }

    void Advance() {
        if (pendingOp_ != 0) {
            SetOp(pendingOp_);
            pendingOp_ = 0;
            return;
        }
        int c;
        do c = Char();
        while (c == ' ');

        if (IsDigit(c)) {
            uint32_t v = 0;
            for (; IsDigit(c); c = Char()) v = v * 10 + static_cast<uint32_t>(c - '0');
            pending_ = c;
            kind_ = Tok::Number;
            value_ = Wrap(v);
            return;
        }
        if (IsNameStart(c)) {
            ReadOptionName(c);
            return;
        }
        switch (c) {
        case '+':
        case '-':
        case '*':
        case '/':
        case '(':
        case ')': SetOp(c); return;
        case '!': TwoChar(kNot, '=', kNotEqual); return;
        case '<': TwoChar(kLess, '=', kLessEq); return;
        case '>': TwoChar(kGreater, '=', kGreaterEq); return;
        case '=': TwoChar(kEqual, '=', kEqualEq); return;
        case '&': TwoChar(kAnd, '&', kAndAnd); return;
        case '|': TwoChar(kOr, '|', kOrOr); return;
        default: kind_ = Tok::Other; other_ = c;
        }
    }

    // An option name, and its default when "=" follows the name at once. "name==" is the
    // name and the comparison "==", since "=" is no default character.
    void ReadOptionName(int c) {
        char16_t name[kMaxName];
        int length = 0;
        for (; IsNameChar(c); c = Char()) {
            if (length == kMaxName) RaiseError(-11605);
            name[length++] = static_cast<char16_t>(c);
        }
        int32_t fallback = -1;
        bool hasDefault = false;
        if (c == '=') {
            const int d = Char();
            if (d == '=') {
                pendingOp_ = kEqualEq;
            } else {
                fallback = DefaultValue(d);
                hasDefault = true;
            }
        } else {
            pending_ = c;
        }
        kind_ = Tok::Name;
        if (const Option* o = FindOption({name, static_cast<size_t>(length)})) {
            value_ = o->value;
        } else if (hasDefault) {
            value_ = fallback;
        } else {
            value_ = R().defaultOption;
            if (value_ < 0) RaiseError(-11606);
        }
    }

    bool IsOp(int op) const { return kind_ == Tok::Op && op_ == op; }

    void Enter() {
        if (++nesting_ > kMaxNesting) RaiseError(-11607);
    }

    int32_t Primary() {
        while (IsOp(kPlus)) Advance();
        if (IsOp(kMinus)) {
            Enter();
            Advance();
            const int32_t v = Wrap(0u - static_cast<uint32_t>(Primary()));
            --nesting_;
            return v;
        }
        if (IsOp(kNot)) {
            Enter();
            Advance();
            const int32_t v = Truth(Primary() != 0);
            --nesting_;
            return v;
        }
        if (IsOp(kOpen)) {
            Enter();
            Advance();
            const int32_t v = Or();
            if (!IsOp(kClose)) RaiseError(-11604);
            Advance();
            --nesting_;
            return v;
        }
        if (kind_ == Tok::Number || kind_ == Tok::Name) {
            const int32_t v = value_;
            Advance();
            return v;
        }
        RaiseError(-11607);
    }

    int32_t Product() {
        int32_t v = Primary();
        for (;;) {
            if (IsOp(kTimes)) {
                Advance();
                v = Wrap(static_cast<uint32_t>(v) * static_cast<uint32_t>(Primary()));
            } else if (IsOp(kDivide)) {
                Advance();
                const int32_t d = Primary();
                // Neither may end the process: both are the script's error.
                if (d == 0 || (v == std::numeric_limits<int32_t>::min() && d == -1)) RaiseError(-11620);
                v /= d;
            } else {
                return v;
            }
        }
    }

    int32_t Sum() {
        int32_t v = Product();
        for (;;) {
            if (IsOp(kPlus)) {
                Advance();
                v = Wrap(static_cast<uint32_t>(v) + static_cast<uint32_t>(Product()));
            } else if (IsOp(kMinus)) {
                Advance();
                v = Wrap(static_cast<uint32_t>(v) - static_cast<uint32_t>(Product()));
            } else {
                return v;
            }
        }
    }

    int32_t Comparison() {
        const int32_t v = Sum();
        if (IsOp(kNot)) RaiseError(-11608);
        if (kind_ != Tok::Op) return v;
        const int op = op_;
        if (op != kLess && op != kLessEq && op != kGreater && op != kGreaterEq && op != kEqual && op != kEqualEq &&
            op != kNotEqual)
            return v;
        Advance();
        const int32_t w = Sum();
        if (IsOp(kNot)) RaiseError(-11608);
        switch (op) {
        case kLess: return Truth(v < w);
        case kLessEq: return Truth(v <= w);
        case kGreater: return Truth(v > w);
        case kGreaterEq: return Truth(v >= w);
        case kNotEqual: return Truth(v != w);
        default: return Truth(v == w);
        }
    }

    int32_t And() {
        int32_t v = Comparison();
        while (IsOp(kAnd) || IsOp(kAndAnd)) {
            const bool logical = op_ == kAndAnd;
            Advance();
            const int32_t w = Comparison();  // read even when v already decides
            v = logical ? Truth(v != 0 && w != 0) : (v & w);
        }
        return v;
    }

    int32_t Or() {
        int32_t v = And();
        while (IsOp(kOr) || IsOp(kOrOr)) {
            const bool logical = op_ == kOrOr;
            Advance();
            const int32_t w = And();
            v = logical ? Truth(v != 0 || w != 0) : (v | w);
        }
        return v;
    }

    Tok kind_ = Tok::Other;
    int op_ = 0;
    int32_t value_ = 0;
    int other_ = 0;
    int pending_ = kNone;
    int pendingOp_ = 0;
    int nesting_ = 0;
};

}  // namespace

int32_t EvalCondition(int& terminator) {
    Parser p;
    return p.Run(terminator);
}

}  // namespace lvk::tt
