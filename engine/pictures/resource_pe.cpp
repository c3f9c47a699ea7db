// Bitmaps of 32- and 64-bit PE resource libraries, read as data: the headers locate the
// resource directory, whose bitmap branch (type, name, language) is walked once, with
// every offset checked, when the library is opened. The walk never goes deeper than the
// three levels, so a directory that points back at itself is refused, not followed.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/pictures/current_picture.h"
#include "engine/pictures/resource.h"
#include "platform/codepage.h"

namespace lvk {

namespace {

constexpr uint32_t kRtBitmap = 2;
constexpr uint32_t kSubdirectory = 0x80000000u;

struct Section {
    uint32_t va, virtualSize, rawSize, rawOffset;
};

class PeReader {
public:
    explicit PeReader(const std::vector<uint8_t>& image) : d_(image) {}

    bool Has(uint64_t at, uint64_t n) const { return at <= d_.size() && n <= d_.size() - at; }
    uint16_t U16(uint64_t at) const { return Le16(&d_[at]); }
    uint32_t U32(uint64_t at) const { return Le32(&d_[at]); }

    int32_t ParseHeaders() {
        if (!Has(0, 0x40) || d_[0] != 'M' || d_[1] != 'Z') return kWinBadExeFormat;
        const uint64_t pe = U32(0x3C);
        if (!Has(pe, 24) || std::memcmp(&d_[pe], "PE\0\0", 4) != 0) return kWinBadExeFormat;
        const uint64_t coff = pe + 4;
        const uint16_t sections = U16(coff + 2);
        const uint16_t optSize = U16(coff + 16);
        const uint64_t opt = coff + 20;
        if (!Has(opt, optSize) || optSize < 2) return kWinBadExeFormat;
        uint64_t countAt, dirs;
        switch (U16(opt)) {
        case 0x10B: countAt = 92, dirs = 96; break;
        case 0x20B: countAt = 108, dirs = 112; break;
        default: return kWinBadExeFormat;
        }
        if (optSize < countAt + 4) return kWinBadExeFormat;
        const uint32_t dirCount = U32(opt + countAt);
        // The resource directory is data directory 2.
        if (dirCount > 2 && optSize >= dirs + 3 * 8) {
            resourceRva_ = U32(opt + dirs + 2 * 8);
            resourceSize_ = U32(opt + dirs + 2 * 8 + 4);
        }
        const uint64_t table = opt + optSize;
        if (!Has(table, uint64_t{sections} * 40)) return kWinBadExeFormat;
        for (uint16_t i = 0; i < sections; ++i) {
            const uint64_t s = table + 40u * i;
            sections_.push_back(Section{U32(s + 12), U32(s + 8), U32(s + 16), U32(s + 20)});
        }
        return 0;
    }

    // The file offset of an address of the loaded image and the bytes that follow it in
    // its section (and in the file); false when no section holds it.
    bool Map(uint32_t rva, uint64_t& offset, uint64_t& available) const {
        for (const Section& s : sections_) {
            const uint64_t span = std::max(s.virtualSize, s.rawSize);
            if (rva < s.va || rva - uint64_t{s.va} >= span) continue;
            const uint64_t delta = rva - uint64_t{s.va};
            if (delta >= s.rawSize) return false;  // in the section's zero-filled tail
            offset = uint64_t{s.rawOffset} + delta;
            if (offset >= d_.size()) return false;
            available = std::min<uint64_t>(s.rawSize - delta, d_.size() - offset);
            return true;
        }
        return false;
    }

    int32_t ReadBitmaps(PeLibrary& out) {
        if (resourceRva_ == 0 || resourceSize_ == 0) return 0;
        if (!Map(resourceRva_, root_, region_)) return kWinResourceDataNotFound;
        uint32_t named, ids;
        if (!Directory(0, named, ids)) return kWinResourceDataNotFound;
        for (uint32_t i = 0; i < named + ids; ++i) {
            const uint64_t e = root_ + 16 + 8u * i;
            if (U32(e) != kRtBitmap) continue;
            const uint32_t target = U32(e + 4);
            if ((target & kSubdirectory) == 0) return kWinResourceDataNotFound;
            out.hasBitmapType = true;
            return ReadNames(target & ~kSubdirectory, out);
        }
        return 0;
    }

private:
    // A directory at that offset from the root, with its entries inside the region.
    bool Directory(uint64_t at, uint32_t& named, uint32_t& ids) const {
        if (at > region_ || region_ - at < 16) return false;
        named = U16(root_ + at + 12);
        ids = U16(root_ + at + 14);
        return (named + ids) * 8ull <= region_ - at - 16;
    }

    int32_t ReadNames(uint64_t at, PeLibrary& out) {
        uint32_t named, ids;
        if (!Directory(at, named, ids)) return kWinResourceDataNotFound;
        for (uint32_t i = 0; i < named + ids; ++i) {
            const uint64_t e = root_ + at + 16 + 8u * i;
            const uint32_t nameField = U32(e);
            const uint32_t target = U32(e + 4);
            PeBitmap b;
            if (nameField & kSubdirectory) {
                if (!ReadName(nameField & ~kSubdirectory, b.name)) return kWinResourceDataNotFound;
                b.named = true;
            } else {
                b.id = static_cast<uint16_t>(nameField);
            }
            // Below the name comes the language level, whose entries must be data.
            uint32_t langNamed, langIds;
            if ((target & kSubdirectory) == 0) return kWinResourceDataNotFound;
            const uint64_t langs = target & ~kSubdirectory;
            if (!Directory(langs, langNamed, langIds)) return kWinResourceDataNotFound;
            for (uint32_t k = 0; k < langNamed + langIds; ++k)
                if (U32(root_ + langs + 16 + 8u * k + 4) & kSubdirectory) return kWinResourceDataNotFound;
            if (langNamed + langIds > 0) {
                const uint64_t data = U32(root_ + langs + 16 + 4);
                if (data > region_ || region_ - data < 16) return kWinResourceDataNotFound;
                const uint32_t rva = U32(root_ + data);
                b.size = U32(root_ + data + 4);
                uint64_t available = 0;
                b.dataPresent = Map(rva, b.offset, available) && b.size <= available;
            }
            out.bitmaps.push_back(std::move(b));
        }
        return 0;
    }

    // A name: a 16-bit count of UTF-16 units, then the units.
    bool ReadName(uint64_t at, std::string& name) const {
        if (at > region_ || region_ - at < 2) return false;
        const uint32_t n = U16(root_ + at);
        if (region_ - at - 2 < 2ull * n) return false;
        std::u16string text(n, u'\0');
        for (uint32_t i = 0; i < n; ++i) text[i] = static_cast<char16_t>(U16(root_ + at + 2 + 2 * i));
        name = plat::encodeCodePage(text, plat::CodePage::Windows1252);
        return true;
    }

    const std::vector<uint8_t>& d_;
    std::vector<Section> sections_;
    uint32_t resourceRva_ = 0, resourceSize_ = 0;
    uint64_t root_ = 0, region_ = 0;
};

bool SameNameIgnoringCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// "#123" names a number, as the resource functions read it.
bool NumberName(const char* name, uint16_t& id) {
    if (name[0] != '#' || name[1] == 0) return false;
    uint32_t v = 0;
    for (const char* p = name + 1; *p; ++p) {
        if (*p < '0' || *p > '9' || v > 0xFFFF) return false;
        v = v * 10 + static_cast<uint32_t>(*p - '0');
    }
    if (v > 0xFFFF) return false;
    id = static_cast<uint16_t>(v);
    return true;
}

struct ModuleTable {
    std::mutex lock;
    std::map<LvHandle, std::shared_ptr<const PeLibrary>> modules;
    LvHandle next = 1;
};

ModuleTable& Modules() {
    static ModuleTable* t = new ModuleTable();
    return *t;
}

}  // namespace

int32_t WinErrorFromErrno(int err) {
    switch (err) {
    case ENOENT: return kWinFileNotFound;
    case ENOTDIR: return kWinPathNotFound;
    case EACCES:
    case EISDIR:
    case EPERM: return kWinAccessDenied;
    case ENOMEM: return kWinNotEnoughMemory;
    default: return kWinReadFault;
    }
}

int32_t ParsePeLibrary(std::vector<uint8_t> image, PeLibrary& out) {
    out = PeLibrary{};
    out.image = std::move(image);
    PeReader r(out.image);
    if (int32_t e = r.ParseHeaders(); e != 0) return e;
    return r.ReadBitmaps(out);
}

const PeBitmap* FindPeBitmap(const PeLibrary& lib, const char* name, int32_t& error) {
    error = kWinResourceNameNotFound;
    if (!lib.hasBitmapType) {
        error = kWinResourceTypeNotFound;
        return nullptr;
    }
    if (name == nullptr || *name == 0) return nullptr;
    uint16_t id = 0;
    const bool number = NumberName(name, id);
    for (const PeBitmap& b : lib.bitmaps) {
        if (number ? (!b.named && b.id == id) : (b.named && SameNameIgnoringCase(b.name, name))) {
            error = 0;
            return &b;
        }
    }
    return nullptr;
}

int32_t ListPeBitmapNames(const PeLibrary& lib, char* buffer, int32_t size, int32_t& written) {
    written = 0;
    if (!lib.hasBitmapType) return kWinResourceTypeNotFound;
    if (buffer == nullptr || size < 1) return kWinEnumStopped;
    size_t pos = 0;
    const size_t cap = static_cast<size_t>(size);
    int32_t result = 0;
    for (const PeBitmap& b : lib.bitmaps) {
        const std::string name = b.named ? b.name : "#" + std::to_string(b.id);
        if (pos + name.size() + 2 > cap) {
            result = kWinEnumStopped;
            break;
        }
        std::memcpy(buffer + pos, name.data(), name.size());
        pos += name.size();
        buffer[pos++] = ';';
    }
    buffer[pos] = 0;
    written = static_cast<int32_t>(pos);
    return result;
}

int32_t OpenPeModule(const char* file, LvHandle* moduleOut) {
    if (moduleOut == nullptr) return kWinInvalidParameter;
    *moduleOut = 0;
    std::vector<uint8_t> image;
    if (int err = ReadWholeFile(file, image); err != 0) return WinErrorFromErrno(err);
    auto lib = std::make_shared<PeLibrary>();
    if (int32_t e = ParsePeLibrary(std::move(image), *lib); e != 0) return e;
    ModuleTable& t = Modules();
    std::lock_guard<std::mutex> hold(t.lock);
    LvHandle id = t.next;
    while (id == 0 || t.modules.count(id) != 0) ++id;
    t.next = id + 1;
    t.modules.emplace(id, std::move(lib));
    *moduleOut = id;
    return 0;
}

bool ClosePeModule(LvHandle module) {
    ModuleTable& t = Modules();
    std::lock_guard<std::mutex> hold(t.lock);
    return t.modules.erase(module) != 0;
}

int32_t LoadDllBitmap(LvHandle module, const char* name) {
    std::shared_ptr<const PeLibrary> lib;
    {
        ModuleTable& t = Modules();
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.modules.find(module);
        if (it != t.modules.end()) lib = it->second;
    }
    if (!lib) return -kWinInvalidHandle - 50000;
    int32_t error = 0;
    const PeBitmap* b = FindPeBitmap(*lib, name, error);
    if (b == nullptr) return -error - 50000;
    if (!b->dataPresent) return -kWinResourceDataNotFound - 60000;
    if (b->size == 0) return kErrDllLock;
    return DecodeDib(lib->image.data() + b->offset, b->size);
}

}  // namespace lvk
