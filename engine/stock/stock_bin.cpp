// LoadStockBin: a binary stock file ("StkB0" plain, "StkZ0" with a zlib body, versions 0
// to 4) decoded straight into the program's shared arrays, which are re-dimensioned and
// whose texts are written in place.
//
// Counts come from the file: each is checked against what the rest of the file can hold
// before anything is sized for it, and the arrays grow with the records actually read. A
// load that fails sets the counts it wrote back to 0, so nothing half-read passes for a
// stock.
#include <algorithm>
#include <new>
#include <string>

#include "engine/base/byte_source.h"
#include "engine/base/events.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_bin_input.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_format.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

constexpr int kMaxVersion = 4;
constexpr int32_t kMinPictureHeight = 30;
constexpr int32_t kMaxPictureHeight = 300;
constexpr int32_t kGrowStep = 1024;

class StockBinLoad {
public:
    StockBinLoad(const char* file, SharedState* shared)
        : file_(file), shared_(shared), savedHeight_(shared->PictureHeight) {}

    int32_t Run(bool stopAfterLibraries, int32_t* colourOut);
    // After a failure: the counts this load wrote go back to 0, the picture height back.
    void Undo();

private:
    int32_t Number();
    // A count of records of at least minBytes each that the rest of the file must hold.
    int32_t Count(int32_t minBytes);
    void Text(LvString& field);
    int32_t TextBytes() const { return version_ >= 3 ? 1 : 2; }

    // Re-dimensions a table to upperBound as its records arrive.
    template <class T>
    class Filler {
    public:
        Filler(SharedTable which, int32_t upperBound, int32_t code) : table_(which), last_(upperBound), code_(code) {
            const int32_t have = table_.Length() - 1;
            Redim(have >= last_ ? last_ : std::min(last_, std::max(have, kGrowStep)));
        }
        T& operator[](int32_t i) {
            const int32_t have = table_.Length() - 1;
            if (i > have) {
                const int64_t grown = std::max<int64_t>(int64_t{i} + kGrowStep, int64_t{2} * have);
                Redim(static_cast<int32_t>(std::min<int64_t>(last_, grown)));
            }
            return table_[i];
        }
        void Finish() {
            if (table_.Length() - 1 != last_) Redim(last_);
        }

    private:
        void Redim(int32_t upperBound) {
            bool ok = false;
            try {
                ok = table_.Redim(upperBound);
            } catch (...) {}
            if (!ok) RaiseError(code_);
        }
        StockTable<T> table_;
        int32_t last_;
        int32_t code_;
    };

    void Languages();
    void Texts();
    void Authors();
    void Libraries();
    void Categories();
    void Files();
    void Entries();
    void DescKeys();
    void DescValues();
    void DescTexts();

    const char* file_;
    SharedState* shared_;
    int32_t savedHeight_;
    StockBinInput in_;
    int version_ = 0;
    bool compressed_ = false;
    int32_t languages_ = 0;
    uint8_t header_[6] = {};
    std::u16string folder_;
    // Which counts were written, for Undo.
    int32_t* written_[24] = {};
    int writtenCount_ = 0;
    // The code a failure to size the current table's texts is reported with.
    int32_t tableCode_ = kErrBinWindow;
};

int32_t StockBinLoad::Number() {
    if (version_ < 3) {
        const uint8_t* p = in_.Take(2);
        const uint16_t v = Le16(p);
        if (v != 0xF0F0) return v;
        return static_cast<int32_t>(Le32(in_.Take(4)));
    }
    const uint8_t b = in_.Byte();
    if (b < 0x80) return b;
    int more;
    uint32_t v;
    if (b < 0xC0)
        more = 1, v = b & 0x3Fu;
    else if (b < 0xE0)
        more = 2, v = b & 0x1Fu;
    else if (b < 0xF0)
        more = 3, v = b & 0x0Fu;
    else if (b == 0xF0)
        more = 4, v = 0;
    else
        RaiseError(kErrBinNumber);
    for (int i = 0; i < more; ++i) v = (v << 8) | in_.Byte();
    return static_cast<int32_t>(v);
}

int32_t StockBinLoad::Count(int32_t minBytes) {
    const int32_t n = Number();
    if (n < 0 || static_cast<uint64_t>(n) * static_cast<uint64_t>(minBytes) > in_.RemainingBound())
        RaiseError(kErrBinCount);
    return n;
}

void StockBinLoad::Text(LvString& field) {
    const int32_t n = Number();
    if (n < 0 || static_cast<uint64_t>(n) > in_.RemainingBound()) RaiseError(kErrBinCount);
    // An empty text leaves the field as the program left it.
    if (n == 0) return;
    // Sized in steps as characters arrive, so a length the data does not back costs little.
    constexpr size_t kStep = 64 * 1024;
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
        const size_t step = std::min(kStep, static_cast<size_t>(n) - done);
        try {
            field.resize(done + step);
        } catch (const std::bad_alloc&) {
            RaiseError(tableCode_);
        }
        char16_t* out = field.data() + done;
        for (size_t i = 0; i < step; ++i) {
            const uint8_t b = in_.Byte();
            if (b == 1 && version_ >= 3) {
                const uint8_t high = in_.Byte();
                out[i] = static_cast<char16_t>((high << 8) | in_.Byte());
            } else {
                out[i] = b;
            }
        }
        done += step;
    }
}

void StockBinLoad::Languages() {
    tableCode_ = kErrBinLanguages;
    StockTable<LanguageEntry> languages(kTableLanguages);
    const int32_t n = Number();
    // The language table is the program's fixed one; it is not re-dimensioned.
    if (n < 0 || n >= languages.Length() || n >= kLanguageSlots) RaiseError(kErrBinLanguages);
    languages_ = n;
    shared_->LanguageCount = n;
    written_[writtenCount_++] = &shared_->LanguageCount;
    for (int32_t i = 1; i <= n; ++i) {
        Text(languages[i].Code);
        for (int32_t j = 0; j <= n; ++j) Text(languages[i].Names[j]);
        if (version_ >= 3) Text(languages[i].LangTR);
    }
}

void StockBinLoad::Texts() {
    tableCode_ = kErrBinTexts;
    const int32_t n = Count((languages_ + 2) * TextBytes());
    Filler<LangTextEntry> texts(kTableTexts, n, kErrBinTexts);
    shared_->LangTextCount = shared_->LangTextAlloc = n;
    written_[writtenCount_++] = &shared_->LangTextCount;
    written_[writtenCount_++] = &shared_->LangTextAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        Text(texts[i].Key);
        for (int32_t j = 0; j <= languages_; ++j) Text(texts[i].Texts[j]);
    }
    texts.Finish();
}

void StockBinLoad::Authors() {
    tableCode_ = kErrBinAuthors;
    const int32_t n = Count(6 * TextBytes());
    Filler<AuthorEntry> authors(kTableAuthors, n, kErrBinAuthors);
    shared_->AuthorCount = shared_->AuthorAlloc = n;
    written_[writtenCount_++] = &shared_->AuthorCount;
    written_[writtenCount_++] = &shared_->AuthorAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        AuthorEntry& a = authors[i];
        for (LvString* t : {&a.Key, &a.ShortName, &a.Name, &a.Mail, &a.HomePage, &a.Description}) Text(*t);
    }
    authors.Finish();
}

void StockBinLoad::Libraries() {
    tableCode_ = kErrBinLibInfos;
    const int32_t n = Count(5 * TextBytes());
    Filler<LibInfoEntry> libs(kTableLibInfos, n, kErrBinLibInfos);
    shared_->LibInfoCount = shared_->LibInfoAlloc = n;
    written_[writtenCount_++] = &shared_->LibInfoCount;
    written_[writtenCount_++] = &shared_->LibInfoAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        LibInfoEntry& l = libs[i];
        for (LvString* t : {&l.Key, &l.Name, &l.Author, &l.HomePage, &l.Description}) Text(*t);
    }
    libs.Finish();
}

void StockBinLoad::Categories() {
    tableCode_ = kErrBinCategories;
    const int32_t t = TextBytes();
    const int32_t n = Count(2 * t + (version_ >= 3 ? t : 0) + (version_ >= 4 ? t : 0) + (languages_ + 1) * t);
    // Room for the closing category the stock windows add after the last one.
    Filler<CategoryEntry> cats(kTableCategories, n + 2, kErrBinCategories);
    shared_->CategoryCount = shared_->CategoryAlloc = n;
    written_[writtenCount_++] = &shared_->CategoryCount;
    written_[writtenCount_++] = &shared_->CategoryAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        CategoryEntry& c = cats[i];
        c.Level = static_cast<int16_t>(Number());
        c.FirstEntry = Number();
        if (version_ >= 3) Text(c.Key);
        if (version_ >= 4) Text(c.Text);
        for (int32_t j = 0; j <= languages_; ++j) Text(c.Names[j]);
    }
    cats.Finish();
}

void StockBinLoad::Files() {
    tableCode_ = kErrBinFiles;
    const int32_t n = Count(2 + TextBytes());
    Filler<StockFileEntry> files(kTableFiles, n, kErrBinFiles);
    shared_->StockFileCount = shared_->StockFileAlloc = n;
    written_[writtenCount_++] = &shared_->StockFileCount;
    written_[writtenCount_++] = &shared_->StockFileAlloc;
    LvString rest;
    for (int32_t i = 1; i <= n; ++i) {
        StockFileEntry& f = files[i];
        f.Kind = in_.Byte();
        switch (in_.Byte()) {
        case 0: Text(f.Path); break;
        case 1:
            if (version_ < 3 && Number() != 0) RaiseError(kErrBinPathForm);
            f.Path = folder_;
            break;
        case 2:
            rest.clear();
            Text(rest);
            f.Path = JoinStockPath(folder_, rest);
            break;
        default: RaiseError(kErrBinPathForm);
        }
        f.LibInfo = static_cast<int16_t>(Number());
    }
    files.Finish();
}

void StockBinLoad::Entries() {
    tableCode_ = kErrBinEntries;
    const int32_t t = TextBytes();
    const int32_t n = Count(3 * t + 3 * t + 3);
    Filler<StockEntry> stock(kTableStock, n, kErrBinEntries);
    shared_->StockCount = shared_->StockAlloc = n;
    written_[writtenCount_++] = &shared_->StockCount;
    written_[writtenCount_++] = &shared_->StockAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        StockEntry& e = stock[i];
        Text(e.Name);
        const uint8_t* codes = in_.Take(3);
        e.TypeLetter = codes[0];
        e.WayLetter = codes[1];
        e.UMark = codes[2];
        e.FileIndex = static_cast<int16_t>(Number());
        Text(e.Text2);
        Text(e.Text3);
        e.DescNumber = Number();
        e.Author = static_cast<int16_t>(Number());
    }
    stock.Finish();
}

void StockBinLoad::DescKeys() {
    tableCode_ = kErrBinDescKeys;
    const int32_t t = TextBytes();
    const int32_t n = Count((languages_ + 3 + (version_ >= 3 ? 1 : 0)) * t + 2 * t + 1);
    Filler<DescKeyEntry> keys(kTableDescKeys, n, kErrBinDescKeys);
    shared_->DescKeyCount = shared_->DescKeyAlloc = n;
    written_[writtenCount_++] = &shared_->DescKeyCount;
    written_[writtenCount_++] = &shared_->DescKeyAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        DescKeyEntry& k = keys[i];
        Text(k.Key);
        for (int32_t j = 0; j <= languages_; ++j) Text(k.Names[j]);
        Text(k.Unit);
        k.FirstValue = static_cast<int16_t>(Number());
        k.LastValue = static_cast<int16_t>(Number());
        if (version_ >= 3) Text(k.Abbrev);
        k.Flags = in_.Byte();
    }
    keys.Finish();
}

void StockBinLoad::DescValues() {
    tableCode_ = kErrBinDescValues;
    const int32_t n = Count((languages_ + 3 + (version_ >= 3 ? 1 : 0)) * TextBytes());
    Filler<DescValueEntry> values(kTableDescValues, n, kErrBinDescValues);
    shared_->DescValueCount = shared_->DescValueAlloc = n;
    written_[writtenCount_++] = &shared_->DescValueCount;
    written_[writtenCount_++] = &shared_->DescValueAlloc;
    for (int32_t i = 1; i <= n; ++i) {
        DescValueEntry& v = values[i];
        Text(v.Key);
        Text(v.S);
        for (int32_t j = 0; j <= languages_; ++j) Text(v.Names[j]);
        if (version_ >= 3) Text(v.Abbrev);
    }
    values.Finish();
}

void StockBinLoad::DescTexts() {
    tableCode_ = kErrBinDescTexts;
    const int32_t n = Count(TextBytes());
    Filler<LvString> descs(kTableDescTexts, n, kErrBinDescTexts);
    shared_->DescTextCount = shared_->DescTextAlloc = n;
    written_[writtenCount_++] = &shared_->DescTextCount;
    written_[writtenCount_++] = &shared_->DescTextAlloc;
    for (int32_t i = 1; i <= n; ++i) Text(descs[i]);
    descs.Finish();
}

int32_t StockBinLoad::Run(bool stopAfterLibraries, int32_t* colourOut) {
    const int err = in_.Open(file_);
    if (err != 0) return kErrBinOpen;
    folder_ = StockFolderText(StockFolderBytes(file_));
    in_.Start();
    if (const size_t have = in_.Buffered(); have < 6) {
        // A short file that does not even begin like a binary stock is left to the text reader.
        const uint8_t* h = in_.Take(have);
        const size_t n = std::min<size_t>(have, 5);
        const bool begins = std::equal(h, h + n, "StkB0") || std::equal(h, h + n, "StkZ0");
        RaiseError(begins ? kErrBinShort : kErrBinHeader);
    }
    const uint8_t* h = in_.Take(6);
    std::copy(h, h + 6, header_);
    const bool plain = std::equal(h, h + 4, "StkB");
    compressed_ = std::equal(h, h + 4, "StkZ");
    if ((!plain && !compressed_) || h[4] != '0' || h[5] < '0' || h[5] > '9') RaiseError(kErrBinHeader);
    version_ = h[5] - '0';
    if (version_ > kMaxVersion) RaiseError(kErrBinVersion);
    if (compressed_) in_.StartCompressed();

    Languages();
    Texts();
    int32_t height = Number();
    if (height < kMinPictureHeight || height > kMaxPictureHeight) {
        const int32_t taken = std::clamp(height, kMinPictureHeight, kMaxPictureHeight);
        RaiseMessage("%s: picture height %d is outside %d to %d, %d taken", file_, static_cast<int>(height),
                     static_cast<int>(kMinPictureHeight), static_cast<int>(kMaxPictureHeight), static_cast<int>(taken));
        height = taken;
    }
    shared_->PictureHeight = height;
    const uint8_t* rgb = in_.Take(3);
    const int32_t colour = rgb[0] | (rgb[1] << 8) | (rgb[2] << 16);
    Authors();
    Libraries();
    if (!stopAfterLibraries) {
        Categories();
        Files();
        Entries();
        DescKeys();
        DescValues();
        DescTexts();
        if (compressed_) {
            in_.ExpectStreamEnd();
        } else {
            // Fewer than six bytes: the file was cut; six others: it was not written whole.
            const uint8_t* trailer = in_.Take(6);
            if (!std::equal(trailer, trailer + 6, header_)) RaiseError(kErrBinTrailer);
        }
    }
    if (colourOut != nullptr) *colourOut = colour;
    return 0;
}

void StockBinLoad::Undo() {
    for (int i = 0; i < writtenCount_; ++i) *written_[i] = 0;
    shared_->PictureHeight = savedHeight_;
}

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult LoadStockBin(const char* file, int16_t stopFlag, int32_t* backgroundOut) noexcept {
    SharedState* shared = Shared();
    if (shared == nullptr) return kErrBinLanguages;
    StockBinLoad* load = new (std::nothrow) StockBinLoad(file, shared);
    if (load == nullptr) return kErrBinWindow;
    const int32_t result =
        RecoveryPoint(kErrBinWindow, [&]() -> int32_t { return load->Run(stopFlag != 0, backgroundOut); });
    if (result < 0) load->Undo();
    delete load;
    return result;
}
