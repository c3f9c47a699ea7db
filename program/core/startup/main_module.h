// Small procedures of the main module that several parts call: a stock entry's description
// in the text window, the text window's size and closing, finding a stock entry by picture
// name through the engine's index, the current scene script and its settings key, the colour
// translation sent to the engine, the language menu, and the display modes the engine lists.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

void ShowPictureDescription(int32_t stockIndex, bool detailed, uint8_t mode);

// Where the text window goes for a text of `length` characters whose extent in the window's
// font is textWidthTw × textHeightTw (for more than 100,000 characters: the widest piece and
// any height), on a screen of screenWidthTw × screenHeightTw. Twips.
struct TextWindowPlace {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};
TextWindowPlace TextWindowPlacement(size_t length, int32_t textWidthTw, int32_t textHeightTw, int32_t screenWidthTw,
                                    int32_t screenHeightTw);

// Longest piece of text the window's font measures at once.
inline constexpr size_t kMeasuredPiece = 100000;

void ShowTextWindow(const std::u16string& text, const std::u16string& caption, uint8_t mode);
// Unloads the text window unless it is not open, or RunMode is 1 and force is 0.
void CloseTextWindow(int16_t& force);

void EnsureStockIndex();
int32_t FindStockEntry(std::u16string_view name);

std::u16string MakeConfigKeyName(std::u16string_view file);
void SetConfigFile(std::u16string_view file);

// The three translation tables of colour translation 3: 0 stays, 1..127 become 128.
std::array<uint8_t, 256> ReducedColourTable();
void ApplyColorTranslation();

void FillLanguageMenu();

// The settings dialog's collector of the engine's display modes (EnumDDModes). Always 0.
int32_t AddDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) noexcept;

}  // namespace yov
