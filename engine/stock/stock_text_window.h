// The read window of the stock text reader: the file read in 128 KiB steps into one work
// block, with each line made whole in the block before it is parsed in place.
//
// A line is complete in the block whenever it is not longer than the block (135,168
// bytes); a longer one is refused with -11223 wherever it lies, instead of being cut at a
// window boundary. A NUL byte, in the file or after its last byte, ends the data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_replace.h"

namespace lvk {

class StockTextWindow {
public:
    StockTextWindow() = default;
    ~StockTextWindow();
    StockTextWindow(const StockTextWindow&) = delete;
    StockTextWindow& operator=(const StockTextWindow&) = delete;

    // The work block; false when it cannot be had.
    bool Allocate();
    // 0, or the errno of opening the file (a folder counts as EISDIR).
    int Open(const char* name);
    void Close();

    // The end of the line starting at Pos(): the address of its CR, LF or of the NUL that
    // ends the data. Reads on as needed; raises -11223 for a line longer than the block and
    // -11202 for a read error.
    const uint8_t* LineEnd();
    const uint8_t* Pos() const { return data_ + pos_; }
    // Moves past the line end that LineEnd() returned (CR LF, CR or LF) and counts the
    // line. Does nothing at the end of the data.
    void NextLine(const uint8_t* lineEnd);

    int32_t Line() const { return line_; }
    void CountLine() { ++line_; }

private:
    // Keeps the bytes from pos_ on, moves them to the block's start and reads after them.
    void Refill();

    uint8_t* data_ = nullptr;
    size_t pos_ = 0;
    size_t end_ = 0;  // data_[end_] is always a NUL
    bool eof_ = false;
    plat::UniqueFd fd_;
    int32_t line_ = 0;
};

}  // namespace lvk
