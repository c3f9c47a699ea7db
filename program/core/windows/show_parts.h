// What the core asks of the show above it: a whole show, the preview in a foreign window, the
// password dialog, the running show's commands, the modal state over the full-screen show, its
// overlay text, and the script's version line. program/ui implements it and the program's
// start-up installs it (`UseProgramParts`); the core alone (a tool, or a test that puts no
// recorder in) has this object itself, which shows nothing and leaves everything as it is.
#pragma once

#include <cstdint>
#include <string>

#include "program/core/startup/installed.h"

namespace yov {

class ShowParts {
public:
    virtual ~ShowParts() = default;
    // One whole show (mode 0 window, 1 full screen) of the scene script; returns when it has
    // ended, after posting the shutdown unless the settings dialog is open.
    virtual void runShow(uint8_t /*mode*/, const std::u16string& /*script*/) {}
    // The preview inside the foreign window (an X11 window id), shown without waiting.
    virtual void showPreview(uintptr_t /*parentWindow*/) {}
    // The dialog that sets the screen-saver password, shown modally.
    virtual void showSetPassword() {}
    // A key or menu command of the running show (the engine's event 0).
    virtual void keyCommand(int16_t /*code*/, int32_t /*value*/) {}
    // Around a modal window over the full-screen show: not topmost while it is up; afterwards
    // topmost again and the mouse rule's grace.
    virtual void beginModalOverShow() {}
    virtual void endModalOverShow() {}
    // Under DirectDraw the full-screen show draws a text window's text itself.
    virtual void overlayText(const std::u16string& /*text*/) {}
    // The version the scene script names, "" when it names none.
    virtual std::u16string scriptVersionText() { return {}; }
};

inline ShowParts& showParts() { return *Installed<ShowParts>(); }

}  // namespace yov
