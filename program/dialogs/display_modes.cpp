#include "program/dialogs/display_modes.h"

#include <algorithm>

#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"

namespace yov {

namespace {

bool sameResolution(const DisplayModes& m, int32_t i, int32_t width, int32_t height) {
    return m.width[i] == width && m.height[i] == height;
}

bool listed(const std::vector<int32_t>& values, int32_t v) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

}  // namespace

DisplayModes CollectedDisplayModes() {
    const ProgramState& ms = programState();
    return {std::clamp(ms.modes.ModeCount, 0, kMaxDisplayModes), ms.modes.ModeWidth.data(), ms.modes.ModeHeight.data(),
            ms.modes.ModeDepth.data(), ms.modes.ModeRefresh.data()};
}

std::u16string ResolutionCaption(int32_t width, int32_t height) {
    return decimal(width) + u" \u00D7 " + decimal(height);
}

std::u16string DepthCaption(int32_t depth) {
    switch (depth) {
    case 4: return u"16 Colors";
    case 8: return u"256 Colors";
    case 16: return u"High Color (16 bit)";
    case 24:
    case 32: return u"True Color (24 bit)";
    default: return {};
    }
}

std::u16string RateCaption(int32_t rate) { return decimal(rate) + u" Hz"; }

std::vector<int32_t> DepthsOf(const DisplayModes& modes, int32_t width, int32_t height) {
    std::vector<int32_t> depths;
    for (int32_t i = 1; i <= modes.count && static_cast<int>(depths.size()) < kMaxDepths; ++i) {
        if (!sameResolution(modes, i, width, height)) continue;
        const int32_t d = modes.depth[i];
        // A depth without an item would shift every later item against its entry.
        if (DepthCaption(d).empty() || listed(depths, d)) continue;
        depths.push_back(d);
    }
    return depths;
}

std::vector<int32_t> RatesOf(const DisplayModes& modes, int32_t width, int32_t height, int32_t depth) {
    std::vector<int32_t> rates;
    for (int32_t i = 1; i <= modes.count && static_cast<int>(rates.size()) < kMaxRates; ++i) {
        if (!sameResolution(modes, i, width, height) || modes.depth[i] != depth) continue;
        const int32_t r = modes.rate[i];
        if (r > 0 && !listed(rates, r)) rates.push_back(r);
    }
    return rates;
}

int ResolutionToSelect(const ResolutionList& list, int32_t width, int32_t height, int32_t screenWidth,
                       int32_t screenHeight, bool* screenSize) {
    if (screenSize != nullptr) *screenSize = false;
    const int count = std::clamp<int>(list.count, 0, kMaxResolutions);
    if (count == 0) return -1;
    auto find = [&](int32_t w, int32_t h) {
        for (int i = 1; i <= count; ++i) {
            if (list.width[static_cast<size_t>(i)] == w && list.height[static_cast<size_t>(i)] == h) return i - 1;
        }
        return -1;
    };
    const int stored = find(width, height);
    if (stored >= 0) return stored;
    if (screenSize != nullptr) *screenSize = true;
    return std::max(find(screenWidth, screenHeight), 0);
}

int EntryToSelect(const std::vector<int32_t>& values, int32_t value) {
    if (values.empty()) return -1;
    const auto it = std::find(values.begin(), values.end(), value);
    return it == values.end() ? 0 : static_cast<int>(it - values.begin());
}

}  // namespace yov
