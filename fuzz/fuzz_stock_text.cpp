// Stock text files of any bytes, read with procedures that keep what they are given as the
// program does. The reader may refuse a file but must not crash, hang or read outside its
// buffers; a file it takes is written again and must read back to as many entries.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace {

struct Program {
    SharedState shared;
    SharedArrays arrays;
    SharedArray<const char*> fileNames;
    std::vector<std::string> names;

    void Reset() {
        for (LvArrayDesc* d :
             {arrays.Stock.desc(), arrays.StockFiles.desc(), arrays.Authors.desc(), arrays.DescTexts.desc()})
            d->redim(d, 0);
        arrays.Languages.redim(10);
        arrays.Languages[0].Code = u"N";
        shared.StockCount = shared.StockFileCount = shared.AuthorCount = shared.DescTextCount = 0;
    }
};

Program& P() {
    static Program* program = [] {
        auto* p = new Program;
        lvk::BindShared(&p->shared, nullptr);
        lvk::BindArrays(p->arrays);
        return p;
    }();
    return *program;
}

bool IsAuthorKey(std::u16string_view key) {
    if (key.empty() || key.size() > 4) return false;
    for (char16_t c : key)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))) return false;
    return true;
}

int32_t OnKeyLine(const char16_t* line, int32_t) noexcept {
    const std::u16string text = LvTextString(line);
    Program& p = P();
    if (text.rfind(u"$ENDSTOCK", 0) == 0) {
        PrepareLookStock(p.arrays.Stock.desc(), p.shared.StockCount);
        return 2;
    }
    // "$AUTH KEY;..." or "$AUTHK K=KEY;..." registers an author whose key the writer can
    // give back.
    const size_t at = text.rfind(u"$AUTH ", 0) == 0 ? 6 : text.rfind(u"$AUTHK K=", 0) == 0 ? 9 : 0;
    const std::u16string key = at == 0 ? u"" : text.substr(at, text.find(u';', at) - at);
    if (IsAuthorKey(key)) {
        const int32_t n = ++p.shared.AuthorCount;
        p.arrays.Authors.redim(n);
        p.arrays.Authors[n].Key = key;
        std::string bytes;
        for (char16_t c : key) bytes += static_cast<char>(c);
        LSetAuth(bytes.c_str(), n);
    }
    return text.rfind(u"$STOP", 0) == 0 ? 1 : 0;
}
int32_t OnDescKeyLine(const char16_t* line, int32_t) noexcept {
    return LvTextString(line).rfind(u"$ENDDESC", 0) == 0 ? 1 : 0;
}
int32_t OnFile(const StockFileEntry* file) noexcept {
    Program& p = P();
    const int32_t n = ++p.shared.StockFileCount;
    p.arrays.StockFiles.redim(n);
    p.arrays.StockFiles[n].Kind = file->Kind;
    p.arrays.StockFiles[n].Path = file->Path;
    return n;
}
int32_t OnEntry(int32_t index, const StockEntry* entry) noexcept {
    Program& p = P();
    if (index > p.arrays.Stock.upperBound() && !p.arrays.Stock.redim(index + 1000)) return 1;
    p.arrays.Stock[index] = *entry;
    p.shared.StockCount = std::max(p.shared.StockCount, index);
    return 0;
}
int32_t OnLink(int32_t index, int32_t desc) noexcept {
    Program& p = P();
    if (index >= 1 && index <= p.shared.StockCount) p.arrays.Stock[index].DescNumber = desc;
    return 0;
}
int32_t OnDescText(int32_t desc, const char16_t* text) noexcept {
    Program& p = P();
    if (desc > p.arrays.DescTexts.upperBound() && !p.arrays.DescTexts.redim(desc + 100)) return 1;
    p.arrays.DescTexts[desc] = LvTextString(text);
    p.shared.DescTextCount = std::max(p.shared.DescTextCount, desc);
    return 0;
}

int32_t Load(const std::string& path) {
    P().Reset();
    int32_t line = 0;
    return LoadStockAscii(path.c_str(), &OnKeyLine, &OnFile, &OnEntry, &OnDescKeyLine, &OnLink, &OnDescText, &line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string in = "/tmp/fuzz_stock_text." + std::to_string(::getpid()) + ".stk";
    static const std::string out = "/tmp/fuzz_stock_text." + std::to_string(::getpid()) + ".out.stk";
    FILE* f = std::fopen(in.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    Program& p = P();
    if (Load(in) != 1) return 0;
    // The file names the writer gives back: the paths the entries named, byte for byte.
    p.names.assign(1, "");
    for (int32_t i = 1; i <= p.shared.StockFileCount; ++i) {
        std::string name;
        for (char16_t c : p.arrays.StockFiles[i].Path) name += static_cast<char>(c);
        p.names.push_back(name);
    }
    p.fileNames.redim(p.shared.StockFileCount);
    for (int32_t i = 0; i <= p.shared.StockFileCount; ++i) p.fileNames[i] = p.names[static_cast<size_t>(i)].c_str();
    // What the text form keeps of each entry (file indices and description numbers may be
    // renumbered when two records name one file, or a description is too short to write).
    auto kept = [&p] {
        std::vector<std::u16string> texts;
        for (int32_t i = 1; i <= p.shared.StockCount; ++i) {
            const StockEntry& e = p.arrays.Stock[i];
            texts.push_back(e.Name + u'|' + e.Text2 + u'|' + e.Text3 + u'|' + e.TypeLetter + e.WayLetter +
                            static_cast<char16_t>(e.UMark) + static_cast<char16_t>(e.Author));
        }
        return texts;
    };
    const std::vector<std::u16string> before = kept();
    if (SaveStock(4, out.c_str(), 0, p.fileNames.desc()) != 0) std::abort();
    if (Load(out) != 1 || kept() != before) std::abort();
    PrepareLookStock(nullptr, 0);
    return 0;
}
