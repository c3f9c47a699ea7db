// The picture-name syntax: which source a name designates, its file and its number.
#include <gtest/gtest.h>

#include <string>

#include "engine/pictures/loader.h"

namespace lvk {
namespace {

struct NameCase {
    const char* label;
    const char* name;
    PictureSource source;
    const char* file;
    int64_t number;
    const char* resource;
};

const NameCase kNames[] = {
    {"ne bitmap", "PICS.DLL|12", PictureSource::NeBitmap, "PICS.DLL", 12, ""},
    {"ne bitmap without digits is 0", "PICS.DLL|", PictureSource::NeBitmap, "PICS.DLL", 0, ""},
    {"digits stop at a non-digit", "PICS.DLL|12x4", PictureSource::NeBitmap, "PICS.DLL", 12, ""},
    {"library record", "A.TPL?1234", PictureSource::Library, "A.TPL", 1234, ""},
    {"huge offset saturates", "A.TPL?999999999999999999999", PictureSource::Library, "A.TPL", int64_t{1} << 40, ""},
    {"dll bitmap", "X;WAGON", PictureSource::DllBitmap, "", 0, "WAGON"},
    {"first separator decides", "a;b|3?4", PictureSource::DllBitmap, "", 0, "b|3?4"},
    {"bar before question mark", "a|7?4", PictureSource::NeBitmap, "a", 7, ""},
    {"gif any case", "C:\\PICS\\LOCO.Gif", PictureSource::Gif, "C:\\PICS\\LOCO.Gif", 0, ""},
    {"bmp", "wagon.bmp", PictureSource::Bmp, "wagon.bmp", 0, ""},
    {"dib reads as bmp", "WAGON.DIB", PictureSource::Bmp, "WAGON.DIB", 0, ""},
    {"bare ending", ".gif", PictureSource::Gif, ".gif", 0, ""},
    {"unknown ending", "loco.png", PictureSource::None, "", 0, ""},
    {"shorter than an ending", "gif", PictureSource::None, "", 0, ""},
    {"ending not at the end", "loco.gif.txt", PictureSource::None, "", 0, ""},
};

class PictureNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(PictureNames, DesignateTheirSource) {
    const NameCase& c = GetParam();
    const PictureName n = ParsePictureName(c.name);
    EXPECT_EQ(n.source, c.source);
    EXPECT_EQ(std::string(n.file), c.file);
    EXPECT_EQ(n.number, c.number);
    EXPECT_EQ(std::string(n.resource), c.resource);
}

INSTANTIATE_TEST_SUITE_P(Names, PictureNames, ::testing::ValuesIn(kNames),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             std::string s = info.param.label;
                             for (char& ch : s)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return s;
                         });

}  // namespace
}  // namespace lvk
