// The input of the binary stock reader: the file read in 128 KiB steps into a window, or
// for a "StkZ0" file its body inflated into the window as the fields are read.
//
// Every byte is taken through Byte() or Take(), which refill the window and raise -11803
// when the data has ended, so no field is read outside the window.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "platform/file_replace.h"

namespace lvk {

class StockBinInput {
public:
    StockBinInput() = default;
    ~StockBinInput();
    StockBinInput(const StockBinInput&) = delete;
    StockBinInput& operator=(const StockBinInput&) = delete;

    // 0, or the errno of opening (a folder counts as EISDIR).
    int Open(const char* name);
    // Takes the window and reads the first block; raises -10025 or -11802.
    void Start();
    // From here on the rest of the file is one zlib stream; raises -10027 or a zlib code.
    void StartCompressed();

    uint8_t Byte() { return pos_ < end_ ? window_[pos_++] : SlowByte(); }
    // n (at most 4,096) bytes in a row.
    const uint8_t* Take(size_t n);
    // Bytes left in the window without reading on (for the header).
    size_t Buffered() const { return end_ - pos_; }

    // The most bytes that can still follow: exact for a plain file, and for a compressed
    // one what the rest of the file can inflate to at zlib's highest ratio.
    uint64_t RemainingBound() const;
    // For a compressed body after its last field: raises unless the stream ends here with
    // its check value right (-11825 for more data, -11803 for a cut stream).
    void ExpectStreamEnd();

private:
    uint8_t SlowByte();
    void Refill();
    void ReadPlain();
    void Inflate();

    plat::UniqueFd fd_;
    uint64_t fileSize_ = 0;
    uint64_t fileRead_ = 0;
    uint8_t* window_ = nullptr;
    size_t pos_ = 0;
    size_t end_ = 0;
    bool eof_ = false;

    bool compressed_ = false;
    bool zStarted_ = false;
    z_stream z_{};
    uint8_t* input_ = nullptr;  // compressed bytes read from the file
    bool inputEof_ = false;
};

}  // namespace lvk
