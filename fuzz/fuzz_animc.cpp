// The animation compiler over arbitrary step lists and offsets.
//
// Input: the first two bytes give the offset (little-endian, taken modulo 1100 so that
// offsets past the buffer are tried too); the rest is the step list. Checks that every
// result is a known code or an offset inside the buffer, that a program ends with its end
// mark, and that its loop marks pair up the way the sprite stepper expects.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lumvatek/exports.h"

namespace {

// Walks the bytes from the offset up to the end mark as the stepper reads them.
void CheckProgram(const uint8_t* code, int32_t from, int32_t to) {
    int depth = 0;
    int32_t i = from;
    while (i < to - 1) {
        const uint8_t b = code[i];
        if (b == 249 || b == 255) std::abort();  // never written inside a program
        if (b == 250 || b == 252) {
            i += 2;
        } else if (b == 251 || b == 253) {
            if (b == 253) ++depth;
            i += 3;
        } else {
            if (b == 254 && --depth < 0) std::abort();
            ++i;
        }
    }
    if (i != to - 1 || code[to - 1] != 255 || depth != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int32_t offset = (data[0] | (data[1] << 8)) % 1100;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    const int32_t result = CompileAnim(text.c_str(), offset);
    uint8_t out[1000];
    const int32_t n = GetCompiled(out, sizeof out);
    if (n < 0 || n > 1000) std::abort();
    if (result > 0) {
        if (result <= offset || result > 1000 || n != result) std::abort();
        CheckProgram(out, offset, result);
    } else if (result < -7) {
        std::abort();
    } else if (result < -1 && n != (offset < 1000 && offset >= 0 ? offset : n)) {
        std::abort();  // a failed list leaves the write position at its offset
    }
    return 0;
}
