#include "program/core/startup/service_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/numbers.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_memdc.h"
#include "program/core/binding/engine_events.h"
#include "program/core/texts/error_report.h"
#include "program/core/windows/form_members.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "program/core/settings/window_placement.h"

namespace yov {

namespace {

constexpr int kActionIntervalMs = 60;
constexpr int kWorkIntervalMs = 10;
constexpr uint8_t kShowRunning = 0x01;
constexpr int kLastCountedSlot = 13;  // the windows whose closing may end the program
constexpr uint8_t kPictureLibraryKind = 6;

QPointer<HFrm>& serviceWindowPointer() {
    static QPointer<HFrm> window;
    return window;
}

// Top-level windows in the order they were first shown since HFrm loaded.
std::vector<QPointer<QWidget>>& openedWindows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

// A timer handler's error stays in the handler: shown, never thrown into the event loop.
template <class Step>
void guarded(Step step) noexcept {
    try {
        step();
    } catch (...) {
        ShowHandledError();
    }
}

bool slotInUse(int slot) {
    const WindowSlot& s = programState().WindowTable[static_cast<size_t>(slot)];
    return s.inUse != 0 && s.window != nullptr;
}

void unloadWidget(QWidget* w) {
    if (w == nullptr || w == serviceWindowPointer().data()) return;
    w->close();
    if (!w->testAttribute(Qt::WA_DeleteOnClose)) w->deleteLater();
}

// Every loaded window, the last opened first: the windows shown since HFrm loaded in reverse
// order, then any window of the table that was never shown, then any other window on screen.
void unloadEveryWindow() {
    std::vector<QPointer<QWidget>> windows(openedWindows().rbegin(), openedWindows().rend());
    for (int slot = kWindowTableSlots - 1; slot >= 0; --slot) {
        if (QWidget* w = programState().WindowTable[static_cast<size_t>(slot)].window) windows.emplace_back(w);
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) windows.emplace_back(w);
    }
    openedWindows().clear();
    std::vector<QWidget*> done;
    for (const QPointer<QWidget>& w : windows) {
        if (w.isNull() || std::find(done.begin(), done.end(), w.data()) != done.end()) continue;
        done.push_back(w.data());
        unloadWidget(w.data());
    }
    programState().WindowTable.fill({});
}

}  // namespace

HFrm::HFrm() {
    setObjectName(QStringLiteral("HFrm"));
    setAttribute(Qt::WA_DontShowOnScreen);
    Timer1.setInterval(kActionIntervalMs);
    Timer2.setInterval(kWorkIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, &HFrm::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &HFrm::Timer2_Timer);
    qApp->installEventFilter(this);
    Form_Load();
    Timer2.start();
}

HFrm::~HFrm() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void HFrm::Form_Load() {
    const ProgramState& ms = programState();
    const QRect inner = geometry();
    const QRect outer = frameGeometry();
    const int32_t widthTw = outer.width() * ms.machine.TwipsPerPixelX;
    const int32_t heightTw = outer.height() * ms.machine.TwipsPerPixelY;
    FrameWidthTw = widthTw - ms.machine.TwipsPerPixelX * inner.width();
    FrameHeightTw = heightTw - ms.machine.TwipsPerPixelY * inner.height();
    FrameWidthPx = plat::clampToInt32(static_cast<double>(widthTw) / ms.machine.TwipsPerPixelX) - inner.width();
    FrameHeightPx = plat::clampToInt32(static_cast<double>(heightTw) / ms.machine.TwipsPerPixelY) - inner.height();
    QMenuBar bar;
    FrameMenuHeightPx = FrameHeightPx + bar.sizeHint().height();
}

void HFrm::closeEvent(QCloseEvent* event) {
    if (unloading_)
        event->accept();
    else
        event->ignore();
}

bool HFrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType() && watched != this) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow()) {
            std::vector<QPointer<QWidget>>& opened = openedWindows();
            bool known = false;
            for (const QPointer<QWidget>& p : opened) known = known || p.data() == w;
            if (!known) opened.emplace_back(w);
        }
    }
    return false;
}

void HFrm::Timer1_Timer() {
    ServiceState& s = serviceState();
    if ((programState().run.RunFlags & kShowRunning) != 0) return;
    switch (s.DeferredAction) {
    case deferred::kRestart:
        // Idle first, so that a settings dialog that posts an action while it opens keeps it.
        s.DeferredAction = deferred::kShutdown;
        Timer1.stop();
        guarded([] {
            InitEngine();
            // InitDLL reset the engine's colour tables; the method and table go over again.
            ApplyColorTranslation();
        });
        guarded([] { windowParts().showSettings(); });
        break;
    case deferred::kCloseAndRestart:
        s.DeferredAction = deferred::kRestart;
        guarded([] { UnloadSlotWindow(kSettingsSlot); });
        guarded([&s] {
            s.EngineStarted = false;
            lv::CloseDLL();
        });
        ForgetBufferClasses();
        break;
    default: Shutdown(); break;
    }
}

void HFrm::Timer2_Timer() {
    guarded([] { TickPendingMove(); });
    ServiceState& s = serviceState();
    if (s.TipCountdown != 0 && --s.TipCountdown == 0) {
        guarded([] {
            if (upperCalls().hideTip != nullptr) upperCalls().hideTip();
        });
    }
    if (s.CommandRunning != 0) return;
    const int highest = std::min<int>(s.HighestStockSlot, kLastStockSlot);
    for (int slot = 1; slot <= highest; ++slot) {
        if (!slotInUse(slot) || s.RefreshCountdown[static_cast<size_t>(slot)] == 0) continue;
        if (--s.RefreshCountdown[static_cast<size_t>(slot)] != 0) continue;
        guarded([slot] { CallRfsh0(programState().WindowTable[static_cast<size_t>(slot)].window); });
    }
}

HFrm& LoadServiceWindow() {
    QPointer<HFrm>& window = serviceWindowPointer();
    if (window.isNull()) {
        // The program ends through its own shutdown, never because its last window closed.
        QApplication::setQuitOnLastWindowClosed(false);
        openedWindows().clear();
        window = new HFrm();
    }
    return *window;
}

HFrm* serviceWindowIfLoaded() { return serviceWindowPointer().data(); }

void UnloadServiceWindow() {
    QPointer<HFrm>& window = serviceWindowPointer();
    if (window.isNull()) return;
    HFrm* w = window.data();
    window.clear();
    w->Timer1.stop();
    w->Timer2.stop();
    w->unloading_ = true;
    w->close();
    // Its own timer handler may be running: gone once that has returned.
    w->deleteLater();
}

void PostDeferredAction(int32_t code) {
    serviceState().DeferredAction = code;
    LoadServiceWindow().Timer1.start();
}

void ProcessEnd::end(int32_t exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void Shutdown() {
    ServiceState& s = serviceState();
    if (s.EngineStarted) {
        guarded([] { CloseLibraries(); });
        guarded([&s] {
            s.EngineStarted = false;
            lv::CloseDLL();
        });
    }
    guarded([] { DeleteScratchDC(); });
    unloadEveryWindow();
    UnloadServiceWindow();
    RemoveTerminateHandler();
    ProgramState& ms = programState();
    ms.instance.InstanceMutex.Close();
    ms.instance.SlotMutex.Close();
    Installed<ProcessEnd>()->end(s.ExitCode);
}

void CloseLibraries() {
    ProgramState& st = programState();
    lv::CloseCache();
    SharedArrays& a = st.Arrays;
    for (int32_t i = 1; i <= st.Shared.StockFileCount && a.StockFiles.has(i); ++i) {
        StockFileEntry& f = a.StockFiles[i];
        if (f.Kind == kPictureLibraryKind && f.LibHandle != 0) {
            lv::CloseLib32(static_cast<LvHandle>(f.LibHandle));
            f.LibHandle = 0;
        }
    }
    for (int32_t i = 1; i <= st.Shared.StockCount && a.Stock.has(i); ++i) a.Stock[i].PictureRef = 0;
}

void ResetLibraryTables() {
    CloseLibraries();
    ProgramState& st = programState();
    SharedArrays& a = st.Arrays;
    for (int32_t i = 1; i <= st.Shared.StockCount && a.Stock.has(i); ++i) {
        StockEntry& e = a.Stock[i];
        e.PicField16 = e.Width = e.PicField20 = e.Height = 0;
    }
    for (int32_t i = 1; i <= st.Shared.StockFileCount && a.StockFiles.has(i); ++i) {
        a.StockFiles[i].LibHandle = 0;
        a.StockFiles[i].LoadState = 0;
    }
}

bool UnloadSlotWindow(int slot) {
    if (slot < 0 || slot >= kWindowTableSlots || !slotInUse(slot)) return true;
    WindowSlot& s = programState().WindowTable[static_cast<size_t>(slot)];
    QWidget* w = s.window;
    if (!w->close()) return false;
    if (programState().WindowTable[static_cast<size_t>(slot)].window == w)
        programState().WindowTable[static_cast<size_t>(slot)] = {};
    if (!w->testAttribute(Qt::WA_DeleteOnClose)) w->deleteLater();
    return true;
}

void UnloadWindow(int16_t& /*ignored*/, uint8_t slot) {
    int16_t force = -1;
    CloseTextWindow(force);
    bool others = false;
    for (int s = 1; s <= kLastCountedSlot; ++s) others = others || (s != slot && slotInUse(s));
    if (!others && canvasSlot(1).inUse != 0) FreeCanvas(1);
    if (slot != 0) UnloadSlotWindow(slot);
    if (others) return;
    if (slot != kSettingsSlot && SettingsDialogOpen()) {
        QWidget* settings = programState().WindowTable[kSettingsSlot].window;
        settings->raise();
        settings->activateWindow();
        return;
    }
    LoadServiceWindow().Timer1.start();
}

void UnloadAllWindows(int16_t mode) {
    ProgramState& st = programState();
    if (mode != 2 && (st.run.RunFlags & kShowRunning) != 0) {
        st.run.StopRequest = 1;
        return;
    }
    for (int slot = 1; slot < kWindowTableSlots; ++slot) {
        if (slot == kSettingsSlot || !slotInUse(slot)) continue;
        if (!UnloadSlotWindow(slot)) return;
    }
    if (mode == 0 && SettingsDialogOpen()) UnloadSlotWindow(kSettingsSlot);
}

int32_t FreeSurface(LvHandle surface, int32_t /*code*/) {
    lv::DeleteSurface(&surface);
    return 0;
}

std::u16string GetVersionText() {
    const std::u16string v = GetText(u"VERX", u"", kTextStemOnly);
    std::u16string d;
    try {
        d = engine_calls::versionText();
    } catch (const std::exception&) {
        // Without the library the line still names the program's version.
    }
    const std::u16string script = showParts().scriptVersionText();
    if (script.empty()) return v + u": " + kProgramVersion + u" (" + u"Dll: " + d + u")";
    return v + u": " + script + u"  (Scr: " + kProgramVersion + u", " + u"Dll: " + d + u")";
}

}  // namespace yov
