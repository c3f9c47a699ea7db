#include "engine/stock/stock_bin_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/base/byte_source.h"
#include "engine/base/memory.h"
#include "engine/base/recovery.h"
#include "engine/stock/stock_codes.h"

namespace lvk {
namespace {

constexpr size_t kBlockBytes = 135170;
constexpr size_t kCapacity = kBlockBytes - 2;
constexpr size_t kReadStep = 128 * 1024;
constexpr size_t kMaxTake = 4096;
// zlib's deflate never does better than about 1032 to 1; pending output of the inflater
// (its 32 KiB window) is allowed for on top.
constexpr uint64_t kInflateRatio = 1032;
constexpr uint64_t kInflatePending = 64 * 1024;

[[noreturn]] void RaiseZlib(int r) {
    switch (r) {
    case Z_DATA_ERROR: RaiseError(kErrBinZData);
    case Z_STREAM_ERROR: RaiseError(kErrBinZStream);
    case Z_MEM_ERROR: RaiseError(kErrBinZMemory);
    case Z_BUF_ERROR: RaiseError(kErrBinZBuffer);
    default: RaiseError(kErrBinZOther);
    }
}

// Reads up to n bytes; 0 at the end of the file. A failing read raises -11802.
size_t ReadSome(int fd, uint8_t* to, size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, to, n);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) RaiseError(kErrBinRead);
    }
}

}  // namespace

StockBinInput::~StockBinInput() {
    if (zStarted_) inflateEnd(&z_);
    if (input_ != nullptr) MemFree(input_, kTagFreeBinZInput);
    fd_.reset();
    if (window_ != nullptr) MemFree(window_, kTagFreeBinWindow);
}

int StockBinInput::Open(const char* name) {
    int fd = -1;
    uint64_t size = 0;
    if (const int err = OpenForReading(name, fd, size); err != 0) return err;
    fd_.reset(fd);
    fileSize_ = size;
    return 0;
}

void StockBinInput::Start() {
    window_ = static_cast<uint8_t*>(MemAlloc(kBlockBytes, kTagBinWindow));
    if (window_ == nullptr) RaiseError(kErrBinWindow);
    Refill();
}

void StockBinInput::StartCompressed() {
    // The block read so far holds the first compressed bytes; it becomes the input buffer.
    uint8_t* output = static_cast<uint8_t*>(MemAlloc(kBlockBytes, kTagBinZWindow));
    if (output == nullptr) RaiseError(kErrBinZWindow);
    input_ = window_;
    window_ = output;
    z_ = z_stream{};
    z_.next_in = input_ + pos_;
    z_.avail_in = static_cast<uInt>(end_ - pos_);
    inputEof_ = eof_;
    pos_ = end_ = 0;
    eof_ = false;
    compressed_ = true;
    const int r = inflateInit(&z_);
    if (r != Z_OK) RaiseZlib(r);
    zStarted_ = true;
    Refill();
}

uint8_t StockBinInput::SlowByte() {
    Refill();
    if (pos_ >= end_) RaiseError(kErrBinShort);
    return window_[pos_++];
}

const uint8_t* StockBinInput::Take(size_t n) {
    if (end_ - pos_ < n) {
        if (n > kMaxTake) RaiseError(kErrBinShort);
        Refill();
        if (end_ - pos_ < n) RaiseError(kErrBinShort);
    }
    const uint8_t* p = window_ + pos_;
    pos_ += n;
    return p;
}

void StockBinInput::Refill() {
    if (eof_) return;
    const size_t keep = end_ - pos_;
    if (pos_ > 0) std::memmove(window_, window_ + pos_, keep);
    pos_ = 0;
    end_ = keep;
    if (compressed_)
        Inflate();
    else
        ReadPlain();
    window_[end_] = 0;
}

void StockBinInput::ReadPlain() {
    while (end_ < kCapacity) {
        const size_t got = ReadSome(fd_.get(), window_ + end_, std::min(kReadStep, kCapacity - end_));
        if (got == 0) {
            eof_ = true;
            return;
        }
        end_ += got;
        fileRead_ += got;
    }
}

void StockBinInput::Inflate() {
    while (end_ < kCapacity) {
        if (z_.avail_in == 0 && !inputEof_) {
            const size_t got = ReadSome(fd_.get(), input_, kReadStep);
            fileRead_ += got;
            inputEof_ = got == 0;
            z_.next_in = input_;
            z_.avail_in = static_cast<uInt>(got);
        }
        z_.next_out = window_ + end_;
        z_.avail_out = static_cast<uInt>(kCapacity - end_);
        const int r = inflate(&z_, Z_SYNC_FLUSH);
        end_ = kCapacity - z_.avail_out;
        if (r == Z_STREAM_END) {
            eof_ = true;
            return;
        }
        if (r == Z_BUF_ERROR && z_.avail_in == 0) {
            // No progress without more input: at the end of the file the stream is cut.
            if (inputEof_) return;
            continue;
        }
        if (r != Z_OK) RaiseZlib(r);
    }
}

uint64_t StockBinInput::RemainingBound() const {
    const uint64_t buffered = end_ - pos_;
    const uint64_t unread = fileSize_ > fileRead_ ? fileSize_ - fileRead_ : 0;
    if (!compressed_) return buffered + unread;
    return buffered + (unread + z_.avail_in) * kInflateRatio + kInflatePending;
}

void StockBinInput::ExpectStreamEnd() {
    if (pos_ < end_) RaiseError(kErrBinBodyEnd);
    Refill();
    if (pos_ < end_) RaiseError(kErrBinBodyEnd);
    if (!eof_) RaiseError(kErrBinShort);
}

}  // namespace lvk
