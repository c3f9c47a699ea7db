// The engine's menu calls as a window's logic makes them, recorded: the marks set and the
// items enabled, the controls subclassed for hover notices, the menus built and cut. Every
// other call reaches the library.
//
// Without the library (the default) the menu calls stop here, so that windows open with no
// engine started; `throughToLibrary` passes each one on after it is recorded, for tests that
// read the menus the engine built.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "program/core/binding/engine.h"

namespace engine_fake {

struct Subclassed {
    LvWindow window = 0;
    uint8_t slot = 0;
    int16_t number = 0;
};

struct Popup {
    int16_t slot = 0;
    int32_t menu = 0;
    int32_t x = 0;
    int32_t y = 0;
};

struct MenuItemCall {
    int32_t menu = 0;
    int32_t position = 0;
    std::string caption;
    int32_t identifier = 0;
};

class MenuEngine : public yov::BoundEngine {
public:
    explicit MenuEngine(bool throughToLibrary = false) : library_(throughToLibrary) {}

    std::map<int32_t, int32_t> checks;   // the last mark of each identifier
    std::map<int32_t, int32_t> enables;  // the last enabled state of each identifier
    std::map<int32_t, int> enableCalls;  // how often each identifier was enabled or disabled
    std::vector<Subclassed> subclassed;
    std::vector<Popup> popups;  // ShowPopup calls, the menu number without its flags
    // Told of each popup as it is asked for (before it reaches the library).
    std::function<void()> onPopup;
    // A popup would wait in its own menu loop: even through to the library it is only recorded.
    bool stopPopups = false;
    std::vector<MenuItemCall> menuItems;  // SetMenuItem calls
    std::vector<std::pair<int32_t, int32_t>> cuts;
    std::vector<std::string> categoryCaptions;  // SetCatMenu captions, the open and close calls empty
    // The text keys GetMenuKey answers by identifier; any other is the library's with
    // libraryMenuKeys (or throughToLibrary), else none.
    std::map<int32_t, std::string> menuKeys;
    bool libraryMenuKeys = false;
    // Told of each EnableMenu as it happens.
    std::function<void(int32_t identifier, int32_t on)> onEnable;

    LvResult CheckMenu(int32_t identifier, int32_t on) override {
        checks[identifier] = on;
        return library_ ? BoundEngine::CheckMenu(identifier, on) : 0;
    }
    LvResult EnableMenu(int32_t identifier, int32_t on) override {
        enables[identifier] = on;
        ++enableCalls[identifier];
        if (onEnable) onEnable(identifier, on);
        return library_ ? BoundEngine::EnableMenu(identifier, on) : 0;
    }
    LvResult GetMenuKey(int32_t menuWord, int32_t identifier, char* buffer, int32_t capacity) override {
        const auto key = menuKeys.find(identifier);
        if (key == menuKeys.end())
            return library_ || libraryMenuKeys ? BoundEngine::GetMenuKey(menuWord, identifier, buffer, capacity) : 0;
        const auto n = static_cast<int32_t>(std::min<size_t>(key->second.size(), static_cast<size_t>(capacity)));
        key->second.copy(buffer, static_cast<size_t>(n));
        return n;
    }
    LvResult StartSubclass(LvWindow window, uint8_t flags, uint8_t code, int16_t identifier) override {
        subclassed.push_back({window, code, identifier});
        return library_ ? BoundEngine::StartSubclass(window, flags, code, identifier) : 0;
    }
    LvResult ShowPopup(int16_t slot, int32_t flags, int32_t x, int32_t y, LvWindow window, int32_t modeWord) override {
        popups.push_back({slot, flags & 0x3F, x, y});
        if (onPopup) onPopup();
        return library_ && !stopPopups ? BoundEngine::ShowPopup(slot, flags, x, y, window, modeWord) : 0;
    }
    LvResult SetMenuItem(int32_t menu, int32_t positionWord, const char* caption, int32_t identifier) override {
        menuItems.push_back({menu, positionWord, caption != nullptr ? caption : "", identifier});
        return library_ ? BoundEngine::SetMenuItem(menu, positionWord, caption, identifier) : 0;
    }
    LvResult InsertMenuData(LvHandle menu, int32_t position, int32_t identifier, const char* caption) override {
        return library_ ? BoundEngine::InsertMenuData(menu, position, identifier, caption) : 0;
    }
    LvResult CutMenu(int32_t menu, int32_t position) override {
        cuts.emplace_back(menu, position);
        return library_ ? BoundEngine::CutMenu(menu, position) : 0;
    }
    LvResult BreakMenu(int32_t menu) override { return library_ ? BoundEngine::BreakMenu(menu) : 0; }
    LvResult DoBreakMenu(LvHandle menu, int32_t itemCount) override {
        return library_ ? BoundEngine::DoBreakMenu(menu, itemCount) : 0;
    }
    LvResult SetCatMenu(int16_t index, int16_t level, const char* caption, LvHandle* menuOut) override {
        categoryCaptions.emplace_back(index < 0 || caption == nullptr ? "" : caption);
        if (library_) return BoundEngine::SetCatMenu(index, level, caption, menuOut);
        if (menuOut != nullptr) *menuOut = 0;
        return 0;
    }

private:
    bool library_;
};

}  // namespace engine_fake
