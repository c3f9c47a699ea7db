#include "program/stock/stock_options.h"

#include <string_view>

#include "program/core/settings/settings.h"
#include "program/core/binding/engine_binding.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_windows_state.h"

namespace yov {

namespace {

constexpr int32_t kWaySubItems[] = {7936, 5632, 5888, 6144};
constexpr int32_t kTypeSubItems[] = {5120, 5136, 5152, 5168};
constexpr int32_t kStatusBarKinds = 7;  // "StBar" 0..6
constexpr int32_t kShowFileKinds = 4;   // ShowFile 0..3
constexpr int32_t kMaxStkPicX = 4000;   // wider than any screen's information column

uint8_t readByte(std::u16string_view name, int32_t defaultValue, int32_t maximum = 255) {
    return static_cast<uint8_t>(GetRegNumberIn(name, defaultValue, 0, maximum));
}

void check(int32_t identifier, int32_t state) { lv::CheckMenu(identifier, state != 0 ? 1 : 0); }

void enable(int32_t identifier, int32_t state) { lv::EnableMenu(identifier, state != 0 ? 1 : 0); }

// A byte option read with its mark set from it.
uint8_t readChecked(std::u16string_view name, int32_t defaultValue, int32_t identifier) {
    const uint8_t v = readByte(name, defaultValue);
    check(identifier, v);
    return v;
}

}  // namespace

void ReadStockOptions() {
    namespace m = stock_menu;
    StockOptions& o = stockWindows().Options;
    o.InfoColumnWidth = GetRegNumberIn(u"StkPicX", 100, 0, kMaxStkPicX);
    // The authors menu is built from these, so they are read first.
    o.AuthorNames = readByte(u"ShowAuth", 0);
    o.AuthorOrder = readByte(u"AuthSort", 0);
    o.AuthorGroups = readByte(u"AuthCut", 0);
    BuildStockMenu();

    o.StatusBarLayout = readByte(u"StBar", 4, kStatusBarKinds - 1);
    SyncStatusBarMenu();
    o.ShowFile = readByte(u"ShowFile", 0, kShowFileKinds - 1);
    o.ShowWidth = readChecked(u"ShowWidth", 1, m::kShowWidth);
    o.ShowHeight = readChecked(u"ShowHeight", 0, m::kShowHeight);
    o.ShowPaletteSize = readChecked(u"ShowPalNum", 0, m::kShowPalNum);
    o.ShowPictureSize = readChecked(u"ShowPicSize", 0, m::kShowPicSize);
    o.ShowDescriptionMark = readChecked(u"ShowDescX", 1, m::kShowDescX);
    o.ShowWay = readByte(u"ShowWay", 1);
    o.ShowType = readByte(u"ShowType", 1);
    o.DescriptionTip = readChecked(u"StockTip", 0, m::kStockTip);
    o.FaceRight = readChecked(u"StockDir", 0, m::kStockDir);
    o.WheelMode = readByte(u"WheelMode", 1, 2);
    check(m::kWheelOne, o.WheelMode == 1 ? 1 : 0);
    check(m::kWheelTwo, o.WheelMode == 2 ? 1 : 0);
    o.ReplOwn = readChecked(u"ReplOwn", 1, m::kReplOwn);

    SetVFile();
    SyncWayMenu();
    SyncTypeMenu();
    BuildCatMenu();
}

void SyncStatusBarMenu() {
    const uint8_t stBar = stockWindows().Options.StatusBarLayout;
    for (int32_t i = 0; i < kStatusBarKinds; ++i) check(stock_menu::kStatusBarFirst + i, i == stBar ? 1 : 0);
}

void SetVFile() {
    const uint8_t f = stockWindows().Options.ShowFile;
    for (int32_t i = 0; i < kShowFileKinds; ++i) check(stock_menu::kShowFileFirst + i, i == f ? 1 : 0);
}

void SyncTypeMenu() {
    const uint8_t v = stockWindows().Options.ShowType;
    check(stock_menu::kShowType, v);
    for (const int32_t id : kTypeSubItems) enable(id, v);
}

void SyncWayMenu() {
    const uint8_t v = stockWindows().Options.ShowWay;
    check(stock_menu::kShowWay, v);
    for (const int32_t id : kWaySubItems) enable(id, v);
}

}  // namespace yov
