#include "engine/display/display_modes.h"

#include <algorithm>
#include <tuple>

#include "engine/ui/windows.h"

namespace lvk {
namespace {

constexpr LvDisplayMode kCommonSizes[] = {
    {640, 480, 0, 0},   {800, 600, 0, 0},   {1024, 768, 0, 0},  {1152, 864, 0, 0},
    {1280, 720, 0, 0},  {1280, 800, 0, 0},  {1280, 1024, 0, 0}, {1366, 768, 0, 0},
    {1440, 900, 0, 0},  {1600, 900, 0, 0},  {1600, 1200, 0, 0}, {1680, 1050, 0, 0},
    {1920, 1080, 0, 0}, {1920, 1200, 0, 0}, {2560, 1440, 0, 0}, {3840, 2160, 0, 0},
};

bool Usable(const LvDisplayMode& m) { return m.width > 0 && m.height > 0 && m.bitsPerPixel > 0; }

bool Same(const LvDisplayMode& a, const LvDisplayMode& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           a.refreshRate == b.refreshRate;
}

void AddOnce(std::vector<LvDisplayMode>& list, LvDisplayMode m) {
    m.refreshRate = std::max(m.refreshRate, 0);
    if (!Usable(m) || static_cast<int>(list.size()) >= kMaxOfferedModes) return;
    if (std::none_of(list.begin(), list.end(), [&](const LvDisplayMode& x) { return Same(x, m); })) list.push_back(m);
}

bool ProgramMode(int32_t index, LvDisplayMode& mode) {
    const LvWindowOps* ops = WindowOps();
    if (ops == nullptr || ops->displayMode == nullptr) return false;
    mode = LvDisplayMode{};
    return ops->displayMode(ops->context, index, &mode) == 0;
}

}  // namespace

LvDisplayMode DesktopMode() {
    LvDisplayMode mode{};
    if (ProgramMode(0, mode) && Usable(mode)) {
        mode.refreshRate = std::max(mode.refreshRate, 0);
        return mode;
    }
    mode = LvDisplayMode{1024, 768, 32, 0};
    if (const LvWindowOps* ops = WindowOps(); ops != nullptr && ops->screenMetrics != nullptr) {
        int32_t width = 0, height = 0, menuHeight = 0;
        ops->screenMetrics(ops->context, &width, &height, &menuHeight);
        if (width > 0 && height > 0) {
            mode.width = width;
            mode.height = height;
        }
    }
    return mode;
}

std::vector<LvDisplayMode> OfferedModes() {
    const LvDisplayMode desktop = DesktopMode();
    std::vector<LvDisplayMode> list;
    AddOnce(list, desktop);
    LvDisplayMode mode{};
    for (int32_t i = 1; i < kMaxOfferedModes && ProgramMode(i, mode); ++i) AddOnce(list, mode);
    if (list.size() > 1) return list;

    for (const int bits : {16, 32}) {
        AddOnce(list, LvDisplayMode{desktop.width, desktop.height, bits, 0});
        for (const LvDisplayMode& size : kCommonSizes) {
            if (size.width <= desktop.width && size.height <= desktop.height) {
                AddOnce(list, LvDisplayMode{size.width, size.height, bits, 0});
            }
        }
    }
    std::sort(list.begin(), list.end(), [](const LvDisplayMode& a, const LvDisplayMode& b) {
        return std::tie(a.width, a.height, a.bitsPerPixel, a.refreshRate) <
               std::tie(b.width, b.height, b.bitsPerPixel, b.refreshRate);
    });
    return list;
}

bool IsOffered(const LvDisplayMode& request) {
    const std::vector<LvDisplayMode> list = OfferedModes();
    return std::any_of(list.begin(), list.end(), [&](const LvDisplayMode& m) {
        return m.width == request.width && m.height == request.height && m.bitsPerPixel == request.bitsPerPixel &&
               (m.refreshRate == 0 || request.refreshRate == 0 || m.refreshRate == request.refreshRate);
    });
}

}  // namespace lvk
