// What the core asks of the windows above it: the settings dialog, the stock browser and the
// text window. program/ui implements it and the program's start-up installs it
// (`UseProgramParts`); the core alone has this object itself, which opens nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "program/core/startup/installed.h"

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

class WindowParts {
public:
    virtual ~WindowParts() = default;
    // A new settings dialog, shown without waiting.
    virtual void showSettings() {}
    // A new stock window, shown without waiting.
    virtual void showStockBrowser() {}
    // The text window's text extent in its font, in twips; nothing measured leaves both 0.
    virtual void measureText(std::u16string_view /*text*/, int32_t& /*width*/, int32_t& /*height*/) {}
    virtual void showTextWindow(const TextWindowRequest& /*request*/) {}
    // Adds a line to the open error-log view (run mode 14), when one is open.
    virtual void appendToLogView(const std::u16string& /*line*/) {}
};

inline WindowParts& windowParts() { return *Installed<WindowParts>(); }

}  // namespace yov
