// Entry lines of a stock text file ("name;codes*author;kind;file;text 2;text 3"), parsed in
// place in the read window, with the author table and the file records they look up.
#include <algorithm>
#include <cstring>

#include "engine/base/arena.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_format.h"
#include "engine/stock/stock_text_load.h"

namespace lvk {
namespace {

constexpr size_t kMaxName = 1023;
constexpr size_t kMaxField = 1023;
constexpr uint32_t kBucketMask = 4095;

// Appends characters from p up to a byte that stop() takes, trailing spaces dropped, and
// returns where it stopped; more than limit characters raise code.
template <class Stop>
const uint8_t* Collect(const uint8_t* p, const uint8_t* end, std::u16string& out, bool upper, size_t limit,
                       int32_t code, Stop stop) {
    out.clear();
    size_t keep = 0;
    while (p < end && !stop(*p)) {
        char16_t unit;
        const bool space = *p == ' ';
        p += LenientUnit(p, end, unit);
        out += upper ? UpperAscii(unit) : unit;
        if (!space) keep = out.size();
    }
    out.resize(keep);
    if (keep > limit) RaiseError(code);
    return p;
}

// Up to four characters above blank packed into a code, letters upper-cased.
const uint8_t* PackCode(const uint8_t* p, const uint8_t* end, uint32_t& code, int& count, int32_t tooLong) {
    code = 0;
    count = 0;
    while (p<end&& * p> ' ' && *p != ';') {
        if (++count > 4) RaiseError(tooLong);
        code = code * 256 + UpperAscii(*p++);
    }
    return p;
}

// One file record for names that differ only in letter case or separator; the first spelling
// is the one kept.
uint32_t HashFile(uint8_t kind, uint8_t form, const std::u16string_view name) {
    uint32_t h = 2166136261u ^ (kind * 16u + form);
    for (const char16_t c : name) h = (h ^ FileNameUnit(c)) * 16777619u;
    return h;
}

bool SameFile(const FileRecord* r, uint32_t hash, uint8_t kind, uint8_t form, std::u16string_view name) {
    return r->hash == hash && r->kind == kind && r->form == form && r->length == static_cast<int32_t>(name.size()) &&
           std::equal(name.begin(), name.end(), r->Name(),
                      [](char16_t a, char16_t b) { return FileNameUnit(a) == FileNameUnit(b); });
}

}  // namespace

void StockTextLoad::ParseEntry(const uint8_t* p, const uint8_t* end) {
    StockEntry& e = entry_;
    e.Text3.clear();
    e.Author = 0;
    e.TypeLetter = e.WayLetter = u' ';
    e.UMark = 0;

    // Name: any control character before its ";" is refused, the line end included.
    p = Collect(p, end, e.Name, true, kMaxName, kErrStkNameLong, [](uint8_t c) { return c == ';' || c < 0x20; });
    if (p == end || *p != ';') RaiseError(kErrStkNameControl);
    ++p;

    // Code field: two code characters and the U position, or fewer before "*" or ";".
    bool author = false;
    int codes = 0;
    for (;;) {
        if (p >= end) RaiseError(kErrStkCodeField);
        if (*p == '*' || *p == ';') {
            author = *p++ == '*';
            break;
        }
        char16_t unit;
        if (codes < 2) {
            p += LenientUnit(p, end, unit);
            (codes == 0 ? e.TypeLetter : e.WayLetter) = unit;
            if (++codes == 2) {
                if (p >= end) RaiseError(kErrStkCodeField);
                p += LenientUnit(p, end, unit);
                e.UMark = unit == u'U' ? 1 : 0;
                codes = 3;
            }
        } else {
            ++p;
        }
    }

    uint32_t code;
    int count;
    if (author) {
        p = SkipBlanks(PackCode(p, end, code, count, kErrStkAuthorLong), end);
        if (p == end || *p != ';') RaiseError(kErrStkAuthorEnd);
        ++p;
        if (count > 0) e.Author = FindAuthor(code);
    }

    p = SkipBlanks(PackCode(SkipBlanks(p, end), end, code, count, kErrStkKindLong), end);
    if (p == end || *p != ';') RaiseError(kErrStkKindEnd);
    ++p;
    const int kind = KindOfCode(code);
    if (kind == 0) RaiseError(kErrStkKindUnknown);

    if (kind == kKindMacro) {
        p = Collect(SkipBlanks(p, end), end, e.Text2, false, kMaxField, kErrStkFieldLong,
                    [](uint8_t c) { return c < 0x20; });
        e.FileIndex = kMacroFileIndex;
    } else {
        // The file as written: its case and separators are part of the name here.
        p = Collect(SkipBlanks(p, end), end, fileName16_, false, kMaxField, kErrStkFieldLong,
                    [](uint8_t c) { return c == ';' || c < 0x20; });
        p = SkipBlanks(p, end);
        if (p == end || *p != ';') RaiseError(kErrStkFileEnd);
        ++p;

        // Path form: 2 below the stock file's folder, 1 rooted, 0 on another drive.
        std::u16string_view name = fileName16_;
        uint8_t form = 2;
        if (name.size() >= 2 && name[1] == u':') {
            const std::string_view folder = folder_;
            const bool prefix = name.size() >= folder.size() &&
                                std::equal(folder.begin(), folder.end(), name.begin(),
                                           [](char f, char16_t n) { return n == static_cast<uint8_t>(f); });
            if (prefix && name.size() == folder.size())
                name = {};
            else if (prefix && (name[folder.size()] == u'\\' || name[folder.size()] == u'/'))
                name.remove_prefix(folder.size() + 1);
            else
                form = 0;
        } else if (!name.empty() && (name[0] == u'\\' || name[0] == u'/')) {
            form = 1;
        }
        e.FileIndex = FileIndexOf(static_cast<uint8_t>(kind), form, name);

        p = Collect(SkipBlanks(p, end), end, e.Text2, false, kMaxField, kErrStkFieldLong,
                    [](uint8_t c) { return c == ';' || c < 0x20; });
        if (p < end && *p == ';') {
            p = Collect(SkipBlanks(p + 1, end), end, e.Text3, false, kMaxField, kErrStkFieldLong,
                        [](uint8_t c) { return c < 0x20; });
        }
    }
    if (p != end || *end == 0) RaiseError(kErrStkLineEnd);
}

int16_t StockTextLoad::FindAuthor(uint32_t code) {
    if (sortedAuthors_ == nullptr) {
        if (authorCount_ <= 0) RaiseError(kErrStkAuthorUnknown);
        sortedAuthors_ = static_cast<AuthorPair*>(
            MemAlloc(static_cast<size_t>(authorCount_) * sizeof(AuthorPair), kTagStkAuthTable));
        if (sortedAuthors_ == nullptr) RaiseError(kErrStkAuthTable);
        sortedCount_ = 0;
        for (const AuthorNode* n = authorsHead_; n != nullptr && sortedCount_ < authorCount_; n = n->next)
            sortedAuthors_[sortedCount_++] = AuthorPair{n->code, n->number};
        // Stable: of two authors with one code, the first registered is found.
        std::stable_sort(sortedAuthors_, sortedAuthors_ + sortedCount_,
                         [](const AuthorPair& a, const AuthorPair& b) { return a.code < b.code; });
        lastAuthor_ = -1;
    }
    if (lastAuthor_ >= 0 && sortedAuthors_[lastAuthor_].code == code) return sortedAuthors_[lastAuthor_].number;
    const AuthorPair* found = std::lower_bound(sortedAuthors_, sortedAuthors_ + sortedCount_, code,
                                               [](const AuthorPair& a, uint32_t c) { return a.code < c; });
    if (found == sortedAuthors_ + sortedCount_ || found->code != code) RaiseError(kErrStkAuthorUnknown);
    lastAuthor_ = static_cast<int32_t>(found - sortedAuthors_);
    return found->number;
}

int16_t StockTextLoad::FileIndexOf(uint8_t kind, uint8_t form, std::u16string_view name) {
    const uint32_t hash = HashFile(kind, form, name);
    if (lastFile_ != nullptr && SameFile(lastFile_, hash, kind, form, name)) return lastFile_->index;
    FileRecord*& bucket = buckets_[hash & kBucketMask];
    for (FileRecord* r = bucket; r != nullptr; r = r->next) {
        if (SameFile(r, hash, kind, form, name)) {
            lastFile_ = r;
            return r->index;
        }
    }
    auto* r = static_cast<FileRecord*>(
        ArenaAlloc(static_cast<int32_t>(sizeof(FileRecord) + name.size() * sizeof(char16_t)), kTagStkFileRecord));
    r->next = bucket;
    r->hash = hash;
    r->length = static_cast<int32_t>(name.size());
    r->kind = kind;
    r->form = form;
    std::copy(name.begin(), name.end(), const_cast<char16_t*>(r->Name()));
    file_.Kind = kind;
    file_.Path = form == 2 ? JoinStockPath(folderText_, name) : std::u16string(name);
    r->index = static_cast<int16_t>(cb_.onStockFile != nullptr ? cb_.onStockFile(&file_) : 0);
    bucket = r;
    lastFile_ = r;
    return r->index;
}

}  // namespace lvk
