#include "program/core/startup/main_module.h"

#include <QMenuBar>
#include <QWidget>

#include <algorithm>

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/progress.h"
#include "program/core/startup/service_window.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "program/core/windows/window_system.h"

namespace yov {

namespace {

constexpr uint8_t kDetailedMask = 42;
constexpr uint8_t kShortMask = 34;
constexpr uint8_t kModalText = 2;
constexpr uint8_t kModalOverShow = 3;
constexpr uint8_t kLanguageMenu = 9;
constexpr int32_t kLanguageCommand = 5265;
constexpr int kMinModeWidth = 640;
constexpr int kMinModeHeight = 480;
constexpr size_t kMaxStockName = 128;

int32_t roundedTwips(double v) { return plat::clampToInt32(v); }

// A step of the text window that fails is skipped; the rest goes on.
template <class Step>
void skipOnError(Step step) noexcept {
    try {
        step();
    } catch (...) {}
}

}  // namespace

void ShowPictureDescription(int32_t stockIndex, bool detailed, uint8_t mode) {
    if (stockIndex == 0) {
        progressDisplay().EndProgress();
        return;
    }
    const std::u16string text = GetDescriptionText(stockIndex, detailed ? kDetailedMask : kShortMask, u"\r\n");
    if (text.empty()) return;
    const SharedArrays& a = programState().Arrays;
    const std::u16string caption = a.Stock.has(stockIndex) ? a.Stock[stockIndex].Name : std::u16string();
    ShowTextWindow(text, caption, mode);
}

TextWindowPlace TextWindowPlacement(size_t length, int32_t textWidthTw, int32_t textHeightTw, int32_t screenWidthTw,
                                    int32_t screenHeightTw) {
    int64_t w = textWidthTw;
    int64_t h = length > kMeasuredPiece ? screenHeightTw : textHeightTw;
    if (w == 0) w = screenWidthTw;
    h += 480;
    w += 900;
    if (h > 0.9 * screenHeightTw) {
        h = roundedTwips(0.9 * screenHeightTw);
        w += 255;  // room for the vertical scroll bar
    }
    if (w > 0.9 * screenWidthTw) w = roundedTwips(0.9 * screenWidthTw);
    TextWindowPlace p;
    p.width = static_cast<int32_t>(w);
    p.height = static_cast<int32_t>(h);
    p.left = static_cast<int32_t>((screenWidthTw - w) / 2);
    p.top = static_cast<int32_t>((screenHeightTw - h) / 2);
    return p;
}

void ShowTextWindow(const std::u16string& text, const std::u16string& caption, uint8_t mode) {
    ProgramState& st = programState();
    if (st.run.BatchMode != 0) {
        // Under DirectDraw the full-screen show draws the text itself.
        if (text.empty())
            progressDisplay().EndProgress();
        else
            showParts().overlayText(text);
        return;
    }
    // From here on a step that fails is skipped: a text window that cannot be shown leaves the
    // program running.
    WindowParts& windows = windowParts();
    int32_t w = 0;
    int32_t h = 0;
    skipOnError([&] {
        if (text.size() <= kMeasuredPiece) {
            windows.measureText(text, w, h);
        } else {
            for (size_t from = 0; from < text.size(); from += kMeasuredPiece) {
                int32_t pw = 0;
                int32_t ph = 0;
                windows.measureText(std::u16string_view(text).substr(from, kMeasuredPiece), pw, ph);
                w = std::max(w, pw);
            }
        }
    });
    const TextWindowPlace p = TextWindowPlacement(text.size(), w, h, ScreenWidthTw(), ScreenHeightTw());
    if (mode == kModalOverShow && !(st.run.ShowMode == 1 && (st.run.RunFlags & 0x01) != 0)) mode = kModalText;
    st.run.RunMode = mode;
    const bool overShow = mode == kModalOverShow;
    // Each step on its own, so that a window that fails still ends the modal state over the show.
    skipOnError([&] {
        if (overShow) showParts().beginModalOverShow();
    });
    skipOnError([&] {
        windows.showTextWindow(TextWindowRequest{p.left, p.top, p.width, p.height, text, caption, mode});
    });
    skipOnError([&] {
        if (overShow) showParts().endModalOverShow();
    });
}

void CloseTextWindow(int16_t& force) {
    const WindowSlot& s = programState().WindowTable[kTextWindowSlot];
    if (s.inUse == 0 || s.window == nullptr) return;
    if (programState().run.RunMode == 1 && force == 0) return;
    UnloadSlotWindow(kTextWindowSlot);
}

void EnsureStockIndex() {
    ProgramState& ms = programState();
    if (ms.scene.StockIndexBuilt) return;
    ProgramState& st = programState();
    lv::PrepareLookStock(st.Arrays.Stock.desc(), st.Shared.StockCount);
    ms.scene.StockIndexBuilt = true;
}

int32_t FindStockEntry(std::u16string_view name) {
    const std::u16string u = plat::ucase(name);
    EnsureStockIndex();
    if (u.size() > kMaxStockName) return 0;
    const EngineText engineName(u);
    const int32_t i = lv::LookStockIdx(engineName.get());
    const SharedArrays& a = programState().Arrays;
    if (i <= 0 || !a.Stock.has(i)) return 0;
    const std::u16string& found = a.Stock[i].Name;
    if (found == u) return i;
    // A variant of the name: the name, a tilde and a suffix.
    if (found.size() > u.size() && found.compare(0, u.size(), u) == 0 && found[u.size()] == u'~') return i;
    return 0;
}

std::u16string MakeConfigKeyName(std::u16string_view file) {
    if (file.empty()) return {};
    std::u16string key = u"\\Cnf\\" + std::u16string(file);
    std::replace(key.begin() + 5, key.end(), u'\\', u'|');
    return key;
}

void SetConfigFile(std::u16string_view file) {
    ProgramState& ms = programState();
    ms.scene.ConfigFile = std::u16string(file);
    SplitFilePath(file);
    programState().scene.ConfigDir = programState().split.SplitDir;
    ms.scene.ConfigKey = MakeConfigKeyName(ms.scene.ConfigFile);
}

std::array<uint8_t, 256> ReducedColourTable() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<uint8_t>(i == 0 ? 0 : std::max(i, 128));
    return t;
}

void ApplyColorTranslation() {
    const uint8_t mode = programState().settings.ColTrans;
    if (mode == 3) {
        const std::array<uint8_t, 256> t = ReducedColourTable();
        lv::SetXColor(t.data(), t.data(), t.data());
    }
    lv::SetXColMethod(mode, 64, 64, 64);
}

void FillLanguageMenu() {
    ProgramState& st = programState();
    const int32_t count = st.Shared.LanguageCount;
    for (int32_t i = 1; i <= count && st.Arrays.Languages.has(i); ++i) {
        const std::u16string name = PickLangText(st.Arrays.Languages[i].Names, u"");
        lv::SetMenuItem(kLanguageMenu, i - 1, plat::utf16ToUtf8(name).c_str(), 0);
        lv::CheckItem(kLanguageMenu, i - 1, i == st.Shared.CurrentLanguage ? 1 : 0);
    }
    lv::EnableMenu(kLanguageCommand, count >= 2 ? 1 : 0);
    if (SettingsDialogOpen()) {
        QMenuBar* bar = windowSystem().menuBarOf == nullptr
                            ? nullptr
                            : windowSystem().menuBarOf(st.WindowTable[kSettingsSlot].window);
        if (bar != nullptr) bar->update();
    }
}

int32_t AddDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) noexcept {
    ProgramState& ms = programState();
    if (ms.modes.ModeCount >= kMaxDisplayModes || width < kMinModeWidth || height < kMinModeHeight) return 0;
    for (int32_t i = 1; i <= ms.modes.ModeCount; ++i) {
        const auto k = static_cast<size_t>(i);
        if (ms.modes.ModeWidth[k] == width && ms.modes.ModeHeight[k] == height &&
            ms.modes.ModeDepth[k] == bitsPerPixel && ms.modes.ModeRefresh[k] == refreshRate)
            return 0;
    }
    const auto k = static_cast<size_t>(++ms.modes.ModeCount);
    ms.modes.ModeWidth[k] = width;
    ms.modes.ModeHeight[k] = height;
    ms.modes.ModeDepth[k] = bitsPerPixel;
    ms.modes.ModeRefresh[k] = refreshRate;
    return 0;
}

}  // namespace yov
