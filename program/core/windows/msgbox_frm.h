// MsgBxFrm: the window of the program's message box (Tag "MSGBX"): the message label
// Lab1 and the eight buttons of the control array Cmd, shown as the style asks.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include <QWidget>

#include "program/core/windows/msgbox.h"
#include "program/core/windows/msgbox_layout.h"

class QKeyEvent;
class QLabel;
class QPushButton;

namespace yov {

class MsgBxFrm : public QWidget {
    Q_OBJECT

public:
    MsgBxFrm();

    QLabel* Lab1 = nullptr;
    std::array<QPushButton*, msgbox::kButtonCount> Cmd{};

    void Form_Load();
    // Dialog result := the button's bit, then the window hides.
    void Cmd_Click(int index);
    // Shift × 256 + KeyCode: the letters of the buttons click them when shown; other keys
    // go to the help commands. True when the key is consumed.
    bool Form_KeyDown(int keyCode, int shift);

    // Lays the box out for a text, a style, a caption and a help topic (the window is not
    // shown; ShowMsgBox does that through ShowModal).
    void fill(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId);

    // The bit of the button pressed since the last fill, 0 when none was.
    int32_t answer() const { return answer_; }
    const MsgBoxLayout& layout() const { return layout_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int32_t answer_ = 0;
    MsgBoxLayout layout_;
};

// The kept box, created and loaded on first use.
MsgBxFrm* msgBoxForm();

}  // namespace yov
