// A recording stand-in for the program's window and menu operations: menus are plain lists
// of items, windows are numbers, and every call the engine makes can be looked at.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lumvatek/window_ops.h"

namespace testing_ops {

struct FakeItem {
    int32_t identifier = 0;
    std::string caption;
    LvHandle submenu = 0;
    uint32_t state = 0;
};

struct FakeMenu {
    bool bar = false;
    std::vector<FakeItem> items;
};

struct HookRecord {
    LvWindow window;
    int32_t hook;
    int32_t userData;
    uintptr_t token;
};

struct PopupCall {
    LvHandle menu;
    LvWindow owner;
    int32_t x, y, flags;
};

class FakeWindowOps {
public:
    FakeWindowOps() {
        ops_.size = sizeof(LvWindowOps);
        ops_.context = this;
        ops_.createMenu = [](void* c, int32_t bar) { return self(c)->createMenu(bar != 0); };
        ops_.destroyMenu = [](void* c, LvHandle m) { return self(c)->destroyMenu(m); };
        ops_.insertItem = [](void* c, LvHandle m, int32_t p, const LvMenuItem* i) { return self(c)->insert(m, p, *i); };
        ops_.removeItem = [](void* c, LvHandle m, int32_t p, LvHandle* sub) { return self(c)->remove(m, p, sub); };
        ops_.itemCount = [](void* c, LvHandle m) {
            auto it = self(c)->menus.find(m);
            return it == self(c)->menus.end() ? -1 : static_cast<int32_t>(it->second.items.size());
        };
        ops_.findItem = [](void* c, LvHandle m, int32_t id) { return self(c)->find(m, id); };
        ops_.itemState = [](void* c, LvHandle m, int32_t p, uint32_t mask, uint32_t state) {
            return self(c)->state(m, p, mask, state);
        };
        ops_.setSubmenu = [](void* c, LvHandle m, int32_t p, LvHandle sub, LvHandle* prev) {
            return self(c)->setSubmenu(m, p, sub, prev);
        };
        ops_.setMenuBar = [](void* c, LvWindow w, LvHandle m) {
            self(c)->bars[w] = m;
            return 0;
        };
        ops_.drawMenuBar = [](void* c, LvWindow w) {
            self(c)->redraws.push_back(w);
            return 0;
        };
        ops_.trackPopup = [](void* c, LvHandle m, LvWindow owner, int32_t x, int32_t y, int32_t flags) {
            self(c)->popups.push_back(PopupCall{m, owner, x, y, flags});
            return (flags & kLvPopupReturnCmd) != 0 ? self(c)->popupChoice : 1;
        };
        ops_.clientToScreen = [](void* c, LvWindow, int32_t* x, int32_t* y) {
            *x += self(c)->clientOffsetX;
            *y += self(c)->clientOffsetY;
            return 0;
        };
        ops_.hookWindow = [](void* c, LvWindow w, int32_t hook, int32_t userData) {
            const uintptr_t token = 1000 + self(c)->hooks.size();
            self(c)->hooks.push_back(HookRecord{w, hook, userData, token});
            return token;
        };
        ops_.unhookWindow = [](void* c, LvWindow w, uintptr_t token) {
            self(c)->unhooks.push_back(HookRecord{w, 0, 0, token});
            return 7;
        };
        ops_.screenMetrics = [](void* c, int32_t* w, int32_t* h, int32_t* mh) {
            *w = self(c)->screenWidth;
            *h = self(c)->screenHeight;
            *mh = self(c)->menuHeight;
            return 0;
        };
    }

    const LvWindowOps* table() const { return &ops_; }

    LvHandle createMenu(bool bar) {
        const LvHandle h = next_++;
        menus[h] = FakeMenu{bar, {}};
        ++created;
        return h;
    }
    int32_t destroyMenu(LvHandle m) {
        if (menus.erase(m) == 0) return 5;
        ++destroyed;
        return 0;
    }
    int32_t insert(LvHandle m, int32_t p, const LvMenuItem& i) {
        auto it = menus.find(m);
        if (it == menus.end()) return 3;
        if (failInserts) return 8;
        auto& items = it->second.items;
        FakeItem item{i.identifier, i.caption != nullptr ? i.caption : "", i.submenu, i.state};
        if (p < 0 || static_cast<size_t>(p) >= items.size())
            items.push_back(item);
        else
            items.insert(items.begin() + p, item);
        return 0;
    }
    int32_t remove(LvHandle m, int32_t p, LvHandle* sub) {
        auto it = menus.find(m);
        if (it == menus.end() || p < 0 || static_cast<size_t>(p) >= it->second.items.size()) return 4;
        *sub = it->second.items[static_cast<size_t>(p)].submenu;
        it->second.items.erase(it->second.items.begin() + p);
        return 0;
    }
    int32_t find(LvHandle m, int32_t id) {
        auto it = menus.find(m);
        if (it == menus.end()) return -1;
        for (size_t i = 0; i < it->second.items.size(); ++i) {
            if (it->second.items[i].identifier == id) return static_cast<int32_t>(i);
        }
        return -1;
    }
    int32_t state(LvHandle m, int32_t p, uint32_t mask, uint32_t value) {
        auto it = menus.find(m);
        if (it == menus.end() || p < 0 || static_cast<size_t>(p) >= it->second.items.size()) return -1;
        FakeItem& item = it->second.items[static_cast<size_t>(p)];
        const uint32_t before = item.state;
        item.state = (item.state & ~mask) | (value & mask);
        return static_cast<int32_t>(before);
    }
    int32_t setSubmenu(LvHandle m, int32_t p, LvHandle sub, LvHandle* prev) {
        auto it = menus.find(m);
        if (it == menus.end() || p < 0 || static_cast<size_t>(p) >= it->second.items.size()) return 4;
        *prev = it->second.items[static_cast<size_t>(p)].submenu;
        it->second.items[static_cast<size_t>(p)].submenu = sub;
        return 0;
    }

    const FakeMenu& menu(LvHandle h) const {
        static const FakeMenu none;
        auto it = menus.find(h);
        return it == menus.end() ? none : it->second;
    }
    // The first item with that identifier anywhere below menu h, or null.
    const FakeItem* findDeep(LvHandle h, int32_t id, int depth = 0) const {
        if (depth > 8) return nullptr;
        for (const FakeItem& i : menu(h).items) {
            if (i.identifier == id) return &i;
            if (i.submenu != 0) {
                if (const FakeItem* f = findDeep(i.submenu, id, depth + 1)) return f;
            }
        }
        return nullptr;
    }

    std::map<LvHandle, FakeMenu> menus;
    std::map<LvWindow, LvHandle> bars;
    std::vector<LvWindow> redraws;
    std::vector<HookRecord> hooks;
    std::vector<HookRecord> unhooks;
    std::vector<PopupCall> popups;
    int32_t popupChoice = 0;
    int32_t clientOffsetX = 0, clientOffsetY = 0;
    int32_t screenWidth = 1024, screenHeight = 768, menuHeight = 20;
    bool failInserts = false;
    int created = 0, destroyed = 0;

private:
    static FakeWindowOps* self(void* c) { return static_cast<FakeWindowOps*>(c); }
    LvWindowOps ops_{};
    LvHandle next_ = 1;
};

}  // namespace testing_ops
