#include "program/core/windows/window_dispatch.h"

#include <cstdio>

#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"

namespace yov {

namespace {

std::u16string showName(uint8_t mode) {
    if (mode == 0) return u"the show in a window";
    return programState().road.ScreenSaverMode != 0 ? u"the screen-saver show" : u"the full-screen show";
}

}  // namespace

LaterParts& laterParts() {
    static LaterParts parts;
    return parts;
}

void ReportNotAvailable(std::u16string_view what) {
    std::fprintf(stderr, "yov: %s is not available in this program.\n", plat::utf16ToUtf8(what).c_str());
    std::fflush(stderr);
}

bool SettingsDialogOpen() {
    const WindowSlot& s = programState().WindowTable[kSettingsSlot];
    return s.inUse != 0 && s.window != nullptr;
}

std::u16string ShowDescription(uint8_t mode, const std::u16string& script) {
    std::u16string what = showName(mode);
    if (!script.empty()) what += u" of " + script;
    return what;
}

void RunShow(uint8_t mode, const std::u16string& script) {
    if (laterParts().runShow) {
        laterParts().runShow(mode, script);
        return;
    }
    ReportNotAvailable(ShowDescription(mode, script));
    // A show that ended at once: the end of a show posts the shutdown unless the settings stay.
    if (!SettingsDialogOpen()) PostDeferredAction(deferred::kShutdown);
}

void ShowPreview(uintptr_t parentWindow) {
    if (laterParts().showPreview) {
        laterParts().showPreview(parentWindow);
        return;
    }
    ReportNotAvailable(u"the preview");
    PostDeferredAction(deferred::kShutdown);
}

void ShowSetPassword() {
    if (laterParts().showSetPassword) {
        laterParts().showSetPassword();
        return;
    }
    ReportNotAvailable(u"the password dialog");
}

void ShowSettingsDialog() {
    if (laterParts().showSettings) {
        laterParts().showSettings();
        return;
    }
    ReportNotAvailable(u"the settings dialog");
    // As if it had opened and been closed at once.
    int16_t ignored = 0;
    UnloadWindow(ignored, kSettingsSlot);
}

void ShowStockBrowser() {
    if (laterParts().showStockBrowser) {
        laterParts().showStockBrowser();
        return;
    }
    ReportNotAvailable(u"the stock browser");
    int16_t ignored = 0;
    UnloadWindow(ignored, 0);
}

}  // namespace yov
