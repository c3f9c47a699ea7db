#include "program/core/windows/splash_frm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "program/core/startup/program_state.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/progress.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

namespace {
constexpr int32_t kEnter = 13;
constexpr int32_t kEsc = 27;
constexpr int32_t kAltF4 = kAltBit * 256 + 115;
}  // namespace

SplashFrm::SplashFrm() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("SplashFrm"));
    Pic = new QLabel(this);
    Pic->setObjectName(QStringLiteral("Pic"));
    Pic->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Pic);
    setFocusPolicy(Qt::StrongFocus);
}

bool SplashFrm::Form_KeyDown(int keyCode, int shift) { return FCmd(shift * 256 + keyCode); }

bool SplashFrm::FCmd(int32_t code) {
    if (code != kEnter && code != kEsc && code != kAltF4) return false;
    progressDisplay().Suppress = 1;
    programState().run.StopRequest = 1;
    QApplication::beep();
    return true;
}

void SplashFrm::keyPressEvent(QKeyEvent* event) {
    const int keyCode = keyCodeOf(event->key(), event->modifiers());
    if (keyCode != 0 && Form_KeyDown(keyCode, shiftStateOf(event->modifiers()))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace yov
