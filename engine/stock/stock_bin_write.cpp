// SaveStockBin: the program's shared arrays written as a binary stock file, the body
// plain ("StkB0") or as one zlib stream ("StkZ0"), the header repeated as a trailer.
#include <zlib.h>

#include <algorithm>
#include <initializer_list>
#include <new>
#include <string>

#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_file_out.h"
#include "engine/stock/stock_format.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

constexpr int kMaxVersion = 4;

class StockBinWriter {
public:
    StockBinWriter(int32_t version, const char* file, int32_t background)
        : version_(version), folder_(StockFolderBytes(file)), background_(background) {}

    std::string Body();

private:
    void Byte(uint8_t b) { out_ += static_cast<char>(b); }
    void Number(int32_t value);
    void Text(std::u16string_view text);
    void Texts(const LvString* texts, int32_t count) {
        for (int32_t j = 0; j < count; ++j) Text(texts[j]);
    }
    void FilePath(std::u16string_view path);

    int32_t version_;
    std::string folder_;
    int32_t background_;
    SharedState* shared_ = Shared();
    std::string out_;
};

void StockBinWriter::Number(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    if (version_ < 3) {
        if (value >= 0 && value < 0x8000) {
            Byte(static_cast<uint8_t>(v));
            Byte(static_cast<uint8_t>(v >> 8));
        } else {
            Byte(0xF0);
            Byte(0xF0);
            for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
        }
        return;
    }
    if (value < 0 || v >= 0x10000000) {
        Byte(0xF0);
        for (int shift = 24; shift >= 0; shift -= 8) Byte(static_cast<uint8_t>(v >> shift));
    } else if (v >= 0x200000) {
        Byte(static_cast<uint8_t>(0xE0 | (v >> 24)));
        for (int shift = 16; shift >= 0; shift -= 8) Byte(static_cast<uint8_t>(v >> shift));
    } else if (v >= 0x4000) {
        Byte(static_cast<uint8_t>(0xC0 | (v >> 16)));
        Byte(static_cast<uint8_t>(v >> 8));
        Byte(static_cast<uint8_t>(v));
    } else if (v >= 0x80) {
        Byte(static_cast<uint8_t>(0x80 | (v >> 8)));
        Byte(static_cast<uint8_t>(v));
    } else {
        Byte(static_cast<uint8_t>(v));
    }
}

void StockBinWriter::Text(std::u16string_view text) {
    Number(static_cast<int32_t>(text.size()));
    for (const char16_t c : text) {
        // U+0001 is escaped too: written bare it would read back as the escape's start.
        if (version_ >= 3 && (c > 0xFF || c == 1)) {
            Byte(1);
            Byte(static_cast<uint8_t>(c >> 8));
        }
        Byte(static_cast<uint8_t>(c));
    }
}

// Form 1: the stock file's own folder; form 2: a path below it (the rest is stored);
// form 0: any other path, stored whole. The folder is compared in any letter case and with
// "/" or "\", so that paths an older file holds in capitals still lie below it.
void StockBinWriter::FilePath(std::u16string_view path) {
    size_t k = 0;
    bool below = !path.empty();
    for (; below && k < folder_.size(); ++k) {
        const uint8_t f = static_cast<uint8_t>(folder_[k]);
        if (f > 127 || k >= path.size() || FileNameUnit(path[k]) != FileNameUnit(f)) below = false;
    }
    if (below && path.size() == folder_.size()) {
        Byte(1);
        if (version_ < 3) Number(0);
    } else if (below && (path[k] == u'\\' || path[k] == u'/')) {
        Byte(2);
        Text(path.substr(k + 1));
    } else {
        Byte(0);
        Text(path);
    }
}

std::string StockBinWriter::Body() {
    if (shared_ == nullptr) RaiseError(kErrStkOutBuffer);
    const StockTable<LanguageEntry> languages(kTableLanguages);
    const int32_t L = std::min(languages.Last(shared_->LanguageCount), kLanguageSlots - 1);
    Number(L);
    for (int32_t i = 1; i <= L; ++i) {
        Text(languages[i].Code);
        Texts(languages[i].Names, L + 1);
        if (version_ >= 3) Text(languages[i].LangTR);
    }

    const StockTable<LangTextEntry> texts(kTableTexts);
    const int32_t textCount = texts.Last(shared_->LangTextCount);
    Number(textCount);
    for (int32_t i = 1; i <= textCount; ++i) {
        Text(texts[i].Key);
        Texts(texts[i].Texts, L + 1);
    }

    Number(shared_->PictureHeight);
    Byte(static_cast<uint8_t>(background_));
    Byte(static_cast<uint8_t>(background_ >> 8));
    Byte(static_cast<uint8_t>(background_ >> 16));

    const StockTable<AuthorEntry> authors(kTableAuthors);
    const int32_t authorCount = authors.Last(shared_->AuthorCount);
    Number(authorCount);
    for (int32_t i = 1; i <= authorCount; ++i) {
        const AuthorEntry& a = authors[i];
        for (const LvString* t : {&a.Key, &a.ShortName, &a.Name, &a.Mail, &a.HomePage, &a.Description}) Text(*t);
    }

    const StockTable<LibInfoEntry> libs(kTableLibInfos);
    const int32_t libCount = libs.Last(shared_->LibInfoCount);
    Number(libCount);
    for (int32_t i = 1; i <= libCount; ++i) {
        const LibInfoEntry& l = libs[i];
        for (const LvString* t : {&l.Key, &l.Name, &l.Author, &l.HomePage, &l.Description}) Text(*t);
    }

    const StockTable<CategoryEntry> cats(kTableCategories);
    const int32_t catCount = cats.Last(shared_->CategoryCount);
    Number(catCount);
    for (int32_t i = 1; i <= catCount; ++i) {
        const CategoryEntry& c = cats[i];
        Number(c.Level);
        Number(c.FirstEntry);
        if (version_ >= 3) Text(c.Key);
        if (version_ >= 4) Text(c.Text);
        Texts(c.Names, L + 1);
    }

    const StockTable<StockFileEntry> files(kTableFiles);
    const int32_t fileCount = files.Last(shared_->StockFileCount);
    Number(fileCount);
    for (int32_t i = 1; i <= fileCount; ++i) {
        Byte(files[i].Kind);
        FilePath(files[i].Path);
        Number(files[i].LibInfo);
    }

    const StockTable<StockEntry> stock(kTableStock);
    const int32_t stockCount = stock.Last(shared_->StockCount);
    Number(stockCount);
    for (int32_t i = 1; i <= stockCount; ++i) {
        const StockEntry& e = stock[i];
        Text(e.Name);
        Byte(static_cast<uint8_t>(e.TypeLetter));
        Byte(static_cast<uint8_t>(e.WayLetter));
        Byte(e.UMark);
        Number(e.FileIndex);
        Text(e.Text2);
        Text(e.Text3);
        Number(e.DescNumber);
        Number(e.Author);
    }

    const StockTable<DescKeyEntry> keys(kTableDescKeys);
    const int32_t keyCount = keys.Last(shared_->DescKeyCount);
    Number(keyCount);
    for (int32_t i = 1; i <= keyCount; ++i) {
        const DescKeyEntry& k = keys[i];
        Text(k.Key);
        Texts(k.Names, L + 1);
        Text(k.Unit);
        Number(k.FirstValue);
        Number(k.LastValue);
        if (version_ >= 3) Text(k.Abbrev);
        Byte(k.Flags);
    }

    const StockTable<DescValueEntry> values(kTableDescValues);
    const int32_t valueCount = values.Last(shared_->DescValueCount);
    Number(valueCount);
    for (int32_t i = 1; i <= valueCount; ++i) {
        const DescValueEntry& v = values[i];
        Text(v.Key);
        Text(v.S);
        Texts(v.Names, L + 1);
        if (version_ >= 3) Text(v.Abbrev);
    }

    const StockTable<LvString> descs(kTableDescTexts);
    const int32_t descCount = descs.Last(shared_->DescTextCount);
    Number(descCount);
    for (int32_t i = 1; i <= descCount; ++i) Text(descs[i]);
    return std::move(out_);
}

// The body as one zlib stream at the level.
std::string Compress(const std::string& body, int level) {
    if (body.size() > 0x7FFFFFFF) RaiseError(kErrBinZOutBuffer);
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) RaiseError(kErrBinZOutBuffer);
    std::string out;
    try {
        out.resize(deflateBound(&z, static_cast<uLong>(body.size())));
    } catch (const std::bad_alloc&) {
        deflateEnd(&z);
        RaiseError(kErrBinZOutBuffer);
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    z.avail_in = static_cast<uInt>(body.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) RaiseError(kErrBinZOutBuffer);
    return out;
}

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult SaveStockBin(int32_t formatVersion, int32_t level, const char* file, int32_t background) noexcept {
    if (formatVersion < 0 || formatVersion > kMaxVersion || level < 0 || level > 9) return kErrStkFormat;
    return RecoveryPoint(kErrStkOutBuffer, [&]() -> int32_t {
        std::string header = level == 0 ? "StkB0" : "StkZ0";
        header += static_cast<char>('0' + formatVersion);
        std::string body = StockBinWriter(formatVersion, file, background).Body();
        std::string bytes;
        if (level == 0) {
            bytes.reserve(body.size() + 12);
            bytes = header + body + header;
        } else {
            const std::string packed = Compress(body, level);
            body = std::string();
            bytes = header + packed + header;
        }
        return WriteStockFile(file, bytes);
    });
}
