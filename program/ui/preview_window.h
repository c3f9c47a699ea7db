// The window Preview: the preview's two moving pictures on their rail, drawn inside a window
// of another program (the screen-saver chooser's preview area), without the engine, the
// scene script or the stock. The motion is program/show/preview_motion.h's.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "program/show/preview_motion.h"

namespace yov {

class PreviewWindow : public QWidget {
public:
    PreviewWindow();

    QLabel RailPic;  // the rail, tiled across the window at the first tick
    QLabel Pic1;     // picture 4, runs right
    QLabel Pic2;     // picture 5, runs left
    QTimer Timer1;   // 20 ms

    bool powerVisible() const { return powerVisible_; }
    int32_t powerY() const { return powerY_; }
    const PreviewState& state() const { return state_; }

    void Form_Load();
    void Timer1_Timer();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PreviewState state_;
    bool powerVisible_ = false;  // the overhead wire, Power
    int32_t powerY_ = 0;
};

// The preview inside the foreign window (an X11 window id): embedded, shown and animated
// until the window goes away or the program is told to end. A window that cannot be found
// ends the program with status 1 and says so.
void ShowPreviewWindow(uintptr_t parentWindow);

// The rail picture's file name among the program's built-in pictures.
inline constexpr const char* kPreviewRailFile = "preview_rail.gif";

}  // namespace yov
