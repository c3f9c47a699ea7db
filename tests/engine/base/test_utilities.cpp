// The engine's text utilities: bracket-aware search, wildcard match with template, word
// boundaries, "|" selections, trimming, sorting and copying.
#include <gtest/gtest.h>

#include <climits>
#include <span>
#include <string>
#include <vector>

#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

// A text in the shared-string layout for the length of a test.
class SharedText {
public:
    explicit SharedText(const std::u16string& s) : p_(LvTextAlloc(s)) {}
    // An output buffer of capacity characters.
    static SharedText buffer(int capacity) { return SharedText(std::u16string(static_cast<size_t>(capacity), u'#')); }
    SharedText(SharedText&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ~SharedText() { LvTextFree(p_); }
    char16_t* get() const { return p_; }
    char16_t** variable() { return &p_; }
    std::u16string str() const { return LvTextString(p_); }
    std::u16string prefix(int n) const { return std::u16string(p_, static_cast<size_t>(n)); }

private:
    char16_t* p_;
};

struct RLookCase {
    const char* name;
    std::u16string text;
    int32_t start;
    int32_t end;
    char16_t what;
    int32_t want;
};

TEST(RLook, FindsCharactersAtBracketDepthZero) {
    const RLookCase cases[] = {
        {"comma after a bracket group", u"a(b,c),d", 1, 0, u',', 7},
        {"the opening bracket itself", u"a(b,c),d", 1, 0, u'(', 2},
        {"a closer with no opener", u"a)b", 1, 0, u'b', -1},
        {"a closer found before it is checked", u"a)b", 1, 0, u')', 2},
        {"comma inside quotes skipped", u"x\"a,b\",c", 1, 0, u',', 7},
        {"doubled quote stays inside", u"\"a\"\",b\",c", 1, 0, u',', 8},
        {"backslash escapes a quote", u"\"a\\\",b\",c", 1, 0, u',', 8},
        {"unterminated string ends the search", u"x\"a,b", 1, 0, u',', 0},
        {"wrong closer", u"(a]", 1, 0, u'x', -1},
        {"end -1 leaves the last character out", u"abc,", 1, -1, u',', 0},
        {"end -1 still finds earlier ones", u"a,c,", 1, -1, u',', 2},
        {"end counts from 1 and is excluded", u"a,c,", 1, 2, u',', 0},
        {"end beyond the length", u"a,c", 1, 99, u',', 2},
        {"start after the character", u"a,c,", 3, 0, u',', 4},
        {"start below 1 counts as 1", u",ab", -5, 0, u',', 1},
        {"start beyond length + 1", u"abc", 5, 0, u'c', 0},
        {"open brackets at the end give 0", u"(a,b", 1, 0, u',', 0},
        {"nested mixed brackets", u"{[(a,b)]},c", 1, 0, u',', 10},
        {"a matching closer from inside", u"(a+b)*2", 2, 0, u')', 5},
    };
    for (const RLookCase& c : cases) {
        SharedText t(c.text);
        EXPECT_EQ(RLook(t.get(), c.start, c.end, c.what), c.want) << c.name;
    }
}

TEST(RLook, CandidateTextAndLimits) {
    SharedText t(u"ab=c;d");
    SharedText candidates(u";=");
    EXPECT_EQ(RLook(t.get(), 1, 0, reinterpret_cast<uintptr_t>(candidates.get())), 3);
    EXPECT_EQ(RLook(nullptr, 1, 0, u','), 0);
    EXPECT_EQ(RLook(t.get(), 1, 0, 0), 0);

    std::u16string deep(50, u'(');
    SharedText fifty(deep + u"," + std::u16string(50, u')'));
    EXPECT_EQ(RLook(fifty.get(), 1, 0, u'x'), 0) << "50 levels are allowed";
    SharedText fiftyOne(deep + u"(");
    EXPECT_EQ(RLook(fiftyOne.get(), 1, 0, u'x'), -2);
}

struct MatchCase {
    const char* name;
    std::u16string pattern;
    std::u16string text;
    std::u16string templ;
    int32_t want;
    std::u16string out;
};

void ExpectMatches(std::span<const MatchCase> cases) {
    for (const MatchCase& c : cases) {
        SharedText p(c.pattern), t(c.text), templ(c.templ);
        SharedText out = SharedText::buffer(16);
        const int32_t got = Match(p.get(), t.get(), templ.get(), out.get());
        EXPECT_EQ(got, c.want) << c.name;
        if (got > 0) {
            EXPECT_EQ(out.prefix(got), c.out) << c.name;
        }
    }
}

TEST(Match, PatternsAndTemplates) {
    const MatchCase cases[] = {
        {"two stars swapped", u"*-*", u"AB-CD", u"%2%1", 4, u"CDAB"},
        {"? needs the whole text", u"?", u"AB", u"%1", 0, u""},
        {"letters to places", u"?*", u"ABC", u"%N2", 2, u"23"},
        {"places from zero", u"?*", u"ABC", u"%ZN2", 2, u"12"},
        {"two-digit places", u"*", u"JZ", u"%N1", 4, u"1026"},
        {"digits to letters", u"*", u"1209", u"%A1", 4, u"ABZI"},
        {"digits to letters from A=0", u"*", u"09", u"%ZA1", 2, u"AJ"},
        {"upper and lower", u"*x", u"abx", u"%U1%L0", 5, u"ABabx"},
        {"lower case option letters", u"*", u"ab", u"%u1", 2, u"AB"},
        {"whole text and percent", u"*", u"ab", u"%0%%", 3, u"ab%"},
        {"a missing group inserts nothing", u"*", u"ab", u"[%5]", 2, u"[]"},
        {"other character after % is consumed", u"*", u"ab", u"%N-x", 1, u"x"},
        {"shortest star first", u"*.*", u"a.b.c", u"%1|%2", 5, u"a|b.c"},
        {"run of ? is one group",
         u"?"
         "?-*",
         u"AB-C", u"%2%1", 3, u"CAB"},
        {"escaped star is literal", u"a\\*b", u"a*b", u"ok", 2, u"ok"},
        {"case matters", u"ab", u"AB", u"", 0, u""},
        {"template ending in a reference", u"*", u"ab", u"x%N", -1, u""},
        {"template ending with %", u"*", u"ab", u"x%", -1, u""},
        {"trailing backslash fails", u"a\\", u"a\\", u"x", 0, u""},
    };
    ExpectMatches(cases);
}

TEST(Match, WithoutTemplateOrOutputGivesOne) {
    SharedText p(u"a*"), t(u"abc"), templ(u"%1");
    EXPECT_EQ(Match(p.get(), t.get(), nullptr, nullptr), 1);
    EXPECT_EQ(Match(p.get(), t.get(), templ.get(), nullptr), 1);
}

TEST(Match, OutputBeyondCapacityIsCountedNotWritten) {
    SharedText p(u"*"), t(u"abcdef"), templ(u"%0%0");
    SharedText out = SharedText::buffer(4);
    EXPECT_EQ(Match(p.get(), t.get(), templ.get(), out.get()), 12);
    EXPECT_EQ(out.str(), u"abcd");
    EXPECT_EQ(out.get()[4], 0) << "nothing written past the buffer";
}

TEST(Match, ManyStarsDoNotExplode) {
    SharedText p(u"*a*a*a*a*a*a*a*a*a*a*a*b"), t(std::u16string(2000, u'a'));
    EXPECT_EQ(Match(p.get(), t.get(), nullptr, nullptr), 0);
}

// Long runs of "*" once took tens of seconds and hundreds of stack frames; a run matches
// like one "*", whose last member captures what the run takes.
TEST(Match, LongRunsOfStars) {
    const std::u16string stars(1000, u'*');
    const std::u16string text(800, u'a');
    const MatchCase cases[] = {
        {"stars and a character the text lacks", stars + u"b", text, u"%1", 0, u""},
        {"the first stars of a run capture nothing", stars + u"b", text + u"b", u"%1|%9", 1, u"|"},
        {"two runs and a character the text lacks", u"a" + stars + u"b" + stars + u"c", text + u"b", u"%1", 0, u""},
        {"runs of two stars", u"a**b**a**b", u"abxxabyyab", u"%4|%6", 7, u"xx|byya"},
        {"a ? run before long star runs", u"?" + stars + u"??" + stars, text, u"%1", 1, u"a"},
    };
    ExpectMatches(cases);
}

// The search the matcher must agree with, written as plainly as it reads: "*" shortest run
// first, the latest "*" grown first, "?" runs one group, "\\" a literal. Exponential, so only
// for short patterns.
struct Oracle {
    Oracle(std::u16string_view pattern, std::u16string_view text) : p(pattern), t(text) {}
    std::u16string_view p, t;
    std::u16string groups[9];
    bool set[9] = {};

    void capture(int g, size_t start, size_t length) {
        if (g < 9) {
            groups[g] = std::u16string(t.substr(start, length));
            set[g] = true;
        }
    }
    bool match(size_t pi, size_t ti, int g) {
        if (pi == p.size()) return ti == t.size();
        if (p[pi] == u'*') {
            if (pi + 1 == p.size()) {
                capture(g, ti, t.size() - ti);
                return true;
            }
            for (size_t len = 0; ti + len <= t.size(); ++len) {
                capture(g, ti, len);
                if (match(pi + 1, ti + len, g + 1)) return true;
            }
            return false;
        }
        if (p[pi] == u'?') {
            size_t run = 0;
            while (pi + run < p.size() && p[pi + run] == u'?') ++run;
            if (t.size() - ti < run) return false;
            capture(g, ti, run);
            return match(pi + run, ti + run, g + 1);
        }
        size_t width = p[pi] == u'\\' ? 2 : 1;
        if (pi + width > p.size() || ti == t.size() || t[ti] != p[pi + width - 1]) return false;
        return match(pi + width, ti + 1, g);
    }
};

TEST(Match, AgreesWithTheBacktrackingSearch) {
    // Every group in the output, so a capture that differs shows.
    SharedText templ(u"%1,%2,%3,%4,%5,%6,%7,%8,%9");
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const char16_t patternUnits[] = {u'a', u'b', u'*', u'*', u'?', u'\\'};
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        std::u16string pattern, text;
        for (uint32_t n = next(9); n > 0; --n) pattern += patternUnits[next(6)];
        for (uint32_t n = next(9); n > 0; --n) text += next(4) == 0 ? u'*' : u"ab"[next(2)];
        Oracle o(pattern, text);
        const bool want = o.match(0, 0, 0);
        std::u16string wantOut;
        for (int g = 0; g < 9; ++g) {
            if (g > 0) wantOut += u',';
            if (o.set[g]) wantOut += o.groups[g];
        }
        SharedText p(pattern), t(text);
        SharedText out = SharedText::buffer(64);
        const int32_t got = Match(p.get(), t.get(), templ.get(), out.get());
        ASSERT_EQ(got > 0, want) << "pattern " << std::string(pattern.begin(), pattern.end()) << " text "
                                 << std::string(text.begin(), text.end());
        if (want) {
            ++matched;
            EXPECT_EQ(out.prefix(got), wantOut) << "pattern " << std::string(pattern.begin(), pattern.end()) << " text "
                                                << std::string(text.begin(), text.end());
        }
    }
    EXPECT_GT(matched, 1000) << "the generated cases should often match";
}

TEST(Match, MoreThanNineGroupsStillMatch) {
    SharedText p(
        u"?-?-?-?-?-?-?-?-?-?-"
        u"*"),
        t(u"a-b-c-d-e-f-g-h-i-j-kl"), templ(u"%9%1");
    SharedText out = SharedText::buffer(8);
    EXPECT_EQ(Match(p.get(), t.get(), templ.get(), out.get()), 2);
    EXPECT_EQ(out.prefix(2), u"ia");
}

TEST(LookDelim, FindsWordAndNonWordCharacters) {
    SharedText t(u"ab_1 +c");
    EXPECT_EQ(LookDelim(t.get(), 1, 0), 5);
    EXPECT_EQ(LookDelim(t.get(), 5, 1), 7);
    EXPECT_EQ(LookDelim(t.get(), 0, 1), 1);
    SharedText words(u"abc");
    EXPECT_EQ(LookDelim(words.get(), 1, 0), 0);
}

struct SelCase {
    const char* name;
    std::u16string text;
    int32_t index;
    int32_t result, wordEnd, nextWord;
};

TEST(LookSel, WordsJoinedByBars) {
    const SelCase cases[] = {
        {"a bar and a word", u"ab | cd", 0, 1, 3, 6},
        {"a bar and a non-word", u"ab | +cd", 0, 0, 3, 7},
        {"no bar", u"ab cd", 0, 0, 3, 4},
        {"a bar at the end", u"ab |  ", 0, 0, 3, 0},
        {"continuation lines are blanks", u"ab\\\r\n|\\\r\n cd", 0, 1, 3, 11},
        {"from inside the text", u"x ab|cd", 2, 1, 5, 6},
        {"nothing after the word", u"ab", 0, 0, 3, 0},
    };
    for (const SelCase& c : cases) {
        SharedText t(c.text);
        int32_t wordEnd = -1, next = -1;
        EXPECT_EQ(LookSel(t.get(), c.index, &wordEnd, &next), c.result) << c.name;
        EXPECT_EQ(wordEnd, c.wordEnd) << c.name;
        EXPECT_EQ(next, c.nextWord) << c.name;
    }
}

TEST(RTrimBlk, RemovesBlanksBeforeLineEndsAndAtTheEnd) {
    SharedText t(u"ab  \r\nc ");
    EXPECT_EQ(RTrimBlk(t.get()), 5);
    EXPECT_EQ(t.prefix(5), u"ab\r\nc");
    EXPECT_EQ(LvTextLength(t.get()), 8) << "the stored length is not changed";

    SharedText lf(u"  \n \r x");
    EXPECT_EQ(RTrimBlk(lf.get()), 4);
    EXPECT_EQ(lf.prefix(4), u"\n\r x");
}

struct SortCase {
    const char* name;
    std::u16string in;
    std::u16string out;
};

TEST(SortText, SortsLinesKeepingTheirEnds) {
    const SortCase cases[] = {
        {"three terminated lines", u"b\r\na\r\nc\r\n", u"a\r\nb\r\nc\r\n"},
        {"an open last line sorting first gets its line end", u"b\r\na", u"a\r\nb"},
        {"shorter line first", u"ab\r\na\r\n", u"a\r\nab\r\n"},
        {"line end sorts before a blank", u"a b\r\na\r\n", u"a\r\na b\r\n"},
        {"upper case before lower case", u"b\r\nB\r\n", u"B\r\nb\r\n"},
        {"one line stays", u"only", u"only"},
        {"empty lines first", u"b\r\n\r\na\r\n", u"\r\na\r\nb\r\n"},
    };
    for (const SortCase& c : cases) {
        SharedText t(c.in);
        EXPECT_EQ(SortText(t.variable()), 0) << c.name;
        EXPECT_EQ(t.str(), c.out) << c.name;
    }
    EXPECT_EQ(SortText(nullptr), 0);
}

TEST(SSort, SortsTextReferencesByUnsignedUnits) {
    struct Element {
        const char16_t* text;
        int32_t tag;
    };
    SharedText b(u"b"), a(u"a"), ab(u"ab"), high(u"\xFFFF"), empty(u"");
    std::vector<Element> v = {{b.get(), 1}, {high.get(), 2}, {ab.get(), 3},
                              {nullptr, 4}, {a.get(), 5},    {empty.get(), 6}};
    EXPECT_EQ(SSort(v.data(), static_cast<int32_t>(v.size()), sizeof(Element)), 0);
    std::vector<int32_t> tags;
    for (const Element& e : v) tags.push_back(e.tag);
    EXPECT_EQ(tags, (std::vector<int32_t>{4, 6, 5, 3, 1, 2})) << "null and empty first, in their order";
}

TEST(ISort, ComparesWithoutOverflow) {
    std::vector<int32_t> v = {INT32_MAX, -5, INT32_MIN, 0, 7, INT32_MIN + 1};
    EXPECT_EQ(ISort(v.data(), static_cast<int32_t>(v.size()), 4), 0);
    EXPECT_EQ(v, (std::vector<int32_t>{INT32_MIN, INT32_MIN + 1, -5, 0, 7, INT32_MAX}));

    struct Pair {
        int32_t key;
        int32_t payload;
    };
    std::vector<Pair> p = {{3, 30}, {1, 10}, {2, 20}};
    ISort(p.data(), 3, sizeof(Pair));
    EXPECT_EQ(p[0].payload, 10);
    EXPECT_EQ(p[2].payload, 30);
}

TEST(MemCpy, CopiesOverlappingBytes) {
    char buffer[] = "abcdef";
    EXPECT_EQ(MemCpy(buffer + 1, buffer, 4), 4);
    EXPECT_STREQ(buffer, "aabcdf");
    EXPECT_EQ(MemCpy(buffer, buffer + 1, -3), 0);
    EXPECT_EQ(GetDDCaps(), 0);
    EXPECT_EQ(BufferIntegrity(), 0);
}

}  // namespace
