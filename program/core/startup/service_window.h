// The hidden service window HFrm with its two timers, the deferred actions, the countdowns of
// deferred work, the shutdown, and the unloading of the program's windows.
//
// What must not happen inside the handler that asks for it (ending the process, restarting the
// engine, a fresh settings dialog, a repeated window move, hiding the tool tip, redrawing a
// stock window) is posted as a code or a countdown and carried out by these timers on the main
// thread. No deferred action runs while a show is running (RunFlags bit 0x01): it waits for the
// tick after the show, since it would close the engine under the show's feet.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

#include "lumvatek/exports.h"
#include "program/core/startup/installed.h"

namespace yov {

namespace deferred {
inline constexpr int32_t kShutdown = 0;
inline constexpr int32_t kRestart = 1;          // engine and a fresh settings dialog
inline constexpr int32_t kCloseAndRestart = 4;  // settings dialog and engine closed, then 1
}  // namespace deferred

inline constexpr int kSettingsSlot = 33;
inline constexpr int kTextWindowSlot = 42;
inline constexpr int kLastStockSlot = 10;

struct ServiceState {
    int32_t DeferredAction = deferred::kShutdown;
    int32_t TipCountdown = 0;                                    // ticks until the tool tip is hidden
    std::array<uint8_t, kLastStockSlot + 1> RefreshCountdown{};  // stock slots 1..10
    uint8_t HighestStockSlot = 0;
    uint8_t CommandRunning = 0;  // a stock window runs a command
    bool EngineStarted = false;  // InitEngine ran and CloseDLL did not follow
    int32_t ExitCode = 0;        // of the shutdown
};

ServiceState& serviceState();

class HFrm : public QWidget {
    Q_OBJECT
public:
    HFrm();
    ~HFrm() override;

    QTimer Timer1;  // 60 ms, the deferred action; off until posted
    QTimer Timer2;  // 10 ms, the deferred work

    // Window-frame metrics: what a sizable window with a caption adds to its inner size. Qt sizes
    // and places windows by their inner size, so these are what the window system reports, 0
    // until it does; FrameMenuHeightPx adds a menu bar row, which Qt puts inside.
    int32_t FrameWidthTw = 0;
    int32_t FrameHeightTw = 0;
    int32_t FrameWidthPx = 0;
    int32_t FrameHeightPx = 0;
    int32_t FrameMenuHeightPx = 0;

    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();

protected:
    // Closing from the window system is refused; the program's own unloading goes through.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend void UnloadServiceWindow();
    bool unloading_ = false;
};

// The service window, loaded at the first call. Needs a QApplication.
HFrm& LoadServiceWindow();
HFrm* serviceWindowIfLoaded();
void UnloadServiceWindow();

// DeferredAction := code and Timer1 on (HFrm loaded first when needed).
void PostDeferredAction(int32_t code);

// The shutdown in its order: picture libraries and cache, CloseDLL, the scratch DC, every
// window (last opened first), HFrm, both mutexes, the end of the process.
void Shutdown();

// How the process ends: standard output flushed, then _Exit. Tests derive a recorder and
// install it for their lifetime (`ScopedInstall<ProcessEnd>`).
class ProcessEnd {
public:
    virtual ~ProcessEnd() = default;
    virtual void end(int32_t exitCode);
};

void CloseLibraries();
void ResetLibraryTables();

// Closes the window in the slot (0: none) and, when it was the last of slots 1 to 13, gives
// the settings dialog the focus or lets the pending deferred action run.
void UnloadWindow(int16_t& ignored, uint8_t slot);
// 0 everything, 1 all but the settings dialog, 2 as 0 without stopping a running show first.
void UnloadAllWindows(int16_t mode);
// Unloads the window of a WindowTable slot; false when it refused to go.
bool UnloadSlotWindow(int slot);

int32_t FreeSurface(LvHandle surface, int32_t code);
std::u16string GetVersionText();

// The program's own version: 4.3.10 and the letter X.
inline constexpr const char16_t* kProgramVersion = u"4.3.10X";

}  // namespace yov
