// What the show asks of the windows above it: the show window of a mode, the cursor's place
// on it, and the settings dialog's show tab. The program installs its own at start-up; with
// none installed there is no show window and nothing else is asked.
#pragma once

#include <cstdint>
#include <memory>

#include "program/show_data/show_view.h"

namespace yov {

class ShowWindowCalls {
public:
    virtual ~ShowWindowCalls() = default;
    // The show window of a mode (0 windowed, 1 full screen), registered as window slot 0.
    virtual std::unique_ptr<ShowView> makeView(uint8_t mode) = 0;
    // The cursor's place over the show window, where the mouse rule starts from.
    virtual void takeCursorPosition() = 0;
    // The open settings dialog brings its show tab in line with whether a show runs.
    virtual void settingsShowTab() = 0;
    // A display request waits (the popup, the panel, a text, the password dialog while DirectDraw
    // owns the screen): the show window shows it, or drops it when it cannot.
    virtual void showDisplayRequest() = 0;
    // A stop of a screen-saver show with a password: the password dialog, modal.
    virtual void askPassword() = 0;
    // A left click on the show: the description of the stock entry under it (0: none, which
    // clears the one shown).
    virtual void describePicture(int32_t stockEntry) = 0;
};

ShowWindowCalls* showWindowCalls();
// Installs calls (nullptr: none) and gives back the ones before.
ShowWindowCalls* InstallShowWindowCalls(ShowWindowCalls* calls);

}  // namespace yov
