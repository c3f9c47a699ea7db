// The program's side of a stock load for the engine's tests: a SharedState and the ten
// shared arrays bound as InitDLL binds them, and the six procedures of LoadStockAscii as
// recording stand-ins that fill the arrays the way the program's key-line handlers do
// (a small subset of their keywords, enough for every table the formats carry).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace stock_test {

inline std::u16string U(const std::string& bytes) {
    std::u16string u;
    for (unsigned char c : bytes) u += static_cast<char16_t>(c);
    return u;
}
// Printable form of a text for dumps and messages: ASCII as is, others as \u{hex}.
inline std::string P(std::u16string_view u) {
    std::string s;
    for (char16_t c : u) {
        if (c >= 0x20 && c < 0x7F) {
            s += static_cast<char>(c);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\u{%x}", static_cast<unsigned>(c));
            s += buf;
        }
    }
    return s;
}

inline std::filesystem::path TempDir() {
    const auto dir = std::filesystem::temp_directory_path() / ("yov_stock_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}
inline std::string WriteFile(const std::string& name, const std::string& bytes) {
    const auto path = TempDir() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Parameters of a key line: "name=value;" items, names without regard to case, the first
// of a name winning; an item without "=" has the value "" and counts as present.
class Params {
public:
    explicit Params(std::u16string_view text) {
        size_t at = 0;
        while (at <= text.size()) {
            size_t end = text.find(u';', at);
            if (end == std::u16string_view::npos) end = text.size();
            std::u16string_view item = text.substr(at, end - at);
            while (!item.empty() && item.front() == u' ') item.remove_prefix(1);
            if (!item.empty()) {
                const size_t eq = item.find(u'=');
                std::u16string name(item.substr(0, eq));
                for (char16_t& c : name) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
                values_.emplace(name, eq == std::u16string_view::npos ? u"" : std::u16string(item.substr(eq + 1)));
            }
            at = end + 1;
        }
    }
    bool Has(const std::u16string& name) const { return values_.count(name) != 0; }
    std::u16string Get(const std::u16string& name) const {
        auto it = values_.find(name);
        return it == values_.end() ? u"" : it->second;
    }
    int32_t Number(const std::u16string& name) const {
        std::string s;
        for (char16_t c : Get(name)) s += static_cast<char>(c);
        return s.empty() ? 0 : std::stoi(s);
    }

private:
    std::map<std::u16string, std::u16string> values_;
};

class StockFixture : public ::testing::Test {
protected:
    static StockFixture*& Current() {
        static StockFixture* current = nullptr;
        return current;
    }

    void SetUp() override {
        Current() = this;
        lvk::BindShared(&shared_, nullptr);
        lvk::BindArrays(a_);
        a_.Languages.redim(kLanguageSlots - 1);
        ResetTables();
    }
    void TearDown() override {
        PrepareLookStock(nullptr, 0);
        LvArrayDesc* const none[lvk::kSharedArrayCount] = {};
        lvk::BindArrays(none);
        lvk::BindShared(nullptr, nullptr);
        Current() = nullptr;
    }

    // The program's empty stock: language 0 "N", the eight built-in description keys.
    void ResetTables() {
        shared_.LanguageCount = 0;
        for (int32_t i = 0; i < kLanguageSlots; ++i) a_.Languages[i] = LanguageEntry{};
        a_.Languages[0].Code = u"N";
        a_.Languages[0].Names[0] = u"General";
        // Emptied first, so that no record of an earlier load lives on.
        for (LvArrayDesc* d :
             {a_.Stock.desc(), a_.StockFiles.desc(), a_.Authors.desc(), a_.LibInfos.desc(), a_.Categories.desc(),
              a_.LangTexts.desc(), a_.DescKeys.desc(), a_.DescValues.desc(), a_.DescTexts.desc()})
            d->redim(d, -1);
        a_.Stock.redim(0);
        a_.StockFiles.redim(0);
        a_.Authors.redim(0);
        a_.LibInfos.redim(0);
        a_.Categories.redim(1);
        a_.LangTexts.redim(0);
        a_.DescValues.redim(0);
        a_.DescTexts.redim(0);
        a_.DescKeys.redim(7);
        const char16_t* builtIn[] = {u"OTHER", u"AUTHNICK", u"AUTHFULL", u"NAME",
                                     u"FNAME", u"MACRO",    u"LENGTH",   u"BASED"};
        for (int32_t k = 0; k <= 7; ++k) {
            a_.DescKeys[k].Key = builtIn[k];
            a_.DescKeys[k].Flags = 8;
        }
        shared_.StockCount = shared_.StockAlloc = 0;
        shared_.StockFileCount = shared_.StockFileAlloc = 0;
        shared_.AuthorCount = shared_.AuthorAlloc = 0;
        shared_.LibInfoCount = shared_.LibInfoAlloc = 0;
        shared_.CategoryCount = shared_.CategoryAlloc = 0;
        shared_.LangTextCount = shared_.LangTextAlloc = 0;
        shared_.BuiltinDescKeys = 7;
        shared_.DescKeyCount = shared_.DescKeyAlloc = 7;
        shared_.DescValueCount = shared_.DescValueAlloc = 0;
        shared_.DescTextCount = shared_.DescTextAlloc = 0;
        shared_.PictureHeight = 58;
        background_ = 0;
        categoryNumber_ = 0;
        log_.clear();
    }

    // LoadStockAscii with the recording procedures; the log holds one line per call.
    int32_t LoadText(const std::string& path, int32_t* line = nullptr) {
        int32_t lineCount = -99;
        const int32_t r = LoadStockAscii(path.c_str(), &OnStockKeyLine, &OnStockFile, &OnStockEntry, &OnDescKeyLine,
                                         &OnStockLink, &OnDescText, &lineCount);
        if (line != nullptr) *line = lineCount;
        if (r >= 0) ReadLanguageNames();
        return r;
    }
    int32_t LoadTextBytes(const std::string& bytes, int32_t* line = nullptr) {
        return LoadText(WriteFile("in.stk", bytes), line);
    }

    // The file names SaveStock writes for each file index: the path as the entry named it.
    int32_t SaveText(const std::string& path, int32_t version = 4) {
        names_.clear();
        names_.push_back("");
        for (int32_t i = 1; i <= shared_.StockFileCount; ++i)
            names_.push_back(RelativeName(a_.StockFiles[i].Path, path));
        nameArray_.redim(shared_.StockFileCount);
        for (int32_t i = 0; i <= shared_.StockFileCount; ++i) nameArray_[i] = names_[static_cast<size_t>(i)].c_str();
        return SaveStock(version, path.c_str(), background_, nameArray_.desc());
    }

    // The text reader's folder of a stock file, as the entries' paths begin with it.
    static std::string RelativeName(const std::u16string& path, const std::string& stockFile) {
        std::string folder = stockFile.substr(0, stockFile.rfind('/'));
        for (char& c : folder) c = c == '/' ? '\\' : c;
        std::string p;
        for (char16_t c : path) p += static_cast<char>(c);
        if (p.size() > folder.size() && p.compare(0, folder.size(), folder) == 0 && p[folder.size()] == '\\')
            return p.substr(folder.size() + 1);
        return p;
    }

    // The program's reset before a binary load (texts, tables and values emptied).
    int32_t LoadBin(const std::string& path, int16_t stop = 0) {
        ResetTables();
        return LoadStockBin(path.c_str(), stop, &background_);
    }

    // Everything the two formats carry, one line per field, for comparisons.
    std::string Dump(bool authorExtras = true) const;

    SharedArrays& Arrays() { return a_; }

    // --- the program's procedures -------------------------------------------------------
    static int32_t OnStockKeyLine(const char16_t* line, int32_t number) noexcept {
        return Current()->KeyLine(LvTextString(line), number, false);
    }
    static int32_t OnDescKeyLine(const char16_t* line, int32_t number) noexcept {
        return Current()->KeyLine(LvTextString(line), number, true);
    }
    static int32_t OnStockFile(const StockFileEntry* file) noexcept {
        StockFixture& f = *Current();
        const int32_t i = ++f.shared_.StockFileCount;
        f.shared_.StockFileAlloc = i;
        f.a_.StockFiles.redim(i);
        f.a_.StockFiles[i].Kind = file->Kind;
        f.a_.StockFiles[i].Path = file->Path;
        f.log_.push_back("file " + std::to_string(file->Kind) + " " + P(file->Path) + " -> " + std::to_string(i));
        return i + f.fileIndexBias_;
    }
    static int32_t OnStockEntry(int32_t index, const StockEntry* e) noexcept {
        StockFixture& f = *Current();
        if (index > f.a_.Stock.upperBound()) f.a_.Stock.redim(index + 1000);
        f.a_.Stock[index] = *e;
        f.shared_.StockCount = std::max(f.shared_.StockCount, index);
        f.log_.push_back("entry " + std::to_string(index) + " " + P(e->Name) + "|" +
                         P(std::u16string(1, e->TypeLetter)) + P(std::u16string(1, e->WayLetter)) + "|" +
                         std::to_string(e->UMark) + "|" + std::to_string(e->Author) + "|" +
                         std::to_string(e->FileIndex) + "|" + P(e->Text2) + "|" + P(e->Text3));
        return index == f.stopAtEntry_ ? 1 : 0;
    }
    static int32_t OnStockLink(int32_t index, int32_t desc) noexcept {
        StockFixture& f = *Current();
        if (index >= 1 && index <= f.a_.Stock.upperBound()) f.a_.Stock[index].DescNumber = desc;
        f.log_.push_back("link " + std::to_string(index) + " " + std::to_string(desc));
        return 0;
    }
    static int32_t OnDescText(int32_t desc, const char16_t* text) noexcept {
        StockFixture& f = *Current();
        if (desc > f.a_.DescTexts.upperBound()) f.a_.DescTexts.redim(desc + 100);
        f.a_.DescTexts[desc] = LvTextString(text);
        f.shared_.DescTextCount = std::max(f.shared_.DescTextCount, desc);
        f.shared_.DescTextAlloc = f.a_.DescTexts.upperBound();
        f.log_.push_back("desc " + std::to_string(desc) + " " + P(LvTextString(text)));
        return desc == f.stopAtDesc_ ? 1 : 0;
    }

    int32_t KeyLine(const std::u16string& line, int32_t number, bool descPart);
    void ReadLanguageNames();

    SharedState shared_;
    SharedArrays a_;
    SharedArray<const char*> nameArray_;
    std::vector<std::string> names_;
    std::vector<std::string> log_;
    int32_t background_ = 0;
    int32_t categoryNumber_ = 0;
    int32_t stopAtEntry_ = -1;
    int32_t stopAtDesc_ = -1;
    int32_t fileIndexBias_ = 0;
    bool textsOnly_ = false;
    int32_t nestedResult_ = 0;  // what a load started from inside a load ("$NEST") gave
};

}  // namespace stock_test
