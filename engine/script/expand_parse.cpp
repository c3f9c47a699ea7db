// Pattern text to nodes: names and numbers, operators, groups in parentheses and modifiers
// in square brackets, with comments dropped.
#include <climits>

#include "engine/script/expand.h"
#include "engine/base/recovery.h"

namespace lvk::expand {
namespace {

bool IsOperator(char16_t c) {
    switch (c) {
    case u',':
    case u'*':
    case u'+':
    case u'-':
    case u'/':
    case u'<':
    case u'>':
    case u'@':
    case u'|':
    case u':': return true;
    default: return false;
    }
}
bool IsBracket(char16_t c) { return c == u'(' || c == u')' || c == u'[' || c == u']'; }
bool EndsRun(char16_t c) { return IsOperator(c) || IsBracket(c); }
bool IsNumberChar(char16_t c) { return (c >= u'0' && c <= u'9') || c == u'.' || c == u' '; }

class Tokenizer {
public:
    Tokenizer(Engine& e, const char16_t* begin, const char16_t* end) : e_(e), p_(begin), end_(end) {}

    Node* List(bool inGroup, int nesting) {
        if (nesting > kMaxNesting) RaiseError(-12426);
        Node* first = nullptr;
        Node** tail = &first;
        auto add = [&](Node* n) {
            *tail = n;
            tail = &n->next;
        };
        for (;;) {
            while (p_ < end_ && *p_ == u' ') ++p_;
            if (p_ == end_) {
                if (inGroup) RaiseError(-12402);
                return first;
            }
            const char16_t c = *p_;
            if (c == u'(') {
                ++p_;
                Node* g = NewNode(kGroupNode);
                g->first = List(true, nesting + 1);
                for (Node* k = g->first; k != nullptr; k = k->next) g->last = k;
                add(g);
            } else if (c == u')') {
                if (!inGroup) RaiseError(-12408);
                ++p_;
                return first;
            } else if (c == u'[') {
                add(Modifier());
            } else if (c == u']') {
                RaiseError(-12406);
            } else if (c == u'/' && p_ + 1 < end_ && p_[1] == u'*') {
                p_ = SkipComment(p_ + 2, -12407);
            } else if (IsOperator(c)) {
                Node* n = NewNode(c);
                n->start = p_;
                n->end = ++p_;
                add(n);
            } else {
                add(NameOrNumber());
            }
        }
    }

private:
    Node* NewNode(int32_t kind) {
        auto* n = e_.store.New<Node>(34087);
        n->kind = kind;
        return n;
    }

    const char16_t* SkipComment(const char16_t* q, int32_t unterminated) {
        for (; q + 1 < end_; ++q)
            if (q[0] == u'*' && q[1] == u'/') return q + 2;
        RaiseError(unterminated);
    }

    // "[" to its matching "]", nested brackets counted; strings and comments inside skipped.
    Node* Modifier() {
        const char16_t* start = p_;
        const char16_t* q = p_ + 1;
        int depth = 1;
        for (;;) {
            if (q >= end_) RaiseError(-12405);
            const char16_t c = *q;
            if (c == u'"') {
                ++q;
                for (;;) {
                    if (q >= end_) RaiseError(-12403);
                    if (*q == u'\\') {
                        q += 2;
                    } else if (*q == u'"') {
                        if (q + 1 < end_ && q[1] == u'"') {
                            q += 2;
                        } else {
                            ++q;
                            break;
                        }
                    } else {
                        ++q;
                    }
                }
            } else if (c == u'/' && q + 1 < end_ && q[1] == u'*') {
                q = SkipComment(q + 2, -12404);
            } else if (c == u'[') {
                ++depth;
                ++q;
            } else if (c == u']') {
                ++q;
                if (--depth == 0) break;
            } else {
                ++q;
            }
        }
        Node* n = NewNode(kModifierNode);
        n->start = start;
        n->end = q;
        p_ = q;
        return n;
    }

    // A run of characters that are no operators or brackets. A "-" between name characters
    // and a ":" after a one-character name belong to the name.
    Node* NameOrNumber() {
        const char16_t* start = p_;
        const char16_t* q = p_;
        for (;;) {
            while (q < end_ && !EndsRun(*q)) ++q;
            if (q >= end_) break;
            const char16_t* last = q;
            while (last > start && last[-1] == u' ') --last;
            const bool numeric = AllNumber(start, last);
            if (*q == u'-' && !numeric && last == q && q + 1 < end_ && !EndsRun(q[1]) && q[1] != u' ') {
                ++q;
                continue;
            }
            if (*q == u':' && !numeric && last - start == 1 && last == q) {
                ++q;
                continue;
            }
            break;
        }
        const char16_t* last = q;
        while (last > start && last[-1] == u' ') --last;
        p_ = q;
        Node* n = NewNode(AllNumber(start, last) ? kNumberNode : kNameNode);
        n->start = start;
        n->end = last;
        return n;
    }

    static bool AllNumber(const char16_t* a, const char16_t* b) {
        if (a == b || *a < u'0' || *a > u'9') return false;
        for (; a < b; ++a)
            if (!IsNumberChar(*a)) return false;
        return true;
    }

    Engine& e_;
    const char16_t* p_;
    const char16_t* end_;
};

}  // namespace

Node* Tokenize(Engine& e, std::u16string_view text) {
    Tokenizer t(e, text.data(), text.data() + text.size());
    return t.List(false, e.nesting);
}

int32_t NumberValue(const Node* n) {
    int64_t v = 0;
    for (const char16_t* p = n->start; p < n->end && *p >= u'0' && *p <= u'9'; ++p) {
        v = v * 10 + (*p - u'0');
        if (v > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(v);
}

}  // namespace lvk::expand
