// The one way from start-up, the engine's events and the service window to the windows and
// procedures that other parts of the program build: the show and its preview, the password
// dialog, the settings dialog, the stock browser, the text window, and the stock loader.
//
// Each part puts its entries into laterParts() when the program starts (before Main). Calling an
// entry left empty (a test that runs without that part) says so on standard error, naming it,
// and the program carries on as if that window had opened and closed at once (a show ends, the
// last window's closing ends the program through the deferred shutdown).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace yov {

// What ShowTextWindow hands the text window: where to go, what to show, how (twips; mode 2
// modal, 3 modal over the full-screen show, 14 the error log scrolled to its end, else modeless).
struct TextWindowRequest {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::u16string text;
    std::u16string caption;
    uint8_t mode = 0;
};

struct LaterParts {
    // --- Show runner.
    // RunShow(mode 0 window / 1 full screen, scene script): one whole show; returns when it has
    // ended, after posting the shutdown unless the settings dialog is open.
    std::function<void(uint8_t mode, const std::u16string& script)> runShow;
    // The preview inside the foreign window (an X11 window id), shown without waiting.
    std::function<void(uintptr_t parentWindow)> showPreview;
    // SetPWFrm, shown modally.
    std::function<void()> showSetPassword;
    // A key or menu command of the running show (engine event 0).
    std::function<void(int16_t code, int32_t value)> scrKeyCommand;
    // Around a modal window over the full-screen show: not topmost while it is up; afterwards
    // topmost again and the mouse rule's grace (five step times, two events).
    std::function<void()> beginModalOverShow;
    std::function<void()> endModalOverShow;
    // Under DirectDraw the full-screen show draws a text window's text itself (its pending
    // overlay text, request byte 3).
    std::function<void(const std::u16string& text)> showOverlayText;

    // --- Settings dialog: a new Cfg, shown without waiting.
    std::function<void()> showSettings;

    // --- Stock browser and text window.
    std::function<void()> showStockBrowser;
    // The text window's text extent in its font, in twips (width, height).
    std::function<void(std::u16string_view text, int32_t& width, int32_t& height)> measureText;
    std::function<void(const TextWindowRequest& request)> showTextWindow;

    // --- Scene script and stock.
    std::function<void(const std::u16string& name)> setStockName;  // SetStockName
    std::function<void()> loadStock;                               // LoadStock(True)
    std::function<std::u16string()> scriptVersionText;             // "" when the script set none
};

LaterParts& laterParts();

// Says on standard error that the named part is not in place.
void ReportNotAvailable(std::u16string_view what);

// The calls of start-up and the service window, each through its entry.
void RunShow(uint8_t mode, const std::u16string& script);
void ShowPreview(uintptr_t parentWindow);
void ShowSetPassword();
void ShowSettingsDialog();
void ShowStockBrowser();

// "the show in a window of SCRIPT", "the full-screen show", "the screen-saver show ...".
std::u16string ShowDescription(uint8_t mode, const std::u16string& script);

// Slot 33 (the settings dialog) is in use.
bool SettingsDialogOpen();

}  // namespace yov
