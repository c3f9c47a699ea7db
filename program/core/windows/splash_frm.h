// SplashFrm: the splash window shown while a show starts. Enter, Esc or Alt+F4 stop the
// show that is loading.
#pragma once

#include <cstdint>

#include <QWidget>

class QKeyEvent;
class QLabel;

namespace yov {

class SplashFrm : public QWidget {
    Q_OBJECT

public:
    SplashFrm();

    QLabel* Pic = nullptr;  // the splash picture, set by the show runner

    // Shift × 256 + KeyCode goes to FCmd; a handled key is consumed.
    bool Form_KeyDown(int keyCode, int shift);
    // Enter (13), Esc (27) and Alt+F4 (1139): no more progress windows, stop the show, a
    // beep; handled. Other codes are not handled. The engine's events for the splash
    // window's slot come here too.
    bool FCmd(int32_t code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace yov
