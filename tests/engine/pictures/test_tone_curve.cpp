#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/pictures/writers.h"
#include "lumvatek/exports.h"

namespace lvk {
namespace {

std::vector<uint8_t> Table(float b, float c) {
    std::vector<uint8_t> t(256);
    ToneTable(b, c, t.data());
    return t;
}

TEST(ToneCurve, ValuesOfTheCurve) {
    struct Case {
        const char* name;
        float brightness;
        float contrast;
        int in;
        int out;
    };
    // Worked by hand from the curve: t = i / 255, brightness, then contrast on the
    // distance s from the nearer end, value = 255 r + 0.5 truncated.
    const Case cases[] = {
        {"full brightness is white", 1, 0, 0, 255},
        {"no brightness is black", -1, 0, 200, 0},
        {"half brightness lifts black to the middle", 0.5f, 0, 0, 128},
        {"half brightness, a quarter grey", 0.5f, 0, 64, 160},
        {"half brightness, the middle", 0.5f, 0, 128, 192},
        {"half darkness halves", -0.5f, 0, 192, 96},
        {"half darkness at white", -0.5f, 0, 255, 128},
        {"full contrast below the middle", 0, 1, 127, 77},
        {"full contrast above the middle", 0, 1, 128, 178},
        {"full contrast darkens a quarter grey to black", 0, 1, 64, 0},
        {"no contrast is all middle grey", 0, -1, 10, 128},
        {"half contrast, quarter grey", 0, 0.5f, 64, 32},
        {"half contrast, three quarters", 0, 0.5f, 192, 224},
        {"less contrast lifts dark greys", 0, -0.5f, 64, 90},
        {"less contrast lowers light greys", 0, -0.5f, 192, 165},
        {"less contrast keeps the ends", 0, -0.5f, 255, 255},
        {"brightness, then contrast", 0.25f, 0.5f, 64, 98},
        {"darker and flatter", -0.25f, -0.25f, 128, 103},
        {"values beyond 1 count as 1", 2, 0, 0, 255},
        {"values beyond -1 count as -1", 0, -3, 10, 128},
        {"contrast beyond 1 counts as 1", 0, 5, 128, 178},
        {"NaN counts as 0", std::numeric_limits<float>::quiet_NaN(), 0, 77, 77},
    };
    for (const Case& c : cases) EXPECT_EQ(Table(c.brightness, c.contrast)[c.in], c.out) << c.name;
}

TEST(ToneCurve, NoBrightnessAndNoContrastIsTheIdentity) {
    const std::vector<uint8_t> t = Table(0, 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(t[i], i);
}

TEST(ToneCurve, TheCurveNeverFalls) {
    for (float b : {-1.0f, -0.3f, 0.0f, 0.6f, 1.0f})
        for (float c : {-1.0f, -0.7f, 0.0f, 0.4f, 0.99f, 1.0f}) {
            const std::vector<uint8_t> t = Table(b, c);
            for (int i = 1; i < 256; ++i) ASSERT_GE(t[i], t[i - 1]) << b << " " << c << " at " << i;
        }
}

// A picture 31 pixels wide, 3 rows, each pixel (blue, green, red, fourth) = (i, i, i, 7).
struct Picture {
    static constexpr int kWidth = 31;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * 3, 0x07404040u);
    uint8_t Byte(int x, int y, int k) const {
        return reinterpret_cast<const uint8_t*>(&pixels[static_cast<size_t>(y) * kWidth + x])[k];
    }
};

TEST(BrightnessContrast, ChangesTheColourBytesOfTheAreaOnly) {
    Picture p;
    ASSERT_EQ(BrightnessContrast(p.pixels.data(), nullptr, Picture::kWidth, 0, 2, 1, 3, 1, 1.0f, 0.0f), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < Picture::kWidth; ++x) {
            const bool inside = y == 1 && x >= 2 && x < 5;
            for (int k = 0; k < 3; ++k) EXPECT_EQ(p.Byte(x, y, k), inside ? 255 : 0x40) << x << "," << y;
            EXPECT_EQ(p.Byte(x, y, 3), 7) << "the fourth byte stays";
        }
}

TEST(BrightnessContrast, AMaskLimitsItToTheSetBits) {
    // Rows of (31 + 31) / 8 = 7 bytes rounded down to 4: 32 bits a row, most significant first.
    Picture p;
    std::vector<uint8_t> mask(4 * 3, 0);
    mask[4 * 1 + 0] = 0x80;  // row 1, x = 0
    mask[4 * 1 + 3] = 0x02;  // row 1, x = 30
    mask[4 * 2 + 1] = 0x10;  // row 2, x = 11
    ASSERT_EQ(
        BrightnessContrast(p.pixels.data(), mask.data(), Picture::kWidth, 0, 0, 0, Picture::kWidth, 3, -1.0f, 0.0f), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < Picture::kWidth; ++x) {
            const bool set = (y == 1 && (x == 0 || x == 30)) || (y == 2 && x == 11);
            EXPECT_EQ(p.Byte(x, y, 1), set ? 0 : 0x40) << x << "," << y;
        }
}

TEST(BrightnessContrast, AnAreaOutsideThePictureColumnsIsCut) {
    Picture p;
    EXPECT_EQ(BrightnessContrast(p.pixels.data(), nullptr, Picture::kWidth, 0, -5, 0, 7, 1, 1.0f, 0.0f), 0);
    EXPECT_EQ(BrightnessContrast(p.pixels.data(), nullptr, Picture::kWidth, 0, 29, 2, 50, 1, 1.0f, 0.0f), 0);
    EXPECT_EQ(BrightnessContrast(p.pixels.data(), nullptr, Picture::kWidth, 0, 0, 1, -4, 1, 1.0f, 0.0f), 0);
    EXPECT_EQ(BrightnessContrast(nullptr, nullptr, Picture::kWidth, 0, 0, 0, 1, 1, 1.0f, 0.0f), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < Picture::kWidth; ++x) {
            const bool inside = (y == 0 && x < 2) || (y == 2 && x >= 29);
            EXPECT_EQ(p.Byte(x, y, 0), inside ? 255 : 0x40) << x << "," << y;
        }
}

}  // namespace
}  // namespace lvk
