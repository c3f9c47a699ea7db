// The engine's pooled off-screen buffers as the program asks for them: the height classes
// are handed to the engine on the first request of a run (and again after an engine
// restart), then each buffer is a slice of a strip of the engine.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "lumvatek/exports.h"

namespace yov {

struct BufferClasses {
    std::vector<int32_t> heights;
    std::vector<int32_t> widths;
};

// The classes for canvas unit u (the stock's picture height) on a screen of the given size:
// u/3, 3u/4, u and 3u/2, 5000 wide; then doubling up to the screen height (raised to it from
// four fifths of it on), as wide as the screen; ten at most.
BufferClasses BufferClassesFor(int32_t unit, int32_t screenWidth, int32_t screenHeight);

// A buffer of the engine, or 0 after telling the user "No buffer".
LvHandle AllocDrawBuffer(int32_t width, int32_t height, int32_t kind, int32_t site);
// A buffer of the engine for a picture of `owner` (a vehicle's name), asking nobody: when
// the engine has none to give, a program error names the owner, the size and the engine's
// reason, and the picture being built is refused.
LvHandle AllocOwnedBuffer(int32_t width, int32_t height, int32_t kind, std::u16string_view owner);
// FreeBuffer when buffer is not 0; buffer becomes 0.
void FreeDrawBuffer(LvHandle& buffer);

// After CloseDLL and a new InitDLL the engine has no classes: the next AllocDrawBuffer
// hands them over again.
void ForgetBufferClasses();

}  // namespace yov
