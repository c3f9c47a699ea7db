// What the shared small windows (message box, input box, progress window, help, links)
// need from parts of the program that live elsewhere: the show runner, the stock browser,
// the About window, the scene script and the binding's shared record.
//
// Each part wires its entry in when it starts; an entry left empty behaves as "nothing
// there" (no show running, no tool tip, no links), so these windows work on their own,
// in tests as in a program road that never starts a show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QWidget;
struct SharedState;

namespace yov {

struct UtilHooks {
    // The binding's shared record: the cancel flag of long loads and the engine's tick.
    SharedState* shared = nullptr;

    // Stock browser: hides the tool tip when one is shown.
    std::function<void()> hideTip;

    // Show runner.
    std::function<bool()> frameLoopRunning;  // RunFlags bit 0x20
    std::function<bool()> batchMode;         // the show presents through DirectDraw
    std::function<void()> clearTextPanelRequest;
    std::function<void()> requestStop;  // StopRequest := 1

    // Stock tables: the name of stock entry i (1-based), for progress lines.
    std::function<std::u16string(int32_t index)> stockEntryName;

    // Scene script: the address of help link entry 0..16, empty when the script set none.
    std::function<std::string(int entry)> scriptLink;

    // The About window, shown modally through ShowModal.
    std::function<void()> showAbout;

    // Texts by key and window localisation.
    std::function<std::u16string(std::u16string_view key, std::u16string_view defaultText, int32_t flags)> getText;
    std::function<void(QWidget* form)> localizeForm;
    // Code of the current language ("E", "G", ...), empty when none is chosen.
    std::function<std::string()> languageCode;

    // Settings under the program key (UTF-8 texts): read with a default, write.
    std::function<std::string(std::string_view name, std::string_view defaultText)> getRegString;
    std::function<void(std::string_view name, std::string_view text)> saveRegString;

    // The program's file dialog (title key, flags as the file kinds and variants say): the
    // chosen path, or empty when cancelled.
    std::function<std::string(std::u16string_view titleKey, int32_t flags)> chooseFile;
};

// One frame step of the show (CheckStep, which may throw error 6016).
void frameStep(int32_t callSite);

// GetText through the hook; without one the default text, or for "=" keys their rest.
std::u16string utilText(std::u16string_view key, std::u16string_view defaultText = {}, int32_t flags = 0);

UtilHooks& utilHooks();

}  // namespace yov
