// Picture libraries: writing records of the current picture (bit code or zlib form),
// replacing a record in place, listing the names and reading one record back.
//
// Record: own offset (bits 30 and 31 set mark a dead record), width, height, data
// length, flags, transparent index, header length, name length with its zero; then the
// name and the data. Every walk checks that each record starts at its own offset and is
// at least a header long, so a damaged file ends a walk instead of trapping it.
#include "engine/pictures/piclib.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/cache/codec.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "platform/file_replace.h"
#include "platform/regular_file.h"

namespace lvk {

namespace {

constexpr size_t kHeader = 16;
constexpr uint32_t kDeadBits = 0xC0000000u;
constexpr uint8_t kRecordFlags = kPicTransparent | kPicMarkerZero | kPicZlib;

struct RecordHeader {
    uint32_t own;
    uint16_t width, height;
    uint32_t length;
    uint8_t flags, transparent, headerLength, nameLength;

    static RecordHeader From(const uint8_t* h) {
        return RecordHeader{Le32(h), Le16(h + 4), Le16(h + 6), Le32(h + 8), h[12], h[13], h[14], h[15]};
    }
    bool Live() const { return (own & kDeadBits) == 0; }
    bool At(uint64_t pos) const { return (own & ~kDeadBits) == pos; }
    // Where the next record starts; false when the record is shorter than a header.
    bool Next(uint64_t pos, uint64_t& next) const {
        uint64_t span = length;
        if (Live()) span += uint64_t{headerLength} + nameLength;
        if (span < kHeader || (Live() && (headerLength < kHeader || nameLength == 0))) return false;
        next = pos + span;
        return true;
    }
};

bool WriteFully(int fd, uint64_t at, const void* src, size_t n) {
    auto* p = static_cast<const uint8_t*>(src);
    while (n > 0) {
        ssize_t put = ::pwrite(fd, p, n, static_cast<off_t>(at));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        p += put;
        at += static_cast<uint64_t>(put);
        n -= static_cast<size_t>(put);
    }
    return true;
}

int64_t FileSizeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// The library open for writing.
struct OpenLibrary {
    plat::UniqueFd file;
    uint64_t end = 0;
};

OpenLibrary& Library() {
    static OpenLibrary* lib = new OpenLibrary();
    return *lib;
}

int32_t Fail(int32_t code) {
    Library().file.reset();
    return code;
}

bool NameOf(const char* name, size_t& length) {
    length = name == nullptr ? 0 : std::strlen(name);
    return length <= 254;
}

// Codes the current picture into CodeBuffer in the form the shared level asks for.
int32_t CodeCurrentPicture() {
    CurrentPicture& p = CurPic();
    const SharedState* shared = Shared();
    const int level = shared != nullptr ? shared->LibZlibLevel : 0;
    if (level != 0) {
        p.Header.Flags |= kPicZlib;
        return DeflatePicture(level);
    }
    p.Header.Flags &= static_cast<uint8_t>(~kPicZlib);
    return EncodePicture();
}

void FillHeader(uint8_t* h, uint32_t own, uint32_t length, uint8_t nameLength) {
    const CurrentPicture& p = CurPic();
    PutLe32(h, own);
    PutLe16(h + 4, p.Header.Width);
    PutLe16(h + 6, p.Header.Height);
    PutLe32(h + 8, length);
    h[12] = p.Header.Flags & kRecordFlags;
    h[13] = p.Header.TransparentIndex;
    h[14] = kHeader;
    h[15] = nameLength;
}

// Appends the coded picture as a record at the end of the open library.
int32_t WriteRecord(const char* name, size_t nameLength, int32_t* offsetOut) {
    OpenLibrary& lib = Library();
    CurrentPicture& p = CurPic();
    const uint32_t length = p.CodeLength;
    if (lib.end >= kLibOffsetLimit) return Fail(kErrLibFull);
    std::vector<uint8_t> record(kHeader + nameLength + 1);
    FillHeader(record.data(), static_cast<uint32_t>(lib.end), length, static_cast<uint8_t>(nameLength + 1));
    if (nameLength > 0) std::memcpy(record.data() + kHeader, name, nameLength);
    if (!WriteFully(lib.file.get(), lib.end, record.data(), record.size()) ||
        !WriteFully(lib.file.get(), lib.end + record.size(), p.CodeBuffer, length))
        return Fail(kErrLibWrite);
    if (offsetOut != nullptr) *offsetOut = static_cast<int32_t>(lib.end);
    p.LastLength = length;
    lib.end += record.size() + length;
    return 0;
}

// Selects the cache entry and codes it; failures close the library.
int32_t Prepare(const char* name, size_t& nameLength, int32_t cacheOffset) {
    if (!Library().file) return kErrLibNotOpen;
    if (!NameOf(name, nameLength)) return Fail(kErrLibNameLong);
    if (int32_t r = SelectCacheEntry(cacheOffset); r != 0) return Fail(r);
    if (int32_t r = CodeCurrentPicture(); r != 0) return Fail(r);
    return 0;
}

int32_t UpdateRecord(const char* name, int32_t* offsetOut, int32_t cacheOffset) {
    size_t nameLength = 0;
    if (int32_t r = Prepare(name, nameLength, cacheOffset); r != 0) return r;
    OpenLibrary& lib = Library();
    const CurrentPicture& p = CurPic();
    const uint32_t length = p.CodeLength;
    const int fd = lib.file.get();
    std::vector<uint8_t> stored(nameLength + 1);
    for (uint64_t pos = 4; pos < lib.end;) {
        uint8_t h[kHeader];
        if (!ReadFullyAt(fd, pos, h, kHeader)) return Fail(kErrLibUpdateHeader);
        const RecordHeader r = RecordHeader::From(h);
        if (!r.At(pos)) return Fail(kErrLibUpdateOwnOffset);
        if (r.Live()) {
            if (r.headerLength != kHeader) return Fail(kErrLibUpdateHeaderLength);
            if (r.nameLength == nameLength + 1) {
                if (!ReadFullyAt(fd, pos + kHeader, stored.data(), stored.size())) return Fail(kErrLibUpdateName);
                const bool same =
                    std::memcmp(stored.data(), name == nullptr ? "" : name, nameLength) == 0 && stored[nameLength] == 0;
                if (same && r.length >= length) {
                    // The record keeps its place and its data length; the new code may
                    // leave bytes of the old one behind it.
                    uint8_t fresh[kHeader];
                    FillHeader(fresh, r.own, r.length, r.nameLength);
                    if (!WriteFully(fd, pos, fresh, kHeader)) return Fail(kErrLibUpdateWriteHeader);
                    if (!WriteFully(fd, pos + kHeader + r.nameLength, p.CodeBuffer, length))
                        return Fail(kErrLibUpdateWriteCode);
                    if (offsetOut != nullptr) *offsetOut = static_cast<int32_t>(pos);
                    CurPic().LastLength = length;
                    return 0;
                }
            }
        }
        if (!r.Next(pos, pos)) return Fail(kErrLibRecordLengths);
    }
    return WriteRecord(name, nameLength, offsetOut);
}

// Opens a library for appending and walks it to its end.
int32_t OpenForAppending(const char* file) {
    OpenLibrary& lib = Library();
    lib.file.reset();
    if (file == nullptr || *file == 0) return kErrLibOpen;
    const std::string path = ResolveForOpening(file);
    // A device or pipe named as a library is never opened: it may wait or never end.
    if (plat::fileKindOf(path) != plat::FileKind::Regular) return kErrLibOpen;
    lib.file.reset(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!lib.file) return kErrLibOpen;
    const int fd = lib.file.get();
    const int64_t size = FileSizeOf(fd);
    uint8_t magic[4];
    if (size < 0 || !ReadFullyAt(fd, 0, magic, 4)) return Fail(kErrLibOpen);
    if (std::memcmp(magic, "TPL", 3) != 0) return Fail(kErrLibMagic);
    uint64_t end = 4;
    while (end != static_cast<uint64_t>(size)) {
        uint8_t h[kHeader];
        if (!ReadFullyAt(fd, end, h, kHeader)) return Fail(kErrLibHeader);
        const RecordHeader r = RecordHeader::From(h);
        if (!r.At(end)) return Fail(kErrLibOwnOffset);
        if (!r.Next(end, end)) return Fail(kErrLibRecordLengths);
    }
    lib.end = end;
    return 0;
}

int32_t ListNames(const char* file, char* buffer, int32_t size) {
    if (file == nullptr || *file == 0) return kErrListOpen;
    if (buffer == nullptr) size = 0;
    int opened = -1;
    uint64_t openedSize = 0;
    if (OpenForReading(file, opened, openedSize) != 0) return kErrListOpen;
    plat::UniqueFd f(opened);
    const int fd = f.get();
    const int64_t fileSize = FileSizeOf(fd);
    uint8_t magic[4];
    if (fileSize < 0 || !ReadFullyAt(fd, 0, magic, 4)) return kErrListMagicRead;
    if (std::memcmp(magic, "TPL", 3) != 0) return kErrListMagic;
    // Room is kept for the longest name with its offset.
    const int64_t usableEnd = static_cast<int64_t>(size) - 266;
    int64_t out = 0;
    uint64_t pos = 4;
    for (;;) {
        uint8_t h[kHeader];
        if (!ReadFullyAt(fd, pos, h, kHeader)) break;
        const RecordHeader r = RecordHeader::From(h);
        if (!r.At(pos)) return kErrListOwnOffset;
        if (out + r.nameLength > usableEnd) return kErrListFull;
        uint64_t next;
        if (!r.Next(pos, next)) return kErrListRecordLengths;
        if (r.Live()) {
            if (!ReadFullyAt(fd, pos + r.headerLength, buffer + out, r.nameLength)) return kErrListRead;
            out += r.nameLength;
            buffer[out - 1] = ':';
            const std::string number = std::to_string(pos) + ';';
            std::memcpy(buffer + out, number.data(), number.size());
            out += static_cast<int64_t>(number.size());
        }
        pos = next;
    }
    return pos == static_cast<uint64_t>(fileSize) ? static_cast<int32_t>(out) : kErrListRead;
}

}  // namespace

int32_t ReadTrLibPicture(const char* file, int64_t offset) {
    if (file == nullptr || *file == 0) return -(13000 + ENOENT);
    int opened = -1;
    uint64_t openedSize = 0;
    if (const int err = OpenForReading(file, opened, openedSize); err != 0) return -(13000 + err);
    plat::UniqueFd f(opened);
    const int fd = f.get();
    uint8_t h[kHeader];
    if (offset < 0 || !ReadFullyAt(fd, static_cast<uint64_t>(offset), h, kHeader)) return kErrReadHeader;
    const RecordHeader r = RecordHeader::From(h);
    if (r.own != static_cast<uint64_t>(offset)) return kErrReadOwnOffset;
    CurrentPicture& p = CurPic();
    p.HeldEntry = 0;
    if (r.headerLength < kHeader || r.width == 0 || r.height == 0 || (r.flags & kPicTrueColour) != 0)
        return kErrReadRecord;
    const int64_t fileSize = FileSizeOf(fd);
    const uint64_t dataAt = static_cast<uint64_t>(offset) + r.headerLength + r.nameLength;
    if (fileSize < 0 || dataAt > static_cast<uint64_t>(fileSize) || r.length > static_cast<uint64_t>(fileSize) - dataAt)
        return kErrReadRecord;
    p.Header.Width = r.width;
    p.Header.Height = r.height;
    p.Header.Flags = r.flags & kRecordFlags;
    p.Header.TransparentIndex = r.transparent;

    std::vector<uint8_t> block;
    try {
        block.resize(size_t{r.length} + 3);
    } catch (const std::bad_alloc&) {
        return kErrReadMemory;
    }
    if (!ReadFullyAt(fd, dataAt, block.data(), r.length)) return kErrReadRecord;
    f.reset();
    if (p.Header.Flags & kPicZlib) return InflatePicture(block.data(), r.length);
    size_t consumed = 0;
    const int32_t result = DecodePicture(block.data(), r.length, &consumed);
    p.LastLength = static_cast<uint32_t>(consumed);
    return result;
}

}  // namespace lvk

using namespace lvk;

LvResult CreateTrLib(const char* file) noexcept {
    OpenLibrary& lib = Library();
    // A library still open is closed, not leaked.
    lib.file.reset();
    if (file == nullptr || *file == 0) return kErrLibCreate;
    lib.file.reset(::open(ResolveForWriting(file).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!lib.file) return kErrLibCreate;
    if (!WriteFully(lib.file.get(), 0, "TPL1", 4)) return Fail(kErrLibCreate);
    lib.end = 4;
    return 0;
}

LvResult AppendTrLib(const char* file) noexcept { return OpenForAppending(file); }

LvResult WriteTrLib(const char* name, int32_t* offsetOut, int32_t cacheOffset) noexcept {
    try {
        size_t nameLength = 0;
        if (int32_t r = Prepare(name, nameLength, cacheOffset); r != 0) return r;
        return WriteRecord(name, nameLength, offsetOut);
    } catch (const std::bad_alloc&) {
        return Fail(kErrLibWrite);
    }
}

LvResult GetCodeLength(const char* name) noexcept {
    size_t nameLength = 0;
    if (!NameOf(name, nameLength)) return kErrLibNameLong;
    if (int32_t r = CodeCurrentPicture(); r != 0) return r;
    const size_t counted = nameLength == 0 ? 10 : nameLength + 1;
    return static_cast<LvResult>(kHeader + counted + CurPic().CodeLength);
}

LvResult UpdateTrLib(const char* name, int32_t* offsetOut, int32_t cacheOffset) noexcept {
    try {
        return UpdateRecord(name, offsetOut, cacheOffset);
    } catch (const std::bad_alloc&) {
        return Fail(kErrLibWrite);
    }
}

LvResult CloseTrLib() noexcept {
    Library().file.reset();
    return 0;
}

LvResult ListTrLibNames(const char* file, char* buffer, int32_t size) noexcept {
    try {
        return ListNames(file, buffer, size);
    } catch (const std::bad_alloc&) {
        return kErrListRead;
    }
}
