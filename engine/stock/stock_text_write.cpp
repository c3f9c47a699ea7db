// SaveStock: the program's shared arrays written as a stock text file, key lines first,
// then the entries with their categories, then the description part.
//
// Texts go out with the 0x87 escape wherever a character would otherwise not read back as
// itself: above 255, U+0087, control characters, and the field separators and edge blanks
// of entry lines and "$DESC" headers, which the reader would take as syntax.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_file_out.h"
#include "engine/stock/stock_format.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

// Appends a field of an entry line or a "$DESC" header: units the reader would take as
// syntax (the characters of special, blanks at either end, a first character of first)
// are escaped as well.
void AppendField(std::string& out, std::u16string_view text, std::u16string_view special,
                 std::u16string_view first = {}) {
    size_t lead = 0;
    while (lead < text.size() && text[lead] == u' ') ++lead;
    size_t trail = text.size();
    while (trail > lead && text[trail - 1] == u' ') --trail;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool syntax = i < lead || i >= trail || special.find(c) != std::u16string_view::npos ||
                            (i == 0 && first.find(c) != std::u16string_view::npos);
        if (syntax)
            AppendHexEscape(out, c);
        else
            AppendStockText(out, text.substr(i, 1));
    }
}

std::u16string Widen(const char* bytes) {
    std::u16string s;
    for (const char* p = bytes; *p != 0; ++p) s += static_cast<char16_t>(static_cast<uint8_t>(*p));
    return s;
}

class StockTextWriter {
public:
    StockTextWriter(int32_t version, int32_t background, const LvArrayDesc* fileNames)
        : version_(version), background_(background), fileNames_(fileNames) {
        if (shared_ == nullptr) RaiseError(kErrStkOutBuffer);
        languageCount_ = std::min(languages_.Last(shared_->LanguageCount), kLanguageSlots - 1);
    }

    std::string Write() {
        StockPart();
        DescriptionPart();
        return std::move(out_);
    }

private:
    void EndLine() { out_ += "\r\n"; }
    void CountLine(const char* key, int32_t n) {
        out_ += '$';
        out_ += key;
        out_ += ' ';
        out_ += std::to_string(n);
        EndLine();
    }
    void Pair(const char* key, std::u16string_view text) {
        out_ += key;
        out_ += '=';
        AppendStockText(out_, text);
        out_ += ';';
    }
    void TextPair(const char* key, std::u16string_view text) {
        if (!text.empty()) Pair(key, text);
    }
    void NumberPair(const char* key, int32_t n) {
        out_ += key;
        out_ += '=';
        out_ += std::to_string(n);
        out_ += ';';
    }
    void LanguagePairs(const LvString* texts) {
        for (int32_t j = 0; j <= languageCount_; ++j) {
            const LvString& code = languages_[j].Code;
            if (code.empty() || texts[j].empty()) continue;
            AppendStockText(out_, code);
            out_ += '=';
            AppendStockText(out_, texts[j]);
            out_ += ';';
        }
    }
    void Positional(const char* keyword, std::initializer_list<const LvString*> texts) {
        out_ += keyword;
        bool firstText = true;
        for (const LvString* t : texts) {
            if (!firstText) out_ += ';';
            firstText = false;
            AppendStockText(out_, *t);
        }
        EndLine();
    }

    void StockPart();
    void EntryLine(int32_t i);
    void DescriptionPart();
    void Description(int32_t d, int32_t firstEntry);

    int32_t version_;
    int32_t background_;
    const LvArrayDesc* fileNames_;
    SharedState* shared_ = Shared();
    StockTable<StockEntry> stock_{kTableStock};
    StockTable<StockFileEntry> files_{kTableFiles};
    StockTable<AuthorEntry> authors_{kTableAuthors};
    StockTable<LibInfoEntry> libs_{kTableLibInfos};
    StockTable<CategoryEntry> cats_{kTableCategories};
    StockTable<LanguageEntry> languages_{kTableLanguages};
    StockTable<LangTextEntry> texts_{kTableTexts};
    StockTable<DescKeyEntry> keys_{kTableDescKeys};
    StockTable<DescValueEntry> values_{kTableDescValues};
    StockTable<LvString> descs_{kTableDescTexts};
    int32_t languageCount_ = 0;
    std::string out_;
};

void StockTextWriter::StockPart() {
    for (int32_t i = 1; i <= languageCount_; ++i) {
        const LanguageEntry& l = languages_[i];
        Pair("$LANG K", l.Code);  // a line always starts with its keyword
        LanguagePairs(l.Names);
        TextPair("TR", l.LangTR);
        EndLine();
    }
    const int32_t textCount = texts_.Last(shared_->LangTextCount);
    CountLine("TXTCNT", textCount);
    for (int32_t i = 1; i <= textCount; ++i) {
        Pair("$TXT K", texts_[i].Key);
        LanguagePairs(texts_[i].Texts);
        EndLine();
    }
    CountLine("IMGY", shared_->PictureHeight);
    if (background_ != 0) {
        NumberPair("$BACKGROUND R", background_ & 0xFF);
        NumberPair("G", (background_ >> 8) & 0xFF);
        NumberPair("B", (background_ >> 16) & 0xFF);
        EndLine();
    }
    const int32_t authorCount = authors_.Last(shared_->AuthorCount);
    CountLine("AUTHCNT", authorCount);
    for (int32_t i = 1; i <= authorCount; ++i) {
        const AuthorEntry& a = authors_[i];
        if (version_ < 4) {
            Positional("$AUTH ", {&a.Key, &a.ShortName, &a.Name, &a.Mail, &a.HomePage, &a.Description});
            continue;
        }
        Pair("$AUTHK K", a.Key);
        TextPair("S", a.ShortName);
        TextPair("N", a.Name);
        TextPair("E", a.Mail);
        TextPair("H", a.HomePage);
        TextPair("D", a.Description);
        TextPair("X", a.X);
        if (a.W != 0 && a.W != u' ') Pair("W", std::u16string_view(&a.W, 1));
        if (a.T != 0 && a.T != u' ') Pair("T", std::u16string_view(&a.T, 1));
        if (a.FLength != 0) out_ += "F;";
        EndLine();
    }
    const int32_t libCount = libs_.Last(shared_->LibInfoCount);
    CountLine("LIBCNT", libCount);
    for (int32_t i = 1; i <= libCount; ++i) {
        const LibInfoEntry& l = libs_[i];
        if (version_ < 4) {
            Positional("$LIB ", {&l.Key, &l.Name, &l.Author, &l.HomePage, &l.Description});
            continue;
        }
        Pair("$LIBK K", l.Key);
        TextPair("N", l.Name);
        TextPair("A", l.Author);
        TextPair("H", l.HomePage);
        TextPair("D", l.Description);
        EndLine();
    }
    out_ += "$TXTEND\r\n";
    const int32_t catCount = cats_.Last(shared_->CategoryCount);
    const int32_t stockCount = stock_.Last(shared_->StockCount);
    CountLine("CATCNT", catCount);
    CountLine("STOCKCNT", stockCount);

    std::vector<bool> written(static_cast<size_t>(catCount) + 1, false);
    int32_t firstUnwritten = 1;
    for (int32_t i = 1; i <= stockCount; ++i) {
        for (int32_t c = firstUnwritten; c <= catCount; ++c) {
            if (written[static_cast<size_t>(c)] || cats_[c].FirstEntry > i) continue;
            const CategoryEntry& cat = cats_[c];
            NumberPair("$CAT L", cat.Level);
            TextPair("K", cat.Key);
            TextPair("T", cat.Text);
            LanguagePairs(cat.Names);
            EndLine();
            written[static_cast<size_t>(c)] = true;
        }
        while (firstUnwritten <= catCount && written[static_cast<size_t>(firstUnwritten)]) ++firstUnwritten;
        EntryLine(i);
    }
    out_ += "$ENDSTOCK\r\n\r\n";
}

void StockTextWriter::EntryLine(int32_t i) {
    const StockEntry& e = stock_[i];
    AppendField(out_, e.Name, u";", u"$#;*/");
    out_ += ';';
    for (const char16_t code : {e.TypeLetter, e.WayLetter}) {
        if (code == 0 || code == u' ')
            out_ += ' ';
        else
            AppendField(out_, std::u16string_view(&code, 1), u";*");
    }
    out_ += e.UMark != 0 ? 'U' : ' ';
    if (e.Author > 0 && e.Author <= authors_.Last(shared_->AuthorCount)) {
        // The reader packs at most four characters, as LSetAuth keeps the last four.
        std::u16string_view key = authors_[e.Author].Key;
        if (key.size() > 4) key.remove_prefix(key.size() - 4);
        out_ += '*';
        for (const char16_t c : key) out_ += static_cast<char>(c);
    }
    out_ += ';';
    if (e.FileIndex == kMacroFileIndex) {
        out_ += "M;";
        AppendField(out_, e.Text2, u"");
        EndLine();
        return;
    }
    // A file the reader could not take back would make the whole file unreadable.
    const int32_t f = e.FileIndex;
    const char* letters = f >= 1 && f <= files_.Last(shared_->StockFileCount) ? KindLetters(files_[f].Kind) : nullptr;
    const auto* names = fileNames_ != nullptr && fileNames_->elemSize == static_cast<int32_t>(sizeof(const char*))
                            ? static_cast<const char* const*>(fileNames_->data)
                            : nullptr;
    if (letters == nullptr || names == nullptr || f >= fileNames_->length || names[f] == nullptr)
        RaiseError(kErrStkEntryFile);
    out_ += letters;
    out_ += ';';
    AppendField(out_, Widen(names[f]), u";");
    out_ += ';';
    AppendField(out_, e.Text2, u";");
    out_ += ';';
    AppendField(out_, e.Text3, u"");
    EndLine();
}

void StockTextWriter::DescriptionPart() {
    const int32_t keyCount = keys_.Last(shared_->DescKeyCount);
    const int32_t valueCount = values_.Last(shared_->DescValueCount);
    const int32_t descCount = descs_.Last(shared_->DescTextCount);
    CountLine("DESCKEYCNT", keyCount);
    CountLine("DESCVALCNT", valueCount);
    CountLine("DESCCNT", descCount);
    for (int32_t k = 1; k <= keyCount; ++k) {
        const DescKeyEntry& key = keys_[k];
        Pair("$DESCKEY K", key.Key);
        LanguagePairs(key.Names);
        TextPair("U", key.Unit);
        TextPair("A", key.Abbrev);
        out_ += (key.Flags & 1) != 0 ? "S=Y;" : "S=N;";
        out_ += (key.Flags & 2) != 0 ? "L=Y;" : "L=N;";
        EndLine();
        if (key.FirstValue != 0) {
            for (int32_t v = std::max<int32_t>(key.FirstValue, 1); v <= std::min<int32_t>(key.LastValue, valueCount);
                 ++v) {
                const DescValueEntry& value = values_[v];
                Pair("$DESCVALUE K", value.Key);
                TextPair("S", value.S);
                LanguagePairs(value.Names);
                TextPair("A", value.Abbrev);
                EndLine();
            }
        }
        EndLine();
    }

    // The entries of each description, chained through their link fields in entry order.
    const int32_t stockCount = stock_.Last(shared_->StockCount);
    std::vector<int32_t> first(static_cast<size_t>(descCount) + 1, 0), last(first);
    for (int32_t i = 1; i <= stockCount; ++i) {
        StockEntry& e = stock_[i];
        const int32_t d = e.DescNumber;
        if (d < 1 || d > descCount) continue;
        e.SaveLink = 0;
        if (last[static_cast<size_t>(d)] != 0)
            stock_[last[static_cast<size_t>(d)]].SaveLink = i;
        else
            first[static_cast<size_t>(d)] = i;
        last[static_cast<size_t>(d)] = i;
    }
    for (int32_t d = 1; d <= descCount; ++d) {
        if (first[static_cast<size_t>(d)] != 0 && descs_[d].size() > 3) Description(d, first[static_cast<size_t>(d)]);
    }
    out_ += "$ENDDESC\r\n";
}

void StockTextWriter::Description(int32_t d, int32_t firstEntry) {
    out_ += "$DESC ";
    for (int32_t i = firstEntry; i != 0; i = stock_[i].SaveLink) {
        if (i != firstEntry) out_ += ',';
        AppendField(out_, stock_[i].Name, u", ");
    }
    EndLine();
    // Attribute lines end in CR, then the separator "%%", then body lines ending in CR LF.
    const std::u16string_view text = descs_[d];
    bool body = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
        const std::u16string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == u'\r') ++at;
        if (at < text.size() && text[at] == u'\n') ++at;
        if (!body && line == u"%%") {
            body = true;
            continue;
        }
        if (!body && !line.empty() && line[0] == u'%') {
            AppendStockText(out_, line);
            EndLine();
            continue;
        }
        body = true;
        if (line.empty()) continue;
        AppendField(out_, line, u"", u"$%\t ");
        EndLine();
    }
    EndLine();
}

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult SaveStock(int32_t formatVersion, const char* file, int32_t background, const LvArrayDesc* fileNames) noexcept {
    return RecoveryPoint(kErrStkOutBuffer, [&]() -> int32_t {
        const std::string text = StockTextWriter(formatVersion, background, fileNames).Write();
        return WriteStockFile(file, text);
    });
}
