// The bit cursor of the engine's picture code: values of 1 to 25 bits, written and read
// least significant bit first, continuing into the following bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lvk {

// 1 for 0 and 1, otherwise the number of binary digits of v.
inline int BitsFor(uint32_t v) { return v < 2 ? 1 : 32 - __builtin_clz(v); }

// Writes into [start, end); a value that would pass the end sets Overflow and is dropped.
class BitWriter {
public:
    void SetBitCursor(uint8_t* start, size_t capacity) {
        start_ = pos_ = start;
        end_ = start + capacity;
        acc_ = 0;
        bits_ = 0;
        overflow_ = false;
    }
    void PutBits(int n, uint32_t value) {
        acc_ |= static_cast<uint64_t>(value & ((1u << n) - 1)) << bits_;
        bits_ += n;
        if (bits_ >= 32) {
            if (end_ - pos_ < 4) {
                overflow_ = true;
                bits_ -= 32;
                acc_ >>= 32;
                return;
            }
            uint8_t b[4] = {static_cast<uint8_t>(acc_), static_cast<uint8_t>(acc_ >> 8),
                            static_cast<uint8_t>(acc_ >> 16), static_cast<uint8_t>(acc_ >> 24)};
            std::memcpy(pos_, b, 4);
            pos_ += 4;
            acc_ >>= 32;
            bits_ -= 32;
        }
    }
    // Writes the bits held, ending on a byte boundary; returns the coded length.
    size_t Finish() {
        while (bits_ > 0) {
            if (pos_ == end_) {
                overflow_ = true;
                break;
            }
            *pos_++ = static_cast<uint8_t>(acc_);
            acc_ >>= 8;
            bits_ = bits_ > 8 ? bits_ - 8 : 0;
        }
        return static_cast<size_t>(pos_ - start_);
    }
    bool Overflow() const { return overflow_; }

private:
    uint8_t* start_ = nullptr;
    uint8_t* pos_ = nullptr;
    uint8_t* end_ = nullptr;
    uint64_t acc_ = 0;
    int bits_ = 0;
    bool overflow_ = false;
};

// Reads from [data, data + size) and never beyond: bits past the end read as 0 and set
// Overrun, so a damaged stream is noticed without touching memory after its end.
class BitReader {
public:
    void SetBitCursor(const uint8_t* data, size_t size) {
        data_ = data;
        size_ = size;
        totalBits_ = static_cast<uint64_t>(size) * 8;
        pos_ = 0;
        overrun_ = false;
    }
    uint32_t GetBits(int n) {
        if (pos_ + static_cast<uint64_t>(n) > totalBits_) {
            overrun_ = true;
            pos_ = totalBits_;
            return 0;
        }
        size_t byte = static_cast<size_t>(pos_ >> 3);
        unsigned shift = static_cast<unsigned>(pos_ & 7);
        uint32_t word;
        if (size_ - byte >= 4) {
            uint8_t b[4];
            std::memcpy(b, data_ + byte, 4);
            word = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        } else {
            word = 0;
            for (size_t i = 0; byte + i < size_; ++i) word |= static_cast<uint32_t>(data_[byte + i]) << (8 * i);
        }
        pos_ += static_cast<uint64_t>(n);
        return (word >> shift) & ((1u << n) - 1);
    }
    bool Overrun() const { return overrun_; }
    // Bytes the cursor advanced, counting a started byte as whole.
    size_t Consumed() const { return static_cast<size_t>((pos_ + 7) >> 3); }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    uint64_t totalBits_ = 0;
    uint64_t pos_ = 0;
    bool overrun_ = false;
};

}  // namespace lvk
