// The About window's credits: the blocks of text appended to its pane, and where each
// author line, its mail address and its home page begin, so that a point over the pane
// can be turned into a link. Positions count a line break (CR LF) as two characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct AuthorEntry;

namespace yov {

enum class CreditsAlign : uint8_t { Left = 0, Right = 1, Centre = 2 };

// One piece of text appended at the pane's caret with the paragraph settings in force.
struct CreditsPiece {
    std::u16string text;  // line breaks as CR LF
    int32_t pointSize = 8;
    CreditsAlign align = CreditsAlign::Left;
    std::vector<int32_t> tabStops;  // pixels, only for the authors list
};

// What a point over the pane is over.
enum class CreditLink : uint8_t { None = 0, Mail = 1, HomePage = 2 };

struct AuthorLine {
    int32_t author = 0;  // index into the author table
    int32_t start = 0, mailStart = 0, homeStart = 0;
};

struct Credits {
    std::vector<CreditsPiece> pieces;
    int32_t CreditsLength = 0;
    // Rows 1..n of the author list; row 0 is all zero, and the position just after the
    // list is kept in ListEnd (row n+1).
    std::vector<AuthorLine> lines{AuthorLine{}};
    int32_t ListEnd = 0;
    int32_t WrapWidth = 0;  // 0: lines wrap at the pane's edge
    bool authorsShown = false;

    int32_t AuthorLineCount() const { return static_cast<int32_t>(lines.size()) - 1; }
    // Appends a block: a title in 11 points followed by an empty line, then the text in
    // 8 points and a line break; nothing at all when the text is empty.
    void AddBlock(std::u16string_view title, std::u16string_view text, CreditsAlign align);
};

// The facts the credits are built from, read from the loaded stock, languages and script.
struct CreditsSources {
    std::u16string info;                          // the scene script's info text
    uint8_t scriptFlags = 0;                      // 1 no rail, 4 no authors
    std::u16string ownCreditsTitle;               // text of "PAU" followed by ":"
    std::u16string ownCreditsLines;               // the contributor lines, each ending with CR LF
    std::u16string translatorsTitle;              // text of "LTR" followed by ":"
    std::vector<std::u16string> translatorLines;  // "name: text" of each translated language
    const AuthorEntry* authors = nullptr;         // entries 0..authorCount
    int32_t authorCount = 0;
    std::vector<int16_t> entryAuthors;                      // the author number of every stock entry
    std::function<int32_t(std::u16string_view)> textWidth;  // in the window's font
};

// The authors to list, sorted: every author some stock entry names, once, or every known
// author when the stock is empty; ordered by AuthorSortKey with a stable exchange sort.
std::vector<int32_t> ListedAuthors(const CreditsSources& src);
// "First Last" sorts as "LAST FIRST"; a name of one word or of three or more as it is,
// upper-cased.
std::u16string AuthorSortKey(std::u16string_view name);

// Builds the whole credits text of the About window.
Credits BuildCredits(const CreditsSources& src);

// The author row and link kind at a character position of the pane.
struct LinkHit {
    int32_t line = 0;
    CreditLink kind = CreditLink::None;
};
LinkHit FindItem(const Credits& credits, const CreditsSources& src, int32_t position);

}  // namespace yov
