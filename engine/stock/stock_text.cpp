// LoadStockAscii: a stock text file read line by line in two parts, everything found handed
// to the program's six procedures in file order; LSetAuth registers authors meanwhile.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/base/arena.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"
#include "engine/stock/stock_format.h"
#include "engine/stock/stock_index.h"
#include "engine/stock/stock_text_load.h"

namespace lvk {
namespace {

StockTextLoad*& Running() {
    static StockTextLoad* running = nullptr;
    return running;
}

constexpr size_t kLineBlockBytes = 32776;
constexpr int32_t kBucketCount = 4096;

bool IsDescHeader(const uint8_t* p, const uint8_t* end) {
    return end - p >= 6 && std::memcmp(p + 1, "DESC", 4) == 0 && IsBlank(p[5]);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Line buffer

StockLineBuffer::~StockLineBuffer() {
    if (block_ != nullptr) MemFree(block_, kTagFreeStkLine);
}

bool StockLineBuffer::Allocate() {
    block_ = static_cast<uint8_t*>(MemAlloc(kLineBlockBytes, kTagStkLine));
    units_ = block_ != nullptr ? reinterpret_cast<char16_t*>(block_ + sizeof(int32_t)) : nullptr;
    return block_ != nullptr;
}

void StockLineBuffer::Overflow() { RaiseError(kErrStkTextLong); }

void StockLineBuffer::PutDecoded(const uint8_t* p, const uint8_t* end) {
    while (p < end) {
        const uint8_t c = *p++;
        if (c != kEscapeByte) {
            Put(c);
            continue;
        }
        if (end - p < 4) RaiseError(kErrStkEscape);
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = plat::hexDigitValue(p[i]);
            if (h < 0) RaiseError(kErrStkEscape);
            value = value * 16 + h;
        }
        p += 4;
        Put(static_cast<char16_t>(value));
    }
}

const char16_t* StockLineBuffer::Text() {
    const int32_t bytes = length_ * 2;
    std::memcpy(block_, &bytes, sizeof bytes);
    units_[length_] = 0;
    return units_;
}

// ---------------------------------------------------------------------------------------
// The load

StockTextLoad::StockTextLoad(const char* fileName, const StockCallbacks& callbacks)
    : fileName_(fileName), cb_(callbacks) {}

StockTextLoad::~StockTextLoad() {
    window_.Close();
    if (sortedAuthors_ != nullptr) MemFree(sortedAuthors_, kTagFreeStkAuthTable);
    // The author list, the file records and the buckets go with the arena.
    ArenaFreeAll();
}

int32_t StockTextLoad::Run() {
    if (!line_.Allocate()) RaiseError(kErrStkLineBuffer);
    if (window_.Open(fileName_) != 0) RaiseError(kErrStkOpen);
    folder_ = StockFolderBytes(fileName_);
    folderText_ = StockFolderText(folder_);
    buckets_ = static_cast<FileRecord**>(ArenaAlloc(kBucketCount * sizeof(FileRecord*), kTagStkBuckets));
    window_.CountLine();
    const int32_t stock = StockPart();
    return stock != 0 ? stock : DescriptionPart();
}

// 0 when the description part follows, else the load's result.
int32_t StockTextLoad::StockPart() {
    for (;;) {
        const uint8_t* end = window_.LineEnd();
        const uint8_t* p = SkipBlanks(window_.Pos(), end);
        if (p < end) {
            if (*p == '$') {
                line_.Clear();
                line_.PutDecoded(p, end);
                const int32_t r = cb_.onStockKeyLine != nullptr ? cb_.onStockKeyLine(line_.Text(), window_.Line()) : 0;
                if ((r & 1) != 0 || (r != 0 && *end == 0)) return 1;
                if (r != 0) {
                    window_.NextLine(end);
                    return 0;
                }
            } else if (*p != '#' && *p != ';' && *p != '*' && *p != '/') {
                ParseEntry(p, end);
                ++entryNumber_;
                if (cb_.onStockEntry != nullptr && cb_.onStockEntry(entryNumber_, &entry_) != 0) return -1;
            }
        }
        if (*end == 0) return 1;
        window_.NextLine(end);
    }
}

int32_t StockTextLoad::DescriptionPart() {
    for (;;) {
        const uint8_t* end = window_.LineEnd();
        const uint8_t* p = SkipBlanks(window_.Pos(), end);
        if (p < end) {
            if (*p == '$') {
                if (descOpen_ && !FinishDescription(false)) return -1;
                if (IsDescHeader(p, end)) {
                    DescHeader(p, end);
                } else {
                    line_.Clear();
                    line_.PutDecoded(p, end);
                    if (cb_.onDescKeyLine != nullptr && cb_.onDescKeyLine(line_.Text(), window_.Line()) != 0) return 1;
                }
            } else if (*p == '%') {
                PercentLine(p, end);
            } else {
                if (!descOpen_) RaiseError(kErrStkTextLine);
                if (!descHasText_) line_.Put("%%\r");
                descHasText_ = true;
                line_.PutDecoded(p, end);
                line_.Put("\r\n");
            }
        }
        if (*end == 0) {
            if (descOpen_) FinishDescription(true);
            return 1;
        }
        window_.NextLine(end);
    }
}

void StockTextLoad::DescHeader(const uint8_t* p, const uint8_t* end) {
    ++descNumber_;
    std::u16string name;
    p = SkipBlanks(p + 6, end);
    for (;;) {
        name.clear();
        while (p<end&& * p> ' ' && *p != ',') {
            char16_t unit;
            p += LenientUnit(p, end, unit);
            name += unit;
        }
        const int32_t index = LookStock(name);
        if (index == 0) RaiseError(kErrStkDescName);
        if (cb_.onStockLink != nullptr) cb_.onStockLink(index, descNumber_);
        p = SkipBlanks(p, end);
        if (p == end) break;
        if (*p != ',') RaiseError(kErrStkDescSyntax);
        // Blanks after the comma are taken as the writer of the line meant them.
        p = SkipBlanks(p + 1, end);
    }
    line_.Clear();
    descOpen_ = true;
    descHasText_ = false;
}

void StockTextLoad::PercentLine(const uint8_t* p, const uint8_t* end) {
    if (!descOpen_ || descHasText_) RaiseError(kErrStkPercentLine);
    while (p<end&& * p> ' ') {
        char16_t unit;
        p += LenientUnit(p, end, unit);
        line_.Put(UpperAscii(unit));
    }
    line_.Put(u' ');
    line_.PutDecoded(SkipBlanks(p, end), end);
    line_.Put(u'\r');
}

bool StockTextLoad::FinishDescription(bool lastOfFile) {
    if (!descHasText_) line_.Put("%%\r");
    descOpen_ = false;
    const int32_t r = cb_.onDescText != nullptr ? cb_.onDescText(descNumber_, line_.Text()) : 0;
    return lastOfFile || r == 0;
}

int32_t StockTextLoad::AddAuthor(uint32_t code, int16_t number) {
    auto* node = static_cast<AuthorNode*>(ArenaAlloc(sizeof(AuthorNode), kTagStkAuthor));
    *node = AuthorNode{nullptr, code, number};
    if (authorsTail_ != nullptr)
        authorsTail_->next = node;
    else
        authorsHead_ = node;
    authorsTail_ = node;
    ++authorCount_;
    if (sortedAuthors_ == nullptr) return 0;
    const int32_t r = MemFree(sortedAuthors_, kTagFreeStkAuthTable);
    sortedAuthors_ = nullptr;
    sortedCount_ = 0;
    lastAuthor_ = -1;
    return r;
}

}  // namespace lvk

using namespace lvk;

LvResult LoadStockAscii(const char* file, LvStockLineProc onStockKeyLine, LvStockFileProc onStockFile,
                        LvStockEntryProc onStockEntry, LvStockLineProc onDescKeyLine, LvStockLinkProc onStockLink,
                        LvDescTextProc onDescText, int32_t* lineCountOut) noexcept {
    // One load at a time: a procedure of the program that starts another one is refused.
    if (Running() != nullptr) return kErrStkWorkBlock;
    const StockCallbacks callbacks{onStockKeyLine, onStockFile, onStockEntry, onDescKeyLine, onStockLink, onDescText};
    StockTextLoad* load = new (std::nothrow) StockTextLoad(file, callbacks);
    if (load == nullptr) return kErrStkWorkBlock;
    if (!load->AllocateWindow()) {
        delete load;
        return kErrStkWorkBlock;
    }
    Running() = load;
    const int32_t result = RecoveryPoint(kErrStkLineBuffer, [&]() -> int32_t { return load->Run(); });
    const int32_t line = load->Line();
    Running() = nullptr;
    delete load;
    if (result != kErrStkOpen && lineCountOut != nullptr) *lineCountOut = line;
    return result;
}

LvResult LSetAuth(const char* authorCode, int32_t authorNumber) noexcept {
    StockTextLoad* load = Running();
    if (load == nullptr) return -1;
    uint32_t code = 0;
    for (const char* p = authorCode != nullptr ? authorCode : ""; *p != 0; ++p)
        code = code * 256 + static_cast<uint8_t>(*p);
    return RecoveryPoint(kErrArenaChunk,
                         [&]() -> int32_t { return load->AddAuthor(code, static_cast<int16_t>(authorNumber)); });
}
