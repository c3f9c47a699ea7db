// What the stock text and binary formats share: the file kinds and their letters, the
// 0x87 escape of the text form, the stock file's own folder, and typed access to the
// program's shared arrays through the descriptors InitDLL (or a test) bound.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/base/engine_state.h"
#include "lumvatek/shared.h"
#include "platform/text.h"

namespace lvk {

// File index of an entry that names no file (kind "M": its text 2 is a composition).
inline constexpr int16_t kMacroFileIndex = 0x7FFF;
// The kind number of "M", which has no stock file record.
inline constexpr int kKindMacro = -1;

// Letters of a file kind ("G", "L32", ...), or null for a kind without letters.
const char* KindLetters(int kind);
// The kind of a packed kind code ("AB" packs to 0x4142), kKindMacro for "M", 0 for none.
int KindOfCode(uint32_t code);

inline bool IsBlank(uint8_t c) { return c == ' ' || c == '\t'; }
inline const uint8_t* SkipBlanks(const uint8_t* p, const uint8_t* end) {
    while (p < end && IsBlank(*p)) ++p;
    return p;
}
inline char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

inline constexpr uint8_t kEscapeByte = 0x87;

// One character where older files may hold a raw 0x87 (entry lines, "$DESC" names, the key
// of a "%" line, which were once read without escapes): the escape counts only when four
// hex digits follow, otherwise the byte stands for itself. Returns the bytes taken.
inline int LenientUnit(const uint8_t* p, const uint8_t* end, char16_t& unit) {
    if (*p == kEscapeByte && end - p >= 5) {
        int value = 0;
        int i = 1;
        for (; i <= 4; ++i) {
            const int h = plat::hexDigitValue(p[i]);
            if (h < 0) break;
            value = value * 16 + h;
        }
        if (i == 5) {
            unit = static_cast<char16_t>(value);
            return 5;
        }
    }
    unit = *p;
    return 1;
}

// Appends the 0x87 escape of one unit (0x87 and four upper-case hex digits).
void AppendHexEscape(std::string& out, char16_t unit);
// Appends a text as 8-bit characters. Units above 255 and U+0087 itself are escaped so that
// the text reads back as it was, and so are the control characters, which would otherwise
// end or break the line they stand in.
void AppendStockText(std::string& out, std::u16string_view text);

// The folder of a stock file's own name, spelled as the name is: the part before its last
// "/" or "\" (empty without one). Names keep their case and separators throughout: on Linux
// both are part of a name; they are resolved only when a file is opened.
std::string StockFolderBytes(const char* fileName);
// The folder as the text of a path: file names are UTF-8 here.
std::u16string StockFolderText(std::string_view folderBytes);
// A path below the stock file's folder: the folder, a separator ("\" when the folder is
// spelled with "\" alone, else "/") and the rest. Without a folder (a stock file named
// without one) the rest alone, relative like the stock file itself.
std::u16string JoinStockPath(std::u16string_view folder, std::u16string_view rest);
// A unit of a file name as two names are compared: letters a-z upper-cased and "/" taken as
// "\", so that one file named in two spellings (or stored upper-cased with "\") is one.
inline char16_t FileNameUnit(char16_t c) { return c == u'/' ? u'\\' : UpperAscii(c); }

// Indices of the shared arrays, in InitDLL's order.
enum SharedTable : int {
    kTableStock = 0,
    kTableFiles,
    kTableAuthors,
    kTableLibInfos,
    kTableCategories,
    kTableLanguages,
    kTableTexts,
    kTableDescKeys,
    kTableDescValues,
    kTableDescTexts,
};

// One bound shared array seen as its record type; unbound (or of another record size)
// it is empty and cannot be re-dimensioned. The element address is read afresh on every
// access, since a re-dimension moves the elements.
template <class T>
class StockTable {
public:
    explicit StockTable(SharedTable which) : d_(Check(Binding().arrays[which])) {}
    int32_t Length() const { return d_ != nullptr && d_->data != nullptr ? d_->length : 0; }
    // The highest index both the count and the array allow (counts come from the program).
    int32_t Last(int32_t count) const { return std::clamp(count, 0, std::max(0, Length() - 1)); }
    T& operator[](int32_t i) const { return static_cast<T*>(d_->data)[i]; }
    // Elements 0..upperBound, keeping the contents.
    bool Redim(int32_t upperBound) const {
        return d_ != nullptr && d_->redim != nullptr && d_->redim(d_, upperBound) == 0 &&
               (upperBound < 0 || Length() == upperBound + 1);
    }

private:
    static LvArrayDesc* Check(LvArrayDesc* d) {
        return d != nullptr && d->elemSize == static_cast<int32_t>(sizeof(T)) ? d : nullptr;
    }
    LvArrayDesc* d_;
};

}  // namespace lvk
