#include "stock_fixture.h"

namespace stock_test {
namespace {

std::u16string Upper(std::u16string s) {
    for (char16_t& c : s) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    return s;
}

std::u16string Trim(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    return std::u16string(s);
}

std::vector<std::u16string> Split(std::u16string_view s, size_t count) {
    std::vector<std::u16string> items;
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        if (at > s.size()) {
            items.emplace_back();
            continue;
        }
        size_t end = s.find(u';', at);
        if (end == std::u16string_view::npos) end = s.size();
        items.push_back(Trim(s.substr(at, end - at)));
        at = end + 1;
    }
    return items;
}

std::string Bytes(const std::u16string& s) {
    std::string b;
    for (char16_t c : s) b += static_cast<char>(c);
    return b;
}

}  // namespace

int32_t StockFixture::KeyLine(const std::u16string& line, int32_t number, bool descPart) {
    log_.push_back(std::string(descPart ? "desckey " : "key ") + std::to_string(number) + " " + P(line));
    const size_t blank = line.find(u' ');
    const std::u16string keyword =
        Upper(line.substr(1, blank == std::u16string::npos ? std::u16string::npos : blank - 1));
    const std::u16string arg = blank == std::u16string::npos ? u"" : Trim(std::u16string_view(line).substr(blank + 1));
    const Params p(arg);
    const int32_t L = shared_.LanguageCount;
    auto names = [&](LvString* out) {
        for (int32_t j = 0; j <= L; ++j) out[j] = p.Get(Upper(a_.Languages[j].Code));
    };
    if (!descPart) {
        if (keyword == u"LANG" || keyword == u"LANGUAGE") {
            LanguageEntry& l = a_.Languages[++shared_.LanguageCount];
            l.Code = Upper(p.Get(u"K"));
            l.LangParams = arg;
            l.LangTR = p.Get(u"TR");
        } else if (keyword == u"TXT") {
            const int32_t i = shared_.LangTextAlloc = ++shared_.LangTextCount;
            a_.LangTexts.redim(i);
            a_.LangTexts[i].Key = p.Get(u"K");
            names(a_.LangTexts[i].Texts);
        } else if (keyword == u"IMGY") {
            shared_.PictureHeight = std::stoi(Bytes(arg));
        } else if (keyword == u"BACKGROUND") {
            background_ = p.Number(u"R") | (p.Number(u"G") << 8) | (p.Number(u"B") << 16);
        } else if (keyword == u"AUTH" || keyword == u"AUTHK") {
            const int32_t i = shared_.AuthorAlloc = ++shared_.AuthorCount;
            a_.Authors.redim(i);
            AuthorEntry& a = a_.Authors[i];
            if (keyword == u"AUTH") {
                const auto items = Split(arg, 6);
                a.Key = items[0], a.ShortName = items[1], a.Name = items[2];
                a.Mail = items[3], a.HomePage = items[4], a.Description = items[5];
            } else {
                a.Key = p.Get(u"K"), a.ShortName = p.Get(u"S"), a.Name = p.Get(u"N"), a.Mail = p.Get(u"E");
                a.HomePage = p.Get(u"H"), a.Description = p.Get(u"D"), a.X = p.Get(u"X");
                a.W = p.Get(u"W").empty() ? 0 : p.Get(u"W")[0];
                a.T = p.Get(u"T").empty() ? 0 : p.Get(u"T")[0];
                a.FLength = !p.Has(u"F") ? 0 : static_cast<uint8_t>(std::max<size_t>(1, p.Get(u"F").size()));
            }
            LSetAuth(Bytes(a.Key).c_str(), i);
        } else if (keyword == u"LIB" || keyword == u"LIBK") {
            const int32_t i = shared_.LibInfoAlloc = ++shared_.LibInfoCount;
            a_.LibInfos.redim(i);
            LibInfoEntry& l = a_.LibInfos[i];
            if (keyword == u"LIB") {
                const auto items = Split(arg, 5);
                l.Key = Upper(items[0]), l.Name = items[1], l.Author = items[2], l.HomePage = items[3];
                l.Description = items[4];
            } else {
                l.Key = Upper(p.Get(u"K")), l.Name = p.Get(u"N"), l.Author = p.Get(u"A"), l.HomePage = p.Get(u"H");
                l.Description = p.Get(u"D");
            }
        } else if (keyword == u"CAT") {
            const int32_t i = shared_.CategoryAlloc = ++shared_.CategoryCount;
            a_.Categories.redim(i + 1);
            CategoryEntry& c = a_.Categories[i];
            c.Level = static_cast<int16_t>(p.Number(u"L"));
            c.Key = p.Get(u"K");
            c.Text = p.Get(u"T");
            c.FirstEntry = shared_.StockCount + 1;
            c.Number = ++categoryNumber_;
            names(c.Names);
        } else if (keyword == u"ENDSTOCK") {
            PrepareLookStock(a_.Stock.desc(), shared_.StockCount);
            return 2;
        } else if (keyword == u"TXTEND") {
            return textsOnly_ ? 1 : 0;
        } else if (keyword == u"NEST") {
            nestedResult_ = LoadStockAscii("/nonexistent", &OnStockKeyLine, &OnStockFile, &OnStockEntry, &OnDescKeyLine,
                                           &OnStockLink, &OnDescText, nullptr);
        }
        return 0;
    }
    if (keyword == u"DESCKEY") {
        const std::u16string key = p.Get(u"K");
        int32_t i = 1;
        while (i <= shared_.DescKeyCount && a_.DescKeys[i].Key != key) ++i;
        if (i > shared_.DescKeyCount) {
            i = shared_.DescKeyAlloc = ++shared_.DescKeyCount;
            a_.DescKeys.redim(i);
            a_.DescKeys[i].Flags = 0x18;
        }
        DescKeyEntry& k = a_.DescKeys[i];
        k.Flags &= ~3;
        k.Key = key;
        names(k.Names);
        k.Abbrev = p.Get(u"A");
        k.Unit = p.Get(u"U");
        const std::u16string s = p.Has(u"S") ? p.Get(u"S") : (i == 1 ? u"Y" : u"N");
        const std::u16string l = p.Has(u"L") ? p.Get(u"L") : u"Y";
        k.Flags |= (s == u"Y" ? 1 : 0) | (l == u"Y" ? 2 : 0);
        k.FirstValue = static_cast<int16_t>(shared_.DescValueCount + 1);
        k.LastValue = 0;
    } else if (keyword == u"DESCVALUE") {
        const int32_t i = shared_.DescValueAlloc = ++shared_.DescValueCount;
        a_.DescValues.redim(i);
        DescValueEntry& v = a_.DescValues[i];
        v.Key = Upper(p.Get(u"K"));
        v.S = p.Get(u"S");
        names(v.Names);
        v.Abbrev = p.Get(u"A");
        a_.DescKeys[shared_.DescKeyCount].LastValue = static_cast<int16_t>(i);
    } else if (keyword == u"ENDDESC") {
        return 1;
    }
    return 0;
}

void StockFixture::ReadLanguageNames() {
    for (int32_t i = 1; i <= shared_.LanguageCount; ++i) {
        const Params p(a_.Languages[i].LangParams);
        for (int32_t j = 0; j <= shared_.LanguageCount; ++j)
            a_.Languages[i].Names[j] = p.Get(Upper(a_.Languages[j].Code));
    }
}

std::string StockFixture::Dump(bool authorExtras) const {
    std::ostringstream out;
    auto& a = const_cast<SharedArrays&>(a_);
    const int32_t L = shared_.LanguageCount;
    auto names = [&](const LvString* n) {
        std::string s;
        for (int32_t j = 0; j <= L; ++j) s += "/" + P(n[j]);
        return s;
    };
    out << "height " << shared_.PictureHeight << " background " << background_ << "\n";
    out << "languages " << L << "\n";
    for (int32_t i = 1; i <= L; ++i)
        out << " " << P(a.Languages[i].Code) << names(a.Languages[i].Names) << " TR=" << P(a.Languages[i].LangTR)
            << "\n";
    out << "texts " << shared_.LangTextCount << "\n";
    for (int32_t i = 1; i <= shared_.LangTextCount; ++i)
        out << " " << P(a.LangTexts[i].Key) << names(a.LangTexts[i].Texts) << "\n";
    out << "authors " << shared_.AuthorCount << "\n";
    for (int32_t i = 1; i <= shared_.AuthorCount; ++i) {
        const AuthorEntry& e = a.Authors[i];
        out << " " << P(e.Key) << "|" << P(e.ShortName) << "|" << P(e.Name) << "|" << P(e.Mail) << "|" << P(e.HomePage)
            << "|" << P(e.Description);
        if (authorExtras)
            out << "|X=" << P(e.X) << "|W=" << static_cast<int>(e.W) << "|T=" << static_cast<int>(e.T)
                << "|F=" << static_cast<int>(e.FLength);
        out << "\n";
    }
    out << "libraries " << shared_.LibInfoCount << "\n";
    for (int32_t i = 1; i <= shared_.LibInfoCount; ++i) {
        const LibInfoEntry& e = a.LibInfos[i];
        out << " " << P(e.Key) << "|" << P(e.Name) << "|" << P(e.Author) << "|" << P(e.HomePage) << "|"
            << P(e.Description) << "\n";
    }
    out << "categories " << shared_.CategoryCount << "\n";
    for (int32_t i = 1; i <= shared_.CategoryCount; ++i) {
        const CategoryEntry& c = a.Categories[i];
        out << " L" << c.Level << " first " << c.FirstEntry << " " << P(c.Key) << "|" << P(c.Text) << names(c.Names)
            << "\n";
    }
    out << "files " << shared_.StockFileCount << "\n";
    for (int32_t i = 1; i <= shared_.StockFileCount; ++i) {
        const StockFileEntry& f = a.StockFiles[i];
        out << " kind " << static_cast<int>(f.Kind) << " " << P(f.Path) << " lib " << f.LibInfo << "\n";
    }
    out << "entries " << shared_.StockCount << "\n";
    for (int32_t i = 1; i <= shared_.StockCount; ++i) {
        const StockEntry& e = a.Stock[i];
        out << " " << P(e.Name) << "|" << P(std::u16string(1, e.TypeLetter)) << P(std::u16string(1, e.WayLetter))
            << "|U" << static_cast<int>(e.UMark) << "|file " << e.FileIndex << "|" << P(e.Text2) << "|" << P(e.Text3)
            << "|desc " << e.DescNumber << "|author " << e.Author << "\n";
    }
    out << "keys " << shared_.DescKeyCount << "\n";
    for (int32_t i = 1; i <= shared_.DescKeyCount; ++i) {
        const DescKeyEntry& k = a.DescKeys[i];
        // A key without values reads back with the value count of its time as its first.
        out << " " << P(k.Key) << names(k.Names) << " U=" << P(k.Unit) << " A=" << P(k.Abbrev) << " values ";
        if (k.LastValue == 0)
            out << "none";
        else
            out << k.FirstValue << "-" << k.LastValue;
        out << " flags " << static_cast<int>(k.Flags) << "\n";
    }
    out << "values " << shared_.DescValueCount << "\n";
    for (int32_t i = 1; i <= shared_.DescValueCount; ++i) {
        const DescValueEntry& v = a.DescValues[i];
        out << " " << P(v.Key) << " S=" << P(v.S) << names(v.Names) << " A=" << P(v.Abbrev) << "\n";
    }
    out << "descriptions " << shared_.DescTextCount << "\n";
    for (int32_t i = 1; i <= shared_.DescTextCount; ++i) out << " " << P(a.DescTexts[i]) << "\n";
    return out.str();
}

}  // namespace stock_test
