// Icons and pictures of windows, from the program's resources or from files the user
// named in the settings, and moving a window or control by pixels.
#pragma once

#include <cstdint>

class QLabel;
class QWidget;

namespace yov {

// Icon of the window of a slot byte: the setting slot & "I" (a resource number or an icon
// file), else for slots below 45 the program's icon 100 + slot; else the designed icon.
void SetFormIcon(uint8_t slotByte, QWidget* window);

// Picture of picture box n: the file of the setting n & "PPic" when it loads, else the
// program's bitmap 300 + n; else the box keeps its picture.
void LoadPictureBox(QLabel* pictureBox, int32_t pictureNumber);

// Moves a window or control (pixels); a negative value keeps the present one. A combo
// box keeps its height.
void MoveForm(QWidget* target, int32_t left, int32_t top, int32_t width, int32_t height);

}  // namespace yov
