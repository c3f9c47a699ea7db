#include "program/dialogs/about_credits.h"

#include <algorithm>

#include "lumvatek/shared.h"
#include "platform/text.h"
#include "program/core/texts/descriptions.h"

namespace yov {

namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr int32_t kTitlePoints = 11;
constexpr int32_t kTextPoints = 8;
constexpr int32_t kAuthorsWrapWidth = 1280;

int32_t len(std::u16string_view s) { return static_cast<int32_t>(s.size()); }

std::u16string upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = plat::toUpper(c);
    return out;
}

const AuthorEntry* authorAt(const CreditsSources& src, int32_t i) {
    if (src.authors == nullptr || i < 0 || i > src.authorCount) return nullptr;
    return &src.authors[i];
}

// The own credits are shown when the info text is empty or begins with "+"; the "+"
// goes. Any other info replaces them.
bool takeOwnCredits(std::u16string& info) {
    if (info.empty()) return true;
    if (info.front() != u'+') return false;
    info.erase(0, 1);
    return true;
}

void addInfoBlock(Credits& c, std::u16string_view whole) {
    if (whole.empty()) return;
    CreditsAlign align = CreditsAlign::Left;
    const char16_t first = whole[0];
    if (first == u'>') align = CreditsAlign::Right;
    if (first == u'*') align = CreditsAlign::Centre;
    std::u16string info(first == u'<' || first == u'>' || first == u'*' ? whole.substr(1) : whole);
    info = ExpandTextFields(info);
    const size_t br = info.find(kCrLf);
    if (br == std::u16string::npos)
        c.AddBlock({}, info, align);
    else
        c.AddBlock(std::u16string_view(info).substr(0, br), std::u16string_view(info).substr(br + 2), align);
}

void addAuthorsList(Credits& c, const CreditsSources& src) {
    c.WrapWidth = kAuthorsWrapWidth;
    c.authorsShown = true;
    const std::vector<int32_t> listed = ListedAuthors(src);
    c.lines.assign(listed.size() + 1, AuthorLine{});
    c.AddBlock(u"Picture authors:", u" ", CreditsAlign::Left);
    int32_t maxN = 0, maxE = 0;
    std::u16string text;
    for (size_t i = 0; i < listed.size(); ++i) {
        const AuthorEntry& a = *authorAt(src, listed[i]);
        AuthorLine& line = c.lines[i + 1];
        line.author = listed[i];
        line.start = c.CreditsLength;
        c.CreditsLength += len(a.Name) + 1;
        line.mailStart = c.CreditsLength;
        c.CreditsLength += len(a.Mail) + 1;
        line.homeStart = c.CreditsLength;
        c.CreditsLength += len(a.HomePage) + 2;
        text += a.Name + u'\t' + a.Mail + u'\t' + a.HomePage + std::u16string(kCrLf);
        if (src.textWidth) {
            maxN = std::max(maxN, src.textWidth(a.Name));
            maxE = std::max(maxE, src.textWidth(a.Mail));
        }
    }
    c.ListEnd = c.CreditsLength;
    if (!text.empty())
        c.pieces.push_back({std::move(text), kTextPoints, CreditsAlign::Left, {maxN + 10, maxN + maxE + 20}});
}

}  // namespace

void Credits::AddBlock(std::u16string_view title, std::u16string_view text, CreditsAlign align) {
    if (text.empty()) return;
    if (!title.empty()) {
        pieces.push_back({std::u16string(title) + u"\r\n\r\n", kTitlePoints, align, {}});
        CreditsLength += len(title) + 4;
    }
    pieces.push_back({std::u16string(text) + std::u16string(kCrLf), kTextPoints, align, {}});
    CreditsLength += len(text) + 2;
}

std::u16string AuthorSortKey(std::u16string_view name) {
    const size_t blank = name.find(u' ');
    if (blank == std::u16string_view::npos || name.find(u' ', blank + 1) != std::u16string_view::npos)
        return upper(name);
    std::u16string swapped(name.substr(blank + 1));
    swapped += u' ';
    swapped += name.substr(0, blank);
    return upper(swapped);
}

std::vector<int32_t> ListedAuthors(const CreditsSources& src) {
    std::vector<int32_t> listed;
    if (src.authors == nullptr || src.authorCount <= 0) return listed;
    if (src.entryAuthors.empty()) {
        for (int32_t i = 1; i <= src.authorCount; ++i) listed.push_back(i);
    } else {
        std::vector<bool> named(static_cast<size_t>(src.authorCount) + 1, false);
        // An entry naming an author outside the table marks none.
        for (int16_t a : src.entryAuthors)
            if (a >= 1 && a <= src.authorCount) named[static_cast<size_t>(a)] = true;
        for (int32_t i = 1; i <= src.authorCount; ++i)
            if (named[static_cast<size_t>(i)]) listed.push_back(i);
    }
    std::vector<std::u16string> keys;
    keys.reserve(listed.size());
    for (int32_t i : listed) keys.push_back(AuthorSortKey(src.authors[i].Name));
    // Equal keys never change places: authors of one key stay in the order the stock names them.
    std::vector<size_t> order(listed.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<int32_t> sorted;
    sorted.reserve(order.size());
    for (size_t i : order) sorted.push_back(listed[i]);
    return sorted;
}

Credits BuildCredits(const CreditsSources& src) {
    Credits c;
    std::u16string info = src.info;
    if (takeOwnCredits(info)) {
        c.AddBlock(src.ownCreditsTitle, src.ownCreditsLines, CreditsAlign::Left);
        std::u16string translators;
        for (const std::u16string& line : src.translatorLines) translators += line + std::u16string(kCrLf);
        c.AddBlock(src.translatorsTitle, translators, CreditsAlign::Left);
    }
    addInfoBlock(c, info);
    if ((src.scriptFlags & 4) == 0) addAuthorsList(c, src);
    return c;
}

LinkHit FindItem(const Credits& c, const CreditsSources& src, int32_t p) {
    const int32_t n = c.AuthorLineCount();
    if (p >= c.CreditsLength || (src.scriptFlags & 4) != 0 || src.authorCount <= 0 || !c.authorsShown || n <= 0)
        return {};
    auto lineStart = [&](int32_t r) { return r > n ? c.ListEnd : c.lines[static_cast<size_t>(r)].start; };
    // Binary search over the line starts, row 0 starting at 0: a position before the first
    // author line ends in row 0. The guard only matters for a position past the list.
    int32_t lo = 1, hi = n, mid = n / 2, row = 0;
    for (int32_t guard = 0; guard < 64 && mid >= 0 && mid <= n; ++guard) {
        if (lineStart(mid) > p)
            hi = mid - 1;
        else if (lineStart(mid + 1) > p) {
            row = mid;
            break;
        } else
            lo = mid + 1;
        mid = (lo + hi) / 2;
    }
    if (row == 0) return {};
    const AuthorLine& line = c.lines[static_cast<size_t>(row)];
    const AuthorEntry* a = authorAt(src, line.author);
    CreditLink kind = CreditLink::None;
    if (p >= line.homeStart)
        kind = (a != nullptr && !a->HomePage.empty()) ? CreditLink::HomePage : CreditLink::None;
    else if (p >= line.mailStart)
        kind = (a != nullptr && !a->Mail.empty()) ? CreditLink::Mail : CreditLink::None;
    return {row, kind};
}

}  // namespace yov
