// Bitmaps of 16-bit NE executables and libraries: the resource table walked with a
// handful of small reads, only the wanted bitmap read whole (into the code buffer).
#include <cstring>
#include <string>
#include <vector>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/resource.h"

namespace lvk {

namespace {

constexpr uint16_t kTypeBitmap = 0x8002;
constexpr uint16_t kTypeNameTable = 0x800F;
constexpr uint32_t kRecordSize = 12;

enum class NeKind { Ne, Pe, Other };

struct NeFile {
    uint64_t table = 0;  // file offset of the resource table
    int shift = 0;
};

NeKind ReadHeader(ByteSource& f, NeFile& ne, bool& tableOk) {
    tableOk = false;
    uint8_t b[64];
    if (!f.ReadAt(0x3C, b, 2)) return NeKind::Other;
    const uint64_t at = Le16(b);  // only the low 16 bits of the offset count
    if (!f.ReadAt(at, b, 64)) return NeKind::Other;
    if (b[0] == 'P' && b[1] == 'E') return NeKind::Pe;
    if (b[0] != 'N' || b[1] != 'E') return NeKind::Other;
    ne.table = at + Le16(b + 0x24);
    uint8_t s[2];
    if (!f.ReadAt(ne.table, s, 2)) return NeKind::Ne;
    ne.shift = Le16(s);
    // Offsets and lengths are 16-bit units of 1 << shift bytes; beyond 2^24 no file reaches.
    tableOk = ne.shift <= 24;
    return NeKind::Ne;
}

// Visits the type records until fn returns false or the end mark (type 0). Every record
// must lie inside the file. 1 stopped by fn, 0 at the end mark, -1 past the file.
template <class Fn>
int WalkTypes(ByteSource& f, const NeFile& ne, Fn&& fn) {
    uint64_t pos = ne.table + 2;
    for (;;) {
        uint8_t t[8];
        if (!f.ReadAt(pos, t, 2)) return -1;
        const uint16_t type = Le16(t);
        if (type == 0) return 0;
        if (!f.ReadAt(pos, t, 8)) return -1;
        const uint16_t count = Le16(t + 2);
        pos += 8;
        if (!f.Has(pos, uint64_t{count} * kRecordSize)) return -1;
        if (!fn(type, count, pos)) return 1;
        pos += uint64_t{count} * kRecordSize;
    }
}

struct NeRecord {
    uint16_t offset, length, flags, id;
};

NeRecord RecordAt(ByteSource& f, uint64_t at) {
    uint8_t r[kRecordSize] = {};
    f.ReadAt(at, r, kRecordSize);  // inside the file: WalkTypes checked the records
    return NeRecord{Le16(r), Le16(r + 2), Le16(r + 4), Le16(r + 6)};
}

}  // namespace

int32_t ReadNeBitmapFrom(ByteSource& f, int32_t n) {
    NeFile ne;
    bool tableOk = false;
    switch (ReadHeader(f, ne, tableOk)) {
    case NeKind::Pe: return kErrNePe;
    case NeKind::Other: return kErrNotNe;
    case NeKind::Ne: break;
    }
    if (!tableOk) return kErrNeTable;
    uint64_t records = 0;
    uint16_t count = 0;
    const int walked = WalkTypes(f, ne, [&](uint16_t type, uint16_t c, uint64_t at) {
        if (type != kTypeBitmap) return true;
        records = at;
        count = c;
        return false;
    });
    if (walked < 0) return kErrNeTable;
    if (walked == 0) return kErrNeNoBitmaps;
    const uint16_t want = static_cast<uint16_t>(n + 0x8000);
    for (uint16_t i = 0; i < count; ++i) {
        const NeRecord r = RecordAt(f, records + uint64_t{i} * kRecordSize);
        if (r.id != want) continue;
        const uint64_t offset = uint64_t{r.offset} << ne.shift;
        uint64_t length = uint64_t{r.length} << ne.shift;
        if (offset >= f.Size()) return kErrNeData;
        // The last resource's alignment padding may be missing at the end of the file.
        if (length > f.Size() - offset) length = f.Size() - offset;
        if (int32_t e = GrowCodeBuffer(static_cast<size_t>(length)); e != 0) return e;
        CurrentPicture& p = CurPic();
        if (!f.ReadAt(offset, p.CodeBuffer, static_cast<size_t>(length))) return kErrNeData;
        return DecodeDib(p.CodeBuffer, static_cast<size_t>(length));
    }
    return kErrNeNoBitmap;
}

int32_t ReadNeBitmap(const char* file, int32_t n) {
    FileSource f;
    if (f.Open(file) != 0) return kErrNeOpen;
    return ReadNeBitmapFrom(f, n);
}

int32_t ListNeBitmapNames(ByteSource& f, char* buffer, int32_t size) {
    NeFile ne;
    bool tableOk = false;
    switch (ReadHeader(f, ne, tableOk)) {
    case NeKind::Pe: return kErrListNePe;
    case NeKind::Other: return kErrListNotNe;
    case NeKind::Ne: break;
    }
    if (!tableOk) return kErrListNeTable;

    std::vector<uint16_t> named;  // ids of the named bitmaps: their names' places
    bool haveNames = false;
    NeRecord nameTable{};
    const int walked = WalkTypes(f, ne, [&](uint16_t type, uint16_t count, uint64_t at) {
        if (type == kTypeNameTable) {
            if (count > 0) {
                nameTable = RecordAt(f, at);
                haveNames = true;
            }
            return false;
        }
        if (type == kTypeBitmap) {
            for (uint16_t i = 0; i < count; ++i) {
                const NeRecord r = RecordAt(f, at + uint64_t{i} * kRecordSize);
                if ((r.id & 0x8000) == 0) named.push_back(r.id);
            }
        }
        return true;
    });
    if (walked < 0) return kErrListNeTable;

    std::string out;
    if (haveNames) {
        const uint64_t from = uint64_t{nameTable.offset} << ne.shift;
        const uint64_t length = uint64_t{nameTable.length} << ne.shift;
        if (!f.Has(from, 2)) return kErrListNeTable;
        const uint64_t end = f.Has(from, length) ? from + length : f.Size();
        std::vector<uint8_t> table(static_cast<size_t>(end - from));
        if (!f.ReadAt(from, table.data(), table.size())) return kErrListNeTable;
        // Entries: length, type ordinal, id ordinal, type name and id name, both ended by 0.
        size_t pos = 0;
        while (pos + 2 <= table.size()) {
            const uint16_t len = Le16(&table[pos]);
            if (len == 0) break;
            if (len < 8 || len > table.size() - pos) return kErrListNeTable;
            const uint8_t* e = &table[pos];
            const uint16_t typeOrdinal = Le16(e + 2);
            const uint16_t idOrdinal = Le16(e + 4);
            const char* text = reinterpret_cast<const char*>(e + 6);
            const size_t textLen = len - 6u;
            const size_t typeNameLen = strnlen(text, textLen);
            if (typeNameLen >= textLen) return kErrListNeTable;
            const char* idName = text + typeNameLen + 1;
            const size_t idNameLen = strnlen(idName, textLen - typeNameLen - 1);
            if (idNameLen >= textLen - typeNameLen - 1) return kErrListNeTable;
            if ((typeOrdinal & 0x7FFF) == 2 && (idOrdinal & 0x8000) != 0 && idNameLen > 0) {
                out.append(idName, idNameLen);
                out += ':' + std::to_string(idOrdinal & 0x7FFF) + ';';
            }
            pos += len;
        }
    }
    for (uint16_t id : named) {
        uint8_t len;
        char name[255];
        if (!f.ReadAt(ne.table + id, &len, 1) || !f.ReadAt(ne.table + id + 1, name, len)) return kErrListNeTable;
        out.append(name, len);
        out += ':' + std::to_string(id | 0x8000) + ';';
    }
    if (buffer == nullptr || size < 1 || out.size() > static_cast<size_t>(size) - 1) return kErrListNeFit;
    std::memcpy(buffer, out.data(), out.size());
    buffer[out.size()] = 0;
    return static_cast<int32_t>(out.size());
}

}  // namespace lvk
