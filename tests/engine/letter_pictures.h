// Small 32-bit pictures and 1-bit masks in their own DCs, drawn and read as rows of letters,
// for golden-pixel tests of the engine's and the program's drawing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/raster.h"
#include "platform/raster_test_util.h"

namespace letterpic {

// Letters stand for 32-bit pixel values: '.' black, 'w' white, others distinct colours
// whose bits overlap, so that a wrong AND or OR shows.
inline std::uint32_t LetterValue(char c) {
    static const std::map<char, std::uint32_t> values = {
        {'.', 0x000000}, {'w', 0xFFFFFF}, {'r', 0xFF0000}, {'g', 0x00FF00}, {'b', 0x0000FF},
        {'y', 0xFFFF00}, {'c', 0x00FFFF}, {'m', 0xFF00FF}, {'k', 0x808080}, {'o', 0xFF8000},
    };
    return values.at(c);
}

inline char ValueLetter(std::uint32_t v) {
    for (char c : std::string(".wrgbycmko")) {
        if (LetterValue(c) == (v & 0xFFFFFF)) return c;
    }
    return '?';
}

// A 32-bit picture in its own DC, drawn and read as rows of letters.
struct Picture : rastertest::Canvas {
    Picture(int w, int h) : rastertest::Canvas(w, h, 32) {}
    explicit Picture(const std::vector<std::string>& rows)
        : rastertest::Canvas(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 32) {
        Paint(rows);
    }
    void Paint(const std::vector<std::string>& rows) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, LetterValue(rows[y][x]));
    }
    void Fill(char c) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, LetterValue(c));
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) row += ValueLetter(Get(x, y));
            rows.push_back(row);
        }
        return rows;
    }
    std::int32_t Value() const { return dc.Value(); }
};

// A 1-bit mask, '#' set (opaque), '.' clear.
struct Mask : rastertest::Canvas {
    explicit Mask(const std::vector<std::string>& rows)
        : rastertest::Canvas(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 1) {
        Draw(rows);
    }
    Mask(int w, int h) : rastertest::Canvas(w, h, 1) {}
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) row += Get(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    std::int32_t Value() const { return dc.Value(); }
};

}  // namespace letterpic
