#include "engine/stock/stock_text_window.h"

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
constexpr size_t kCapacity = kBlockBytes - 2;  // room for the NUL after the data
constexpr size_t kReadStep = 128 * 1024;

}  // namespace

StockTextWindow::~StockTextWindow() {
    Close();
    if (data_ != nullptr) MemFree(data_, kTagFreeStkWindow);
}

bool StockTextWindow::Allocate() {
    data_ = static_cast<uint8_t*>(MemAlloc(kBlockBytes, kTagStkWindow));
    if (data_ == nullptr) return false;
    data_[0] = 0;
    return true;
}

int StockTextWindow::Open(const char* name) {
    int fd = -1;
    uint64_t size = 0;
    if (const int err = OpenForReading(name, fd, size); err != 0) return err;
    fd_.reset(fd);
    pos_ = end_ = 0;
    eof_ = false;
    data_[0] = 0;
    line_ = 0;
    return 0;
}

void StockTextWindow::Close() { fd_.reset(); }

void StockTextWindow::Refill() {
    if (eof_) return;
    const size_t keep = end_ - pos_;
    if (pos_ > 0) std::memmove(data_, data_ + pos_, keep);
    pos_ = 0;
    end_ = keep;
    while (end_ < kCapacity) {
        const ssize_t got = ::read(fd_.get(), data_ + end_, std::min(kReadStep, kCapacity - end_));
        if (got < 0) {
            if (errno == EINTR) continue;
            data_[end_] = 0;
            RaiseError(kErrStkRead);
        }
        if (got == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<size_t>(got);
    }
    data_[end_] = 0;
}

const uint8_t* StockTextWindow::LineEnd() {
    size_t i = pos_;
    for (;;) {
        const uint8_t* p = data_ + i;
        while (*p != '\r' && *p != '\n' && *p != 0) ++p;
        i = static_cast<size_t>(p - data_);
        if (i < end_ || eof_) return p;
        // The NUL after the data: read on, keeping the line's start.
        const size_t scanned = i - pos_;
        const size_t before = end_ - pos_;
        Refill();
        if (end_ - pos_ == before && !eof_) RaiseError(kErrStkLineLong);
        i = pos_ + scanned;
    }
}

void StockTextWindow::NextLine(const uint8_t* lineEnd) {
    size_t i = static_cast<size_t>(lineEnd - data_);
    if (i >= end_ || data_[i] == 0) return;
    const bool cr = data_[i] == '\r';
    pos_ = i + 1;
    if (cr) {
        if (pos_ == end_) Refill();
        if (pos_ < end_ && data_[pos_] == '\n') ++pos_;
    }
    CountLine();
}

}  // namespace lvk
