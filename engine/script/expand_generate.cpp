// Generation: pattern nodes to output items. Alternatives with weights, lists of items,
// repetition, joined names, and the items' own state (name, characters, modifiers,
// nested groups).
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/script/expand.h"
#include "engine/base/recovery.h"

namespace lvk::expand {
namespace {

bool IsOp(const Node* n, char16_t c) { return n != nullptr && n->kind == c; }

// Weight of one alternative and where its items start.
struct Weighted {
    int64_t weight;
    Range items;
};

// "n:", "-n:" or "a-b:" before the first ":" that comes before any "," of the alternative.
Weighted ReadWeight(Engine& e, Range alt) {
    Node* colon = nullptr;
    for (Node* n = alt.first; n != alt.stop; n = n->next) {
        if (IsOp(n, u',')) break;
        if (IsOp(n, u':')) {
            colon = n;
            break;
        }
    }
    if (colon == nullptr) return {1, alt};
    std::vector<Node*> prefix;
    for (Node* n = alt.first; n != colon; n = n->next) {
        if (n->kind == kNameNode || n->kind == kGroupNode || n->kind == kModifierNode) RaiseError(-12423);
        prefix.push_back(n);
    }
    const Range items{colon->next, alt.stop};
    auto isNumber = [](const Node* n) { return n->kind == kNumberNode; };
    if (prefix.size() == 1 && isNumber(prefix[0])) return {NumberValue(prefix[0]), items};
    if (prefix.size() == 2 && IsOp(prefix[0], u'-') && isNumber(prefix[1]))
        return {-static_cast<int64_t>(NumberValue(prefix[1])), items};
    if (prefix.size() == 3 && isNumber(prefix[0]) && IsOp(prefix[1], u'-') && isNumber(prefix[2])) {
        const int64_t a = NumberValue(prefix[0]), b = NumberValue(prefix[2]);
        if (e.everyAlternative) return {a, items};  // every alternative stays: nothing to draw
        const int64_t span = b - a + 1;
        return {a + RandomIndex(static_cast<int32_t>(std::min<int64_t>(span, INT32_MAX)), kSiteRange), items};
    }
    RaiseError(-12424);
}

bool IsCommandWord(const Node* n) { return n->kind == kNameNode && n->start != n->end && *n->start == u'$'; }
bool Joins(const Node* n) { return n->kind == kNameNode || n->kind == kNumberNode || n->kind == kGroupNode; }

Run GenerateItem(Engine& e, Node* first, Node* stop, Piece* modifiers);

// The items of one stretch between commas (after any repetition), built node by node.
class ItemBuilder {
public:
    ItemBuilder(Engine& e, Piece* modifiers) : e_(e), modifiers_(modifiers) {}

    void Nodes(Node* first, Node* stop) {
        for (Node* n = first; n != stop && !e_.Stopped();) {
            e_.Work();
            if (IsCommandWord(n)) {
                Node* group = n->next != stop && n->next != nullptr && n->next->kind == kGroupNode ? n->next : nullptr;
                if (current_) RaiseError(-12417);
                SetCurrent(RunCommand(e_, n, group, modifiers_), kNestedGroup);
                n = group != nullptr ? group->next : n->next;
                continue;
            }
            if (Joins(n)) {
                Node* m = n->next;
                while (m != stop && m != nullptr && Joins(m) && !IsCommandWord(m)) m = m->next;
                if (m != n->next)
                    Joined(n, m);
                else if (n->kind == kGroupNode)
                    Group(n);
                else
                    Name(n->start, n->end);
                n = m;
                continue;
            }
            if (n->kind == kModifierNode)
                Modifier(n);
            else
                Character(n);
            n = n->next;
        }
    }

    Run Take() { return out_; }

private:
    void SetCurrent(const Run& run, int32_t flags) {
        out_.Append(run);
        current_ = true;
        currentFirst_ = run.first;
        currentCount_ = run.count;
        flags_ = flags;
    }

    void Name(const char16_t* start, const char16_t* end) {
        NameResult r = ResolveName(e_, start, end, modifiers_);
        SetCurrent(r.run, r.single ? kNameSeen : kNestedGroup);
        if (r.inserted != nullptr) {
            Inserted(r.inserted);
            --e_.depth;
        }
    }

    // A stock entry's own text stands after its name as if written there: its first stretch
    // goes on with the name's item, and each "," in it starts an item of its own, which
    // what follows the name then goes on with.
    void Inserted(Node* first) {
        auto nextComma = [](Node* n) {
            while (n != nullptr && !IsOp(n, u',')) n = n->next;
            return n;
        };
        Node* comma = nextComma(first);
        Nodes(first, comma);
        while (comma != nullptr && !e_.Stopped()) {
            Node* start = comma->next;
            comma = nextComma(start);
            const Run run = GenerateItem(e_, start, comma, modifiers_);
            if (run.count > 0)
                SetCurrent(run, run.count == 1 ? kNameSeen : kNestedGroup);
            else
                current_ = false;
        }
    }

    // Names, numbers and groups side by side make one name: "AB(1|2)" is "AB1" or "AB2".
    void Joined(Node* first, Node* stop) {
        std::u16string name;
        for (Node* n = first; n != stop; n = n->next) {
            if (n->kind != kGroupNode) {
                name.append(n->start, n->end);
                continue;
            }
            const Run part = GenerateSequence(e_, {n->first, nullptr}, nullptr);
            if (part.count > 1) RaiseError(-12417);
            if (part.count == 1) name += ItemText(part.first);
        }
        if (name.size() * sizeof(char16_t) > 65526) RaiseError(-12412);
        auto* text = static_cast<char16_t*>(e_.store.Alloc(name.size() * sizeof(char16_t), 34086));
        name.copy(text, name.size());
        Name(text, text + name.size());
    }

    void Group(Node* g) {
        if (current_) RaiseError(-12417);
        SetCurrent(GenerateSequence(e_, {g->first, nullptr}, modifiers_), kNestedGroup);
    }

    void Modifier(Node* n) {
        NoteDirectionModifier(e_, n->Text());
        if (!current_) {
            if (!e_.raw) RaiseError(-12416);
            Run alone;
            alone.Append(e_.NewItem(n->start, n->start, modifiers_, 0));
            SetCurrent(alone, 0);
        }
        Item* item = currentFirst_;
        for (int32_t i = 0; i < currentCount_; ++i, item = item->next)
            item->modifiers = e_.NewPiece(item->modifiers, n->start, n->end);
        flags_ |= kModifierSeen;
    }

    void Character(Node* n) {
        if (!current_) RaiseError(-12415);
        if ((flags_ & kNestedGroup) != 0) RaiseError(-12418);
        Item* item = currentFirst_;
        item->text = e_.NewPiece(item->text, n->start, n->end);
        flags_ |= kCharSeen;
    }

    Engine& e_;
    Piece* modifiers_;
    Run out_;
    bool current_ = false;
    Item* currentFirst_ = nullptr;
    int32_t currentCount_ = 0;
    int32_t flags_ = 0;
};

// One stretch between commas: "n*X" (n independent copies), "n@X" (X once, its result
// n times), "a-b*X", or X itself.
Run GenerateItem(Engine& e, Node* first, Node* stop, Piece* modifiers) {
    if (first != nullptr && first != stop && first->kind == kNumberNode) {
        Node* op = first->next;
        int64_t count = NumberValue(first);
        if (IsOp(op, u'-') && op != stop && op->next != stop && op->next != nullptr && op->next->kind == kNumberNode &&
            op->next->next != stop && (IsOp(op->next->next, u'*') || IsOp(op->next->next, u'@'))) {
            const int64_t b = NumberValue(op->next);
            op = op->next->next;
            if (!e.everyAlternative)
                count += RandomIndex(static_cast<int32_t>(std::min<int64_t>(b - count + 1, INT32_MAX)), kSiteRange);
        }
        if (op != stop && (IsOp(op, u'*') || IsOp(op, u'@'))) {
            Run run;
            if (count <= 0) return run;
            if (e.everyAlternative) count = 1;
            Node* rest = op->next;
            if (IsOp(op, u'*')) {
                for (int64_t i = 0; i < count && !e.Stopped(); ++i) {
                    e.Work();
                    run.Append(GenerateItem(e, rest, stop, modifiers));
                }
                return run;
            }
            const Run once = GenerateItem(e, rest, stop, modifiers);
            run = once;
            for (int64_t i = 1; i < count && !e.Stopped(); ++i) {
                e.Work();
                const Item* item = once.first;
                for (int32_t k = 0; k < once.count && !e.Stopped(); ++k, item = item->next) {
                    if (!e.Charge(item->entry)) break;
                    run.Append(e.CopyItem(item));
                }
            }
            return run;
        }
    }
    ItemBuilder builder(e, modifiers);
    builder.Nodes(first, stop);
    return builder.Take();
}

Run GenerateList(Engine& e, Range range, Piece* modifiers) {
    Run run;
    Node* start = range.first;
    for (Node* n = range.first;; n = n->next) {
        if (n == range.stop || n == nullptr || IsOp(n, u',')) {
            if (e.Stopped()) break;
            run.Append(GenerateItem(e, start, n == nullptr ? range.stop : n, modifiers));
            if (n == range.stop || n == nullptr) break;
            start = n->next;
        }
    }
    return run;
}

// Keyword ":" number, blanks allowed around ":"; the keywords in either case.
bool ReadLimit(std::u16string_view m, bool& images, int64_t& value) {
    if (m.size() < 2) return false;
    std::u16string_view s = m.substr(1, m.size() - 2);
    auto skipBlanks = [&] {
        while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    };
    skipBlanks();
    std::u16string word;
    while (!s.empty() && ((s.front() >= u'A' && s.front() <= u'Z') || (s.front() >= u'a' && s.front() <= u'z'))) {
        word += s.front() >= u'a' ? static_cast<char16_t>(s.front() - 32) : s.front();
        s.remove_prefix(1);
    }
    if (word == u"MP" || word == u"MAXP" || word == u"MAXPIXEL")
        images = false;
    else if (word == u"MI" || word == u"MAXI" || word == u"MAXIMAGE")
        images = true;
    else
        return false;
    skipBlanks();
    if (s.empty() || s.front() != u':') return false;
    s.remove_prefix(1);
    skipBlanks();
    if (s.empty() || s.front() < u'0' || s.front() > u'9') return false;
    value = 0;
    while (!s.empty() && s.front() >= u'0' && s.front() <= u'9') {
        value = std::min<int64_t>(value * 10 + (s.front() - u'0'), INT64_MAX / 16);
        s.remove_prefix(1);
    }
    skipBlanks();
    return s.empty();
}

}  // namespace

void NoteDirectionModifier(Engine& e, std::u16string_view m) {
    if (e.direction != 0 || m.size() < 5) return;
    if (m[1] != u'#' || (m[2] != u'D' && m[2] != u'd') || m[3] != u':') return;
    switch (m[4]) {
    case u'L':
    case u'l':
    case u'B':
    case u'b': e.direction = -1; break;
    case u'R':
    case u'r':
    case u'J':
    case u'j': e.direction = 1; break;
    default: break;
    }
}

Run GenerateSequence(Engine& e, Range range, Piece* modifiers) {
    if (++e.nesting > kMaxNesting) RaiseError(-12426);
    std::vector<Range> alternatives;
    Node* start = range.first;
    for (Node* n = range.first; n != range.stop && n != nullptr; n = n->next) {
        if (IsOp(n, u'|')) {
            alternatives.push_back({start, n});
            start = n->next;
        }
    }
    alternatives.push_back({start, range.stop});

    Run run;
    if (alternatives.size() == 1) {
        run = GenerateList(e, alternatives[0], modifiers);
    } else if (e.everyAlternative) {
        for (const Range& alt : alternatives) {
            if (e.Stopped()) break;
            run.Append(GenerateList(e, ReadWeight(e, alt).items, modifiers));
        }
    } else {
        std::vector<Weighted> weighted;
        int64_t total = 0;
        for (const Range& alt : alternatives) {
            weighted.push_back(ReadWeight(e, alt));
            total += weighted.back().weight;
        }
        if (total > INT32_MAX || total < INT32_MIN) RaiseError(-12424);
        // No weight above 0: no alternative is chosen and the group yields nothing.
        if (total > 0) {
            int64_t r = RandomIndex(static_cast<int32_t>(total), kSiteAlternative);
            size_t chosen = 0;
            for (size_t i = weighted.size(); i-- > 0;) {
                if (r < weighted[i].weight) {
                    chosen = i;
                    break;
                }
                r -= weighted[i].weight;
            }
            run = GenerateList(e, weighted[chosen].items, modifiers);
        }
    }
    --e.nesting;
    return run;
}

Run GeneratePattern(Engine& e, Node* first, Piece* modifiers) {
    ++e.level;
    Limit* outerLimits = e.limits;
    Piece* inForce = modifiers;
    Node* n = first;
    if (!e.raw) {
        for (; n != nullptr; n = n->next) {
            if (IsOp(n, u'<')) {
                e.direction = -1;
            } else if (IsOp(n, u'>')) {
                e.direction = 1;
            } else if (n->kind == kModifierNode) {
                NoteDirectionModifier(e, n->Text());
                bool images = false;
                int64_t value = 0;
                if (ReadLimit(n->Text(), images, value)) {
                    auto* l = e.store.New<Limit>(34086);
                    *l = {e.limits, e.level, images, !images, value, value};
                    e.limits = l;
                } else {
                    inForce = e.NewPiece(inForce, n->start, n->end);
                }
            } else {
                break;
            }
        }
    }
    Run run = GenerateSequence(e, {n, nullptr}, inForce);
    e.limits = outerLimits;
    if (e.stopLevel == e.level) e.stopLevel = INT_MAX;
    --e.level;
    return run;
}

}  // namespace lvk::expand
