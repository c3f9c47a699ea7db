// Helpers of the picture writer tests: a scratch folder, bitmaps to capture from, the
// library's messages, and readers nobody here wrote (giflib, ImageMagick) to read back
// what the writers made.
#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/byte_source.h"
#include "engine/base/events.h"
#include "lumvatek/shared.h"
#include "platform/raster.h"
#include "rgb_picture.h"

namespace lvk::testing {

// A folder of its own per test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("yov-writers-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

// The library's messages for the user (event 206) while it lives.
class MessageLog {
public:
    MessageLog() {
        Lines().clear();
        InitEventRecord();
        SetEventCallback(&Collect);
    }
    ~MessageLog() { SetEventCallback(nullptr); }
    const std::vector<std::string>& lines() const { return Lines(); }

private:
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static int32_t Collect(DllEventRec* rec) {
        if (rec->Code == lv_event::kMessage) {
            std::string text;
            for (char16_t c : LvTextString(rec->Text1)) text += static_cast<char>(c);
            Lines().push_back(text);
        }
        return 0;
    }
};

// A 32-bit bitmap selected into a memory DC, filled from 0xRRGGBB values (top row first).
class CaptureBitmap {
public:
    CaptureBitmap(int width, int height, const std::vector<uint32_t>& rgb) {
        plat::DibInfo info{};
        info.header.width = width;
        info.header.height = -height;
        info.header.bitCount = 32;
        void* bits = nullptr;
        bitmap_ = plat::CreateDIBSection(plat::HDC{}, &info, plat::DIB_RGB_COLORS, &bits);
        dc_ = plat::CreateCompatibleDC(plat::HDC{});
        old_ = plat::SelectObject(dc_, bitmap_);
        auto* px = static_cast<uint32_t*>(bits);
        for (size_t i = 0; i < rgb.size() && px != nullptr; ++i) px[i] = rgb[i] & 0xFFFFFF;
    }
    ~CaptureBitmap() {
        plat::SelectObject(dc_, old_);
        plat::DeleteDC(dc_);
        plat::DeleteObject(bitmap_);
    }
    LvHandle Dc() const { return dc_.id; }
    plat::HBITMAP Bitmap() const { return bitmap_; }

private:
    plat::HBITMAP bitmap_;
    plat::HDC dc_;
    plat::HBITMAP old_;
};

inline std::vector<uint32_t> ToRgbValues(const RgbPicture& p) {
    std::vector<uint32_t> v(static_cast<size_t>(p.width) * p.height);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = (uint32_t{p.rgb[3 * i]} << 16) | (uint32_t{p.rgb[3 * i + 1]} << 8) | p.rgb[3 * i + 2];
    return v;
}

// A file the test needs; a missing or unreadable one fails the test by name.
inline std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path.c_str(), bytes) != 0) ADD_FAILURE() << "cannot read test file " << path;
    return bytes;
}

// What giflib makes of a GIF file: the first image's indices, the colour table in use and
// the transparent index of its graphic control block (-1 for none).
struct GiflibImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> table;  // 0xRRGGBB
    int transparent = -1;
    std::string error;
};

inline GiflibImage ReadWithGiflib(const std::string& path) {
    GiflibImage out;
    int err = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
    if (gif == nullptr) {
        out.error = GifErrorString(err);
        return out;
    }
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        out.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &err);
        return out;
    }
    const SavedImage& image = gif->SavedImages[0];
    out.width = image.ImageDesc.Width;
    out.height = image.ImageDesc.Height;
    out.indices.assign(image.RasterBits, image.RasterBits + static_cast<size_t>(out.width) * out.height);
    const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
    for (int i = 0; map != nullptr && i < map->ColorCount; ++i)
        out.table.push_back((uint32_t{map->Colors[i].Red} << 16) | (map->Colors[i].Green << 8) | map->Colors[i].Blue);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) out.transparent = gcb.TransparentColor;
    DGifCloseFile(gif, &err);
    return out;
}

// ImageMagick from the Debian package, reading a file into RGB; GTEST_SKIP()s the calling
// test when it is not installed.
inline const char* ImageMagickConvert() {
    static const char* const kConvert = "/usr/bin/convert";
    return ::access(kConvert, X_OK) == 0 ? kConvert : nullptr;
}

#define YOV_REQUIRE_IMAGEMAGICK()                                                                           \
    do {                                                                                                    \
        if (lvk::testing::ImageMagickConvert() == nullptr)                                                  \
            GTEST_SKIP() << "ImageMagick (/usr/bin/convert, Debian package imagemagick) is not installed; " \
                            "the written files are not checked by an outside reader";                       \
    } while (0)

inline std::optional<RgbPicture> ReadWithImageMagick(const std::string& path) {
    const std::string command = std::string(ImageMagickConvert()) + " '" + path +
                                "' -format '%w %h\\n' -write info:- -depth 8 rgb:- 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    RgbPicture out;
    if (std::fscanf(pipe, "%d %d\n", &out.width, &out.height) != 2 || out.width <= 0 || out.height <= 0) {
        ::pclose(pipe);
        return std::nullopt;
    }
    out.rgb.resize(3 * static_cast<size_t>(out.width) * out.height);
    const size_t got = std::fread(out.rgb.data(), 1, out.rgb.size(), pipe);
    if (::pclose(pipe) != 0 || got != out.rgb.size()) return std::nullopt;
    return out;
}

}  // namespace lvk::testing
