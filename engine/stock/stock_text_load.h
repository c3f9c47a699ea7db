// The state of one running stock text load: the read window, the line and description
// buffer handed to the program, the author list of LSetAuth, the file records and the
// entry record. Lives for one LoadStockAscii call; LSetAuth reaches it while it runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/stock/stock_text_window.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace lvk {

struct StockCallbacks {
    LvStockLineProc onStockKeyLine = nullptr;
    LvStockFileProc onStockFile = nullptr;
    LvStockEntryProc onStockEntry = nullptr;
    LvStockLineProc onDescKeyLine = nullptr;
    LvStockLinkProc onStockLink = nullptr;
    LvDescTextProc onDescText = nullptr;
};

struct AuthorNode {
    AuthorNode* next;
    uint32_t code;
    int16_t number;
};
struct AuthorPair {
    uint32_t code;
    int16_t number;
};

// A distinct picture file named by the entries; its name's units follow the record.
struct FileRecord {
    FileRecord* next;  // in its hash bucket
    uint32_t hash;
    int32_t length;
    uint8_t kind;
    uint8_t form;
    int16_t index;  // what the program returned for it
    const char16_t* Name() const { return reinterpret_cast<const char16_t*>(this + 1); }
};

// The line and description buffer: a UTF-16 text in the shared-string layout with room for
// 16,385 units (its 32-bit byte length in front, a NUL after).
class StockLineBuffer {
public:
    static constexpr int32_t kUnits = 16385;

    ~StockLineBuffer();
    bool Allocate();
    void Clear() { length_ = 0; }
    int32_t Length() const { return length_; }
    void Put(char16_t unit) {
        if (length_ >= kUnits) Overflow();
        units_[length_++] = unit;
    }
    void Put(const char* ascii) {
        while (*ascii != 0) Put(static_cast<char16_t>(static_cast<uint8_t>(*ascii++)));
    }
    // Appends bytes with their 0x87 escapes decoded; a bad escape raises -11222.
    void PutDecoded(const uint8_t* p, const uint8_t* end);
    // The text as the program receives it.
    const char16_t* Text();

private:
    [[noreturn]] static void Overflow();
    uint8_t* block_ = nullptr;
    char16_t* units_ = nullptr;
    int32_t length_ = 0;
};

class StockTextLoad {
public:
    StockTextLoad(const char* fileName, const StockCallbacks& callbacks);
    ~StockTextLoad();
    StockTextLoad(const StockTextLoad&) = delete;
    StockTextLoad& operator=(const StockTextLoad&) = delete;

    bool AllocateWindow() { return window_.Allocate(); }
    // Steps 1 to 3 of a load after the work block; raises its failures.
    int32_t Run();
    int32_t Line() const { return window_.Line(); }

    // LSetAuth: 0, or the result of dropping the sorted author table.
    int32_t AddAuthor(uint32_t code, int16_t number);

private:
    int32_t StockPart();  // 0 when the description part follows, else the result
    int32_t DescriptionPart();
    void DescHeader(const uint8_t* p, const uint8_t* end);
    void PercentLine(const uint8_t* p, const uint8_t* end);
    bool FinishDescription(bool lastOfFile);  // false when the program asked to stop

    // Entry lines (stock_text_entry.cpp): fills entry_ from the line.
    void ParseEntry(const uint8_t* p, const uint8_t* end);
    int16_t FindAuthor(uint32_t code);
    int16_t FileIndexOf(uint8_t kind, uint8_t form, std::u16string_view name);

    const char* fileName_;
    StockCallbacks cb_;
    StockTextWindow window_;
    StockLineBuffer line_;
    std::string folder_;  // bytes, "/" made "\"
    std::u16string folderText_;

    AuthorNode* authorsHead_ = nullptr;
    AuthorNode* authorsTail_ = nullptr;
    int16_t authorCount_ = 0;
    AuthorPair* sortedAuthors_ = nullptr;
    int32_t sortedCount_ = 0;
    int32_t lastAuthor_ = -1;

    FileRecord** buckets_ = nullptr;
    FileRecord* lastFile_ = nullptr;

    StockEntry entry_;
    StockFileEntry file_;
    std::u16string fileName16_;  // scratch of the entry's file field
    int32_t entryNumber_ = 0;

    int32_t descNumber_ = 0;
    bool descOpen_ = false;
    bool descHasText_ = false;
};

}  // namespace lvk
