// GetStockData and GetDescTxtData: stock entries and description texts packed as records
// in a block of memory (the stock windows keep selections in this form), handed one by
// one to a procedure of the program. Every length is checked against the block's size.
#include <cstring>

#include "engine/base/byte_source.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace lvk {
namespace {

class RecordStream {
public:
    RecordStream(const uint8_t* data, int32_t size, int32_t at) : data_(data), size_(size), at_(at) {
        if (data == nullptr || size < 0 || at < 0 || at > size) RaiseError(kErrStkStreamCut);
    }
    int32_t At() const { return at_; }
    const uint8_t* Take(int32_t n) {
        if (n > size_ - at_) RaiseError(kErrStkStreamCut);
        const uint8_t* p = data_ + at_;
        at_ += n;
        return p;
    }
    uint8_t Byte() { return *Take(1); }
    uint16_t Word() { return Le16(Take(2)); }
    // A 16-bit value, or after the marker 0xF0F0 a 32-bit one.
    int32_t Number() {
        const uint16_t v = Word();
        return v == 0xF0F0 ? static_cast<int32_t>(Le32(Take(4))) : v;
    }
    // A 16-bit character count, then one byte per character.
    void Text(std::u16string& out) {
        const uint16_t n = Word();
        const uint8_t* p = Take(n);
        out.assign(p, p + n);
    }

private:
    const uint8_t* data_;
    int32_t size_;
    int32_t at_;
};

// A text in the shared-string layout for the description procedure, grown as needed.
class StreamText {
public:
    ~StreamText() { MemFree(block_, kTagFreeStkStreamText); }
    const char16_t* Set(const std::u16string& s) {
        const size_t need = sizeof(int32_t) + (s.size() + 1) * sizeof(char16_t);
        if (need > capacity_) {
            void* grown = MemRealloc(block_, need, kTagStkStreamText);
            if (grown == nullptr) RaiseError(kErrStkOutBuffer);
            block_ = static_cast<uint8_t*>(grown);
            capacity_ = need;
        }
        const int32_t bytes = static_cast<int32_t>(s.size() * sizeof(char16_t));
        std::memcpy(block_, &bytes, sizeof bytes);
        auto* units = reinterpret_cast<char16_t*>(block_ + sizeof(int32_t));
        std::memcpy(units, s.data(), s.size() * sizeof(char16_t));
        units[s.size()] = 0;
        return units;
    }

private:
    uint8_t* block_ = nullptr;
    size_t capacity_ = 0;
};

}  // namespace
}  // namespace lvk

using namespace lvk;

LvResult GetStockData(const uint8_t* buffer, int32_t size, int32_t startOffset, int32_t count, LvStockEntryProc proc,
                      int32_t flag) noexcept {
    return RecoveryPoint(kErrStkOutBuffer, [&]() -> int32_t {
        RecordStream in(buffer, size, startOffset);
        StockEntry e;
        for (int32_t n = 1; n <= count; ++n) {
            in.Text(e.Name);
            const uint8_t* codes = in.Take(5);
            e.TypeLetter = codes[0];
            e.WayLetter = codes[1];
            e.UMark = codes[2];
            // Flag 1: the index in one byte, 126 and up standing for the macro mark 0x7FFF.
            e.FileIndex =
                static_cast<int16_t>(flag == 1 ? (codes[4] < 126 ? codes[4] : codes[4] | 0x7FF0) : Le16(codes + 3));
            in.Text(e.Text2);
            in.Text(e.Text3);
            e.DescNumber = in.Number();
            e.Author = static_cast<int16_t>(in.Number());
            if (proc != nullptr && proc(n, &e) != 0) return -1;
        }
        return in.At();
    });
}

LvResult GetDescTxtData(const uint8_t* buffer, int32_t size, int32_t startOffset, int32_t count,
                        LvDescTextProc proc) noexcept {
    return RecoveryPoint(kErrStkOutBuffer, [&]() -> int32_t {
        RecordStream in(buffer, size, startOffset);
        StreamText text;
        std::u16string s;
        for (int32_t n = 1; n <= count; ++n) {
            in.Text(s);
            if (proc != nullptr && proc(static_cast<int16_t>(n), text.Set(s)) != 0) return -1;
        }
        return in.At();
    });
}
