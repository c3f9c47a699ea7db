// Records that the program and the engine library share in memory.
//
// Both deliverables are built by us with one compiler, so these are typed C++ structs
// kept in the field order of the stored formats; byte offsets are not an interface
// between the two (no file stores these records). An address is a pointer here, and a
// handle a 32-bit id into a table.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------------------
// Shared dynamic arrays
//
// The engine re-dimensions the program's arrays in place (ReDim Preserve). Each array
// carries a descriptor that the engine receives by address; the descriptor's `redim`
// belongs to the array's owner, so elements are always constructed and destroyed by the
// side that knows their type. Indices are 0-based with element 0 present; the tables use
// 1..count, and the counts live in SharedState, not here.
// ---------------------------------------------------------------------------------------
struct LvArrayDesc {
    void* data = nullptr;  // element 0, or null when empty
    int32_t length = 0;    // elements 0..length-1 exist
    int32_t elemSize = 0;  // sizeof the element, checked by typed access
    // Re-dimension to 0..upperBound keeping the contents (upperBound < 0 empties the
    // array). Returns 0, or -1 when the size cannot be had (the array is unchanged).
    int32_t (*redim)(LvArrayDesc* self, int32_t upperBound) = nullptr;
    void* owner = nullptr;  // the SharedArray that owns this descriptor
};

template <class T>
class SharedArray {
public:
    SharedArray() {
        desc_.elemSize = static_cast<int32_t>(sizeof(T));
        desc_.redim = &SharedArray::redimThunk;
        desc_.owner = this;
    }
    SharedArray(const SharedArray&) = delete;
    SharedArray& operator=(const SharedArray&) = delete;

    // Typed view of a descriptor handed across; null when the element type does not match.
    static SharedArray* fromDesc(LvArrayDesc* d) {
        if (d == nullptr || d->owner == nullptr || d->elemSize != static_cast<int32_t>(sizeof(T))) return nullptr;
        return static_cast<SharedArray*>(d->owner);
    }

    bool redim(int32_t upperBound) {
        try {
            items_.resize(upperBound < 0 ? 0 : static_cast<size_t>(upperBound) + 1);
        } catch (...) {
            return false;
        }
        sync();
        return true;
    }
    int32_t upperBound() const { return static_cast<int32_t>(items_.size()) - 1; }
    int32_t length() const { return static_cast<int32_t>(items_.size()); }
    bool has(int32_t i) const { return i >= 0 && i < length(); }
    T& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
    const T& operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
    T* begin() { return items_.data(); }
    T* end() { return items_.data() + items_.size(); }
    LvArrayDesc* desc() { return &desc_; }

private:
    static int32_t redimThunk(LvArrayDesc* self, int32_t upperBound) {
        return static_cast<SharedArray*>(self->owner)->redim(upperBound) ? 0 : -1;
    }
    void sync() {
        desc_.data = items_.empty() ? nullptr : items_.data();
        desc_.length = static_cast<int32_t>(items_.size());
    }

    std::vector<T> items_;
    LvArrayDesc desc_;
};

// Number of languages: entry 0 is the general language, 1..10 the stock's own.
inline constexpr int kLanguageSlots = 11;

// Texts inside shared records. The engine writes them in place; both sides use the same
// standard library, so a std::u16string crosses safely.
using LvString = std::u16string;

// ---------------------------------------------------------------------------------------
// SharedState: the one record both sides read and write without locks.
// Each field has its writers as documented; the timer thread writes only LastTickMs.
// ---------------------------------------------------------------------------------------
struct FormLimits {
    uint16_t Flags = 0;     // menu-item groups to leave out; 0xE000 at start, +0x0800 no help
                            // file, +0x0400 no documentation page
    int16_t MinWidth = 0;   // first size limit of the window being opened
    int16_t MinHeight = 0;  // second size limit
    int16_t Unused = 0;
    intptr_t OwnerWindow = 0;  // value of the window being opened (popup owner when no slot)
};

struct SharedState {
    int32_t StockCount = 0;
    int32_t StockAlloc = 0;
    int32_t StockFileCount = 0;
    int32_t StockFileAlloc = 0;
    int32_t AuthorCount = 0;
    int32_t AuthorAlloc = 0;
    int32_t LibInfoCount = 0;
    int32_t LibInfoAlloc = 0;
    int32_t CategoryCount = 0;
    int32_t CategoryAlloc = 0;
    int32_t LanguageCount = 0;  // entries 1..n of the language list are in use
    int32_t LangTextCount = 0;
    int32_t LangTextAlloc = 0;
    int32_t BuiltinDescKeys = 0;  // highest built-in description key index (7)
    int32_t DescKeyCount = 0;
    int32_t DescKeyAlloc = 0;
    int32_t DescValueCount = 0;
    int32_t DescValueAlloc = 0;
    int32_t DescTextCount = 0;
    int32_t DescTextAlloc = 0;
    int32_t MacroCount = 0;
    int32_t PictureHeight = 0;                  // stock picture height, 30..300
    int32_t TransparentColor = 0;               // 0x00BBGGRR put into a picture's transparent palette entry
    const char16_t* TypeCodeLetters = nullptr;  // first character of the program's table
    uint16_t TypeCodeFound = 0;                 // 1-based position of the last type-code character found
    uint8_t ExpandState1 = 0;
    uint8_t ExpandState2 = 0;
    uint16_t PopupRadio1 = 0;
    uint16_t PopupRadio2 = 0;
    uint16_t StockMenuValue = 0;
    uint8_t DirectDrawOff = 0;  // non-zero: the surface exports do nothing
    uint8_t LibZlibLevel = 0;   // 0 = the engine's own bit code for library records
    uint8_t CancelLoad = 0;
    uint8_t CurrentLanguage = 0;
    uint8_t OpenSources = 0;             // open scene-script sources
    std::atomic<int32_t> LastTickMs{0};  // written by the engine's timer thread only
    FormLimits Limits;
};
static_assert(std::is_standard_layout_v<SharedState>);

// ---------------------------------------------------------------------------------------
// DllEventRec: the engine's single event record, handed to the program's callback.
// Text fields point at the first character of a UTF-16 text with its byte length stored
// as 32 bits just before it (see LvTextLength).
// ---------------------------------------------------------------------------------------
struct DllEventRec {
    int16_t Code = 0;
    int16_t SubCode = 0;
    char16_t* Text1 = nullptr;
    char16_t* Text2 = nullptr;
    int32_t Arg1 = 0;
    int32_t Arg2 = 0;
    int32_t Arg3 = 0;
    int32_t Arg4 = 0;
    char16_t* Text3 = nullptr;
};
static_assert(std::is_standard_layout_v<DllEventRec>);

// Length in characters of a length-prefixed UTF-16 text (0 for null).
inline int32_t LvTextLength(const char16_t* text) {
    if (text == nullptr) return 0;
    int32_t bytes;
    __builtin_memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof(int32_t), sizeof bytes);
    return bytes / 2;
}
inline std::u16string LvTextString(const char16_t* text) {
    return std::u16string(text == nullptr ? u"" : text, static_cast<size_t>(LvTextLength(text)));
}

// The shared text allocator: texts in the length-prefixed layout that one side makes and
// the other side frees or replaces (a char16_t** variable). Both sides use the C heap, so
// either may free what the other made. A null text stands for the empty text.
inline char16_t* LvTextAlloc(const char16_t* chars, int32_t length) {
    if (length < 0 || length > (0x7FFFFFFF - 8) / 2) return nullptr;
    char* block = static_cast<char*>(std::malloc(sizeof(int32_t) + (static_cast<size_t>(length) + 1) * 2));
    if (block == nullptr) return nullptr;
    const int32_t bytes = length * 2;
    __builtin_memcpy(block, &bytes, sizeof bytes);
    auto* text = reinterpret_cast<char16_t*>(block + sizeof(int32_t));
    if (chars != nullptr && length > 0)
        __builtin_memcpy(text, chars, static_cast<size_t>(bytes));
    else if (length > 0)
        __builtin_memset(text, 0, static_cast<size_t>(bytes));
    text[length] = 0;
    return text;
}
inline char16_t* LvTextAlloc(const std::u16string& s) { return LvTextAlloc(s.data(), static_cast<int32_t>(s.size())); }
inline void LvTextFree(char16_t* text) {
    if (text != nullptr) std::free(reinterpret_cast<char*>(text) - sizeof(int32_t));
}
// Replaces the text held by a variable, freeing the old one.
inline bool LvTextReplace(char16_t** variable, const std::u16string& s) {
    char16_t* fresh = LvTextAlloc(s);
    if (fresh == nullptr) return false;
    LvTextFree(*variable);
    *variable = fresh;
    return true;
}

// Callbacks the program hands to InitDLL.
using LvEventCallback = int32_t (*)(DllEventRec* record);
using LvRandomCallback = int32_t (*)(int32_t n, int32_t site);

// ---------------------------------------------------------------------------------------
// Records of the shared arrays, in their stored field order.
// ---------------------------------------------------------------------------------------

// One vehicle of the catalogue.
struct StockEntry {
    LvString Name;  // upper case
    LvString Text2;
    LvString Text3;          // may be empty
    int32_t PictureRef = 0;  // cache reference of the entry's picture; cleared with the cache off
    int16_t PicField16 = 0;  // four 16-bit picture fields, cleared with it
    int16_t Width = 0;
    int16_t PicField20 = 0;
    int16_t Height = 0;
    int32_t DescNumber = 0;      // 0 = none
    int16_t Author = 0;          // author number, 0 = none
    uint16_t SelectMask = 0;     // one bit per stock window
    int32_t SaveLink = 0;        // the stock writer's chaining link
    char16_t TypeLetter = u' ';  // first code character
    char16_t WayLetter = u' ';   // second code character
    int16_t FileIndex = 0;       // its StockFileEntry; 0x7FFF for a macro entry
    uint8_t UMark = 0;
};

struct StockFileEntry {
    uint8_t Kind = 0;     // picture kind; 6 is a 32-bit picture library
    int16_t LibInfo = 0;  // index of its LibInfoEntry, 0 = none
    int32_t PathForm = 0;
    LvString Path;
    LvString Name;
    int32_t LibHandle = 0;  // open library handle
    int16_t LoadState = 0;
};

struct AuthorEntry {
    LvString Key;          // K
    LvString ShortName;    // S
    LvString Name;         // N
    LvString Mail;         // E
    LvString HomePage;     // H
    LvString Description;  // D
    LvString X;            // X
    char16_t W = 0;
    char16_t T = 0;
    uint8_t FLength = 0;  // length of the F value, 1 for F given alone
};

struct LibInfoEntry {
    LvString Key;          // K, upper case
    LvString Name;         // N
    LvString Author;       // A
    LvString HomePage;     // H
    LvString Description;  // D
};

struct CategoryEntry {
    LvString Key;                    // K
    LvString Names[kLanguageSlots];  // one per language
    int32_t FirstEntry = 0;          // first stock entry of the category
    int16_t Level = 0;               // L
    int32_t Number = 0;              // running category number
    LvString Text;                   // T
};

struct LanguageEntry {
    LvString Code;                   // parameter name of this language's text ("N" for 0)
    LvString Names[kLanguageSlots];  // the language's name in each language
    LvString LangParams;             // whole parameter text of the defining line
    LvString LangTR;                 // its "TR" parameter
    int32_t Reserved = 0;
};

struct LangTextEntry {
    LvString Key;                    // at most 10 characters, unique
    LvString Texts[kLanguageSlots];  // index = language, 0 = general
};

struct DescKeyEntry {
    LvString Key;  // K
    LvString Names[kLanguageSlots];
    LvString Unit;  // U
    int16_t FirstValue = 0;
    int16_t LastValue = 0;  // 0 while it has none
    LvString Abbrev;        // A
    uint8_t Flags = 0;      // 8 built-in, 0x18 stock file, |1 S yes, |2 L yes
};

struct DescValueEntry {
    LvString Key;  // K, upper case
    LvString S;
    LvString Names[kLanguageSlots];
    LvString Abbrev;  // A
};

// The ten shared arrays in the order InitDLL receives them.
struct SharedArrays {
    SharedArray<StockEntry> Stock;
    SharedArray<StockFileEntry> StockFiles;
    SharedArray<AuthorEntry> Authors;
    SharedArray<LibInfoEntry> LibInfos;
    SharedArray<CategoryEntry> Categories;
    SharedArray<LanguageEntry> Languages;
    SharedArray<LangTextEntry> LangTexts;
    SharedArray<DescKeyEntry> DescKeys;
    SharedArray<DescValueEntry> DescValues;
    SharedArray<LvString> DescTexts;
};
