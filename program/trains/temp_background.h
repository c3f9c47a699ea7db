// A picture strip of one layer element: the element's picture list expanded into items
// (pictures, JPEG files, gaps, mirrored pictures, pictures with a description) drawn side
// by side, bottom-aligned, into the current canvas.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

// Builds the strip of text into the current canvas. width and height receive the strip's
// size (width 0: nothing drawn, the canvas and animHead left alone); animHead the first
// picture slot of the strip's animations. ownerPart 0 is the temporary background, which
// refuses animations. Failures are program errors.
void LoadTempBackground(std::u16string& text, int32_t& width, int32_t& height, int32_t& animHead, int32_t ownerPart);

// Call-site codes of the frame steps taken here.
namespace strip_site {
inline constexpr int32_t kBeforeDescription = 10902;
inline constexpr int32_t kAfterDescription = 10903;
inline constexpr int32_t kAfterDrawing = 10904;
inline constexpr int32_t kJpegMeasureBefore = 10909;
inline constexpr int32_t kJpegMeasureAfter = 10910;
inline constexpr int32_t kJpegDrawBefore = 10911;
inline constexpr int32_t kJpegDrawAfter = 10912;
}  // namespace strip_site

}  // namespace yov
