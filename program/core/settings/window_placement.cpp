#include "program/core/settings/window_placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <string>

#include "platform/text.h"
#include "program/core/windows/context_help.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/startup/service_window.h"
#include "program/core/windows/form_icons.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/program_state.h"
#include "program/core/settings/settings.h"

namespace yov {

namespace {

constexpr int kSlotCodeMask = 0x7F;
constexpr uint16_t kNoHelpFile = 0x0800;
constexpr uint16_t kNoDocPage = 0x0400;
constexpr int32_t kMoveRepeatTicks = 2;

bool normalState(const QWidget* window) {
    return (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0;
}

// Value-name prefix and subkey of a placement: the caller's subkey with plain names, or
// the slot byte's number under the instance letter's key.
struct PlaceKey {
    std::u16string prefix;
    std::u16string subkey;
};

PlaceKey placeKey(uint8_t slotByte, std::u16string_view subkey) {
    if (!subkey.empty()) return {{}, std::u16string(subkey)};
    return {decimal(slotByte), programState().road.InstanceLetter};
}

bool outerSlot(int code) { return code >= kFirstOuterSlot && code < kFirstOuterSlot + kOuterSlots; }

QWidget* windowOfSlot(int code) {
    if (code >= 0 && code < kWindowTableSlots) {
        const WindowSlot& slot = programState().WindowTable[static_cast<size_t>(code)];
        return slot.inUse != 0 ? slot.window : nullptr;
    }
    if (outerSlot(code)) return placementState().outerWindows[static_cast<size_t>(code - kFirstOuterSlot)];
    return nullptr;
}

void place(QWidget* window, int32_t left, int32_t top, int32_t width, int32_t height) {
    window->move(left, top);
    window->resize(width, height);
}

int16_t toInt16(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

}  // namespace

QSize screenSizePx() {
    const ProgramState& st = programState();
    if (st.machine.ScreenWidthPx > 0 && st.machine.ScreenHeightPx > 0)
        return {st.machine.ScreenWidthPx, st.machine.ScreenHeightPx};
    if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->virtualGeometry().size();
    return {1024, 768};
}

void SaveFormPos(uint8_t slotByte, QWidget* window, std::u16string_view subkey) {
    if (window == nullptr || !normalState(window)) return;
    const PlaceKey key = placeKey(slotByte, subkey);
    SaveRegNumber(key.prefix + u"X", std::max(0, window->x()), key.subkey);
    SaveRegNumber(key.prefix + u"Y", std::max(0, window->y()), key.subkey);
    if ((slotByte & kSlotKeepsSize) != 0) return;
    SaveRegNumber(key.prefix + u"W", window->width(), key.subkey);
    SaveRegNumber(key.prefix + u"H", window->height(), key.subkey);
}

void RestoreFormPos(uint8_t slotByte, QWidget* window, int32_t width, int32_t height, int32_t minWidth,
                    int32_t minHeight, std::u16string_view subkey) {
    if (window == nullptr || !normalState(window)) return;
    SetFormIcon(slotByte, window);
    const PlaceKey key = placeKey(slotByte, subkey);
    const int32_t left = GetRegNumber(key.prefix + u"X", -1, key.subkey);
    const int32_t top = GetRegNumber(key.prefix + u"Y", -1, key.subkey);
    if (width == 0) width = window->width();
    if (height == 0) height = window->height();
    if ((slotByte & kSlotKeepsSize) == 0) {
        width = GetRegNumber(key.prefix + u"W", width, key.subkey);
        height = GetRegNumber(key.prefix + u"H", height, key.subkey);
    }
    DeferFormMove(left, top, std::max(width, minWidth), std::max(height, minHeight), window, slotByte);
}

void DeferFormMove(int32_t left, int32_t top, int32_t width, int32_t height, QWidget* window, uint8_t slotByte) {
    if (window == nullptr) return;
    const QSize screen = screenSizePx();
    if (width < 1 || width > screen.width()) width = screen.width();
    if (height < 1 || height > screen.height()) height = screen.height();
    if (left < 0)
        left = (screen.width() - width) / 2;
    else if (left > screen.width() - width)
        left = screen.width() - width;
    if (top < 0)
        top = (screen.height() - height) / 2;
    else if (top > screen.height() - height)
        top = screen.height() - height;
    place(window, left, top, width, height);

    PlacementState& ps = placementState();
    const int code = slotByte & kSlotCodeMask;
    if (outerSlot(code))
        ps.outerWindows[static_cast<size_t>(code - kFirstOuterSlot)] = window;
    else if (code >= kWindowTableSlots)
        return;  // no table would find the window again
    if (ps.move.countdown == 0 || ps.move.slot == code) ps.move = {code, left, top, width, height, kMoveRepeatTicks};
}

void TickPendingMove() {
    PendingMove& m = placementState().move;
    if (m.countdown == 0 || --m.countdown != 0) return;
    if (QWidget* window = windowOfSlot(m.slot)) place(window, m.left, m.top, m.width, m.height);
}

void InitForm(uint8_t slotByte, QWidget* window) {
    LocalizeForm(window);
    RestoreFormPos(slotByte, window);
}

void OpenForm(uint8_t slotByte, QWidget* window, int32_t width, int32_t height, int32_t minWidth, int32_t minHeight,
              std::u16string_view subkey) {
    const int code = slotByte & kSlotCodeMask;
    if (code >= kWindowTableSlots) {
        throw ProgramError(error_number::kInvalidCall,
                           u"Window slot " + decimal(code) + u" is outside the window table");
    }
    ProgramState& st = programState();
    const QSize screen = screenSizePx();
    minWidth = std::min(minWidth, screen.width());
    minHeight = std::min(minHeight, screen.height());

    FormLimits& limits = st.Shared.Limits;
    if (!HelpAvailable()) limits.Flags |= kNoHelpFile;
    if (st.files.DocFile.empty()) limits.Flags |= kNoDocPage;
    limits.MinWidth = toInt16(minWidth);
    limits.MinHeight = toInt16(minHeight);
    limits.OwnerWindow = reinterpret_cast<intptr_t>(serviceWindowIfLoaded());
    engine_calls::openFrm(static_cast<int16_t>(code), window, limits);

    st.WindowTable[static_cast<size_t>(code)] = {window, -1};
    if ((slotByte & kSlotNoRestore) == 0) RestoreFormPos(slotByte, window, width, height, minWidth, minHeight, subkey);
}

void CloseForm(uint8_t slotByte, std::u16string_view subkey) {
    ProgramState& st = programState();
    const int code = slotByte & kSlotCodeMask;
    if (QWidget* window = windowOfSlot(code)) {
        window->hide();
        // The show window's stored place is its windowed one; a full-screen show keeps it.
        if (!(code == 0 && st.run.ShowMode == 1)) SaveFormPos(slotByte, window, subkey);
    }
    engine_calls::closeFrm(code);
    if (code < kWindowTableSlots) st.WindowTable[static_cast<size_t>(code)] = {};
}

}  // namespace yov
