#include "engine/stock/stock_format.h"

#include "platform/codepage.h"

namespace lvk {
namespace {

struct KindName {
    const char* letters;
    int kind;
};

constexpr KindName kKinds[] = {
    {"G", 1}, {"B", 2},  {"D", 3},  {"L16", 5}, {"L32", 6}, {"T", 7},
    {"H", 9}, {"C", 10}, {"E", 11}, {"S", 18},  {"F", 19},
};

uint32_t Pack(const char* letters) {
    uint32_t code = 0;
    for (const char* p = letters; *p != 0; ++p) code = code * 256 + static_cast<uint8_t>(*p);
    return code;
}

}  // namespace

const char* KindLetters(int kind) {
    for (const KindName& k : kKinds)
        if (k.kind == kind) return k.letters;
    return nullptr;
}

int KindOfCode(uint32_t code) {
    if (code == 'M') return kKindMacro;
    for (const KindName& k : kKinds)
        if (Pack(k.letters) == code) return k.kind;
    return 0;
}

void AppendHexEscape(std::string& out, char16_t unit) {
    static const char kHex[] = "0123456789ABCDEF";
    out += static_cast<char>(kEscapeByte);
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

void AppendStockText(std::string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        if (c > 0xFF || c == kEscapeByte || c < 0x20)
            AppendHexEscape(out, c);
        else
            out += static_cast<char>(c);
    }
}

std::string StockFolderBytes(const char* fileName) {
    const std::string name = fileName != nullptr ? fileName : "";
    const size_t last = name.find_last_of("/\\");
    return last == std::string::npos ? std::string() : name.substr(0, last);
}

std::u16string StockFolderText(std::string_view folderBytes) { return plat::utf8ToUtf16(folderBytes); }

std::u16string JoinStockPath(std::u16string_view folder, std::u16string_view rest) {
    // plat::joinPath's rule, on the code units themselves (a name's units need not be UTF-16).
    std::u16string path(folder);
    if (!folder.empty() && !rest.empty() && folder.back() != u'/' && folder.back() != u'\\') {
        const bool backslashed =
            folder.find(u'\\') != std::u16string_view::npos && folder.find(u'/') == std::u16string_view::npos;
        path += backslashed ? u'\\' : u'/';
    }
    path += rest;
    return path;
}

}  // namespace lvk
