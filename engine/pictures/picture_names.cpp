// The syntax of picture names: which source a name designates and the number it carries.
#include <cstdint>
#include <string_view>

#include "engine/pictures/loader.h"

namespace lvk {

namespace {

// Offsets and bitmap numbers far beyond anything a file holds fail in their reader; the
// cap only keeps the arithmetic from wrapping into a small valid number.
constexpr int64_t kNumberCap = int64_t{1} << 40;

int64_t LeadingNumber(std::string_view text) {
    int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
        if (n > kNumberCap) return kNumberCap;
    }
    return n;
}

bool EndsWithNoCase(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    std::string_view tail = name.substr(name.size() - ending.size());
    for (size_t i = 0; i < ending.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != ending[i]) return false;
    }
    return true;
}

}  // namespace

PictureName ParsePictureName(std::string_view name) {
    PictureName out;
    const size_t at = name.find_first_of("|?;");
    if (at != std::string_view::npos) {
        const std::string_view before = name.substr(0, at);
        const std::string_view after = name.substr(at + 1);
        switch (name[at]) {
        case '|':
            out.source = PictureSource::NeBitmap;
            out.file = before;
            out.number = LeadingNumber(after);
            break;
        case '?':
            out.source = PictureSource::Library;
            out.file = before;
            out.number = LeadingNumber(after);
            break;
        default:
            out.source = PictureSource::DllBitmap;
            out.resource = after;
            break;
        }
        return out;
    }
    if (EndsWithNoCase(name, ".gif")) {
        out.source = PictureSource::Gif;
    } else if (EndsWithNoCase(name, ".bmp") || EndsWithNoCase(name, ".dib")) {
        out.source = PictureSource::Bmp;
    } else {
        return out;
    }
    out.file = name;
    return out;
}

}  // namespace lvk
