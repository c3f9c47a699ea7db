// Writing pictures to disk: the GIF89a encoder behind SaveGif, the BMP capture slots
// behind WriteBmpPicture/FlushBmpPicture, and the tone curve of BrightnessContrast.
//
// Files are built whole in memory and then put in place through a temporary file renamed
// over the target, so a failed write never leaves half a picture under the file's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvk {

struct CurrentPicture;

// GIF writing (-160xx) and picture files that cannot be written (-111xx).
inline constexpr int32_t kErrGifColours = -16001;   // more than 256 entries, or a true-colour picture
inline constexpr int32_t kErrGifMemory = -16002;    // no memory for the encoder's table or the file image
inline constexpr int32_t kErrWriteFile = -11101;    // the file cannot be created or written
inline constexpr int32_t kErrWriteMemory = -11102;  // no memory for a file image

// The GIF89a file of a palette picture: one image, a global colour table, a graphic control
// extension when the picture has a transparent index. 0, -16001 or -16002.
int32_t EncodeGif(const CurrentPicture& picture, std::vector<uint8_t>& out);

// A BMP file of an area of 32-bit pixels (blue, green, red, unused; rows in buffer order,
// the first row the bottom one): the smallest depth of 1, 4 or 8 bits that holds its
// colours (black is always entry 0), else 24 bits when trueColourAllowed.
struct BmpArea {
    const uint32_t* first = nullptr;  // the area's first pixel
    size_t stride = 0;                // pixels from one buffer row to the next
    int width = 0;
    int height = 0;
};
inline constexpr int32_t kBmpTooManyColours = 1;  // a 257th colour without trueColourAllowed
int32_t EncodeBmp(const BmpArea& area, bool trueColourAllowed, std::vector<uint8_t>& out);

// Writes size bytes as the named file (a Windows-style name is resolved as for creating).
// 0, or an errno value with error naming the file and the cause.
int WriteWholeFile(const char* name, const void* data, size_t size, std::string& error);

// The 256-entry curve of BrightnessContrast; brightness and contrast are clamped to -1..1
// (NaN counts as 0).
void ToneTable(float brightness, float contrast, uint8_t table[256]);

}  // namespace lvk
