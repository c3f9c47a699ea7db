#include "program/core/startup/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <ctime>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/perf_counter.h"
#include "platform/text.h"
#include "program/core/windows/context_help.h"
#include "program/core/startup/command_line.h"
#include "program/core/startup/foreign_window_mode.h"
#include "program/core/binding/engine_events.h"
#include "program/core/texts/error_log.h"
#include "program/core/startup/instance_control.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/service_window.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/startup_parts.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/window_dispatch.h"
#include "program/core/windows/window_parts.h"
#include "program/core/windows/window_system.h"

namespace yov {

namespace {

constexpr uint16_t kStartLimitFlags = 0xE000;
constexpr int32_t kBuiltinDescKeys = 7;
constexpr uint8_t kStartPaintFlags = 169;
constexpr char16_t kSpace = u' ';

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::u16string withoutQuotes(std::u16string name) {
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') return name.substr(1, name.size() - 2);
    return name;
}

// The setting "DllReg" keeps a bit for each shared component registered once; nothing needs
// registering here, so each step succeeds and keeps its bit, and the setting still tells which ran.
void RegisterComponents() {
    static const int32_t kComponentBits[] = {1, 2, 4, 8, 16, 64};  // OleAut32 ... RichTx32.ocx
    constexpr int32_t kRegisteredNow = static_cast<int32_t>(0x80000000u);
    try {
        int32_t bits = GetRegNumber(u"DllReg", 0) & 0x7FFFFFFF;
        for (const int32_t bit : kComponentBits) {
            if ((bits & bit) == 0) bits |= bit | kRegisteredNow;
        }
        if ((bits & kRegisteredNow) != 0) SaveRegNumber(u"DllReg", bits & 0x7FFFFFFF);
    } catch (...) {
        // A registration that fails leaves its bit clear, so the next start tries again.
    }
}

// "/addcnf " and "/addstk ": every name that follows goes to the top of its list, as written
// (the switch is read without regard to case, the names are not: on Linux the case of a file
// name is part of it).
void AddFilesToList(std::u16string_view commandLine, int list) {
    std::vector<std::u16string> names;
    std::u16string rest = plat::trim(plat::mid(commandLine, 9));
    for (;;) {
        std::u16string name;
        const int32_t blank = rest.empty() ? 0 : engine_calls::rLook(rest, 1, 0, kSpace);
        if (blank > 0) {
            name = plat::left(rest, blank - 1);
            rest = plat::ltrim(plat::mid(rest, blank + 1));
        } else {
            name = rest;
            rest.clear();
        }
        name = withoutQuotes(std::move(name));
        if (name.empty()) break;
        names.push_back(std::move(name));
    }
    startupParts().addRecentFiles(list, names);
}

void setLayoutMetrics() {
    ProgramState& ms = programState();
    ms.machine.ScrollWidthPx = 255 / ms.machine.TwipsPerPixelX;
    ms.machine.CtlHeightPx = 315 / ms.machine.TwipsPerPixelY;
    ms.machine.TextHeightPx = 195 / ms.machine.TwipsPerPixelY;
    ms.machine.TextOffsetPx = (ms.machine.CtlHeightPx - ms.machine.TextHeightPx) / 2;
    ms.machine.CtlHeight2Px = ms.machine.CtlHeightPx;
    ms.machine.EditHeightPx = 285 / ms.machine.TwipsPerPixelY;
}

void findTempDir(bool screenSaver) {
    ProgramState& st = programState();
    if (screenSaver) {
        // The screen saver trusts what an earlier run found; an empty setting would put the log
        // at the root, so it searches then (and stores nothing).
        st.files.TempDir = GetRegString(u"TmpDir", u"");
        if (st.files.TempDir.empty()) st.files.TempDir = SearchTempDir();
        return;
    }
    st.files.TempDir = SearchTempDir();
    SaveRegString(u"TmpDir", st.files.TempDir);
}

// A file of the recent list: the screen-saver daemon's option for this run when given; else
// the copy's own; under the daemon, where the other monitors' copies take slots B to F, a
// copy without files of its own shows those of the first slot.
std::u16string lastFile(const std::u16string& option, const char16_t* name) {
    if (!option.empty()) return option;
    const std::u16string& instanceKey = programState().road.InstanceLetter;
    std::u16string file = GetRegString(name, u"", instanceKey);
    if (file.empty() && !instanceKey.empty() && CurrentForeignWindowMode().active) file = GetRegString(name, u"");
    return file;
}

void readLastFiles() {
    ProgramState& ms = programState();
    const std::u16string script = lastFile(ms.road.SaverScript, u"Conf01");
    if (!script.empty() && script != u"*" && FileExistsMin(script, 10)) {
        ms.scene.ConfigOk = true;
        SetConfigFile(script);
    }
    const std::u16string stock = lastFile(ms.road.SaverStock, u"Stock01");
    if (!stock.empty() && stock != u"*" && FileExistsMin(stock, 10)) {
        ms.scene.StockOk = true;
        startupParts().setStockName(stock);
    }
}

void findHelp() {
    std::u16string h = FindHelpFile(u"rolvanee.hlp", u"HelpE", 1);
    if (h.empty()) h = FindHelpFile(u"rolvaneg.hlp", u"HelpG", 2);
    if (h.empty()) h = FindHelpFile(u"rolvane.hlp", u"Help0", 0);
    if (!h.empty()) helpFiles().HelpFile = h;
    const std::u16string doc = ProgramHome() + u"/doc/";
    programState().files.DocFile.clear();
    for (const char16_t* page : {u"timtabe.htm", u"timtab.htm", u"rolvane.htm"}) {
        if (FileExistsMin(doc + page, 1000)) {
            programState().files.DocFile = doc + page;
            break;
        }
    }
}

// Waits (taking the window system's events) until the settings dialog is on the screen, or
// is no longer there to wait for.
void waitForSettingsDialog() {
    QElapsedTimer waited;
    waited.start();
    constexpr qint64 kPatienceMs = 10000;
    for (;;) {
        const WindowSlot& s = programState().WindowTable[kSettingsSlot];
        if (s.inUse == 0 || s.window == nullptr || s.window->isVisible() || waited.elapsed() > kPatienceMs) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// The show in the screen-saver daemon's window: one copy per monitor, so another copy does
// not refuse it, and nothing may pop up over the daemon's screen: without a scene script and
// stock the preview's pictures run in the window instead of the settings dialog opening.
void runInForeignWindow(const ForeignWindowMode& foreign) {
    ProgramState& ms = programState();
    const WindowSystem& system = windowSystem();
    if (!foreign.root && system.watchForeignWindow != nullptr)
        system.watchForeignWindow(serviceWindowIfLoaded(), foreign.window);
    if (ms.scene.StockOk && ms.scene.ConfigOk) {
        ms.road.ScreenSaverMode = 1;
        showParts().runShow(1, ms.scene.ConfigFile);
        return;
    }
    showParts().showPreview(foreign.window);
}

// Step 22: the road the command line names (read lower-cased; a bare script name is taken
// from the command line as written).
void dispatch(std::u16string_view commandLine, std::u16string lowered) {
    ProgramState& ms = programState();
    if (const ForeignWindowMode foreign = CurrentForeignWindowMode(); foreign.active) {
        runInForeignWindow(foreign);
        return;
    }
    const std::u16string f = plat::left(lowered, 2);
    const bool ready = ms.scene.StockOk && ms.scene.ConfigOk;
    const bool showRoad =
        ((f == u"/s" || lowered.empty()) && ready) || (f == u"/f" && ready) || f == u"/m" || (f == u"/w" && ready);
    if (showRoad) {
        // A show while another copy runs: this copy ends, showing nothing.
        if (ms.instance.AnotherInstance) {
            PostDeferredAction(deferred::kShutdown);
            return;
        }
        uint8_t mode = 0;
        if (f == u"/s" || lowered.empty()) {
            ms.road.ScreenSaverMode = 1;
            mode = 1;
        } else if (f == u"/f") {
            mode = 1;
        }
        showParts().runShow(mode, ms.scene.ConfigFile);
        return;
    }
    if (f == u"/a") {
        if (ms.scene.StockOk) startupParts().loadStock();
        showParts().showSetPassword();
        PostDeferredAction(deferred::kShutdown);
        return;
    }

    // The window road.
    ms.settings.Debug = static_cast<int16_t>(GetRegNumberIn(u"Debug", 0, INT16_MIN, INT16_MAX));
    if (!lowered.empty() && lowered.front() != u'/') {
        SetConfigFile(withoutQuotes(std::u16string(commandLine)));
        lowered.clear();
    }
    if (lowered == u"/l" && ms.scene.StockOk) {
        windowParts().showStockBrowser();
        return;
    }
    if (f != u"/c") ms.road.StandaloneConfig = 1;
    windowParts().showSettings();
    if (f == u"/t" && ms.scene.StockOk) {
        waitForSettingsDialog();
        windowParts().showStockBrowser();
    }
}

// The report of a failed start when no message box could show it: the error log, and
// stderr because the log's folder may be what failed.
void reportUnshown(std::u16string_view text) noexcept {
    const std::u16string_view line = text.empty() ? std::u16string_view(u"Start-up failed") : text;
    WriteErrorLog(line);
    try {
        std::fprintf(stderr, "%s\n", plat::utf16ToUtf8(line).c_str());
    } catch (...) {
        std::fputs("Start-up failed\n", stderr);
    }
}

// Runs inside Main's handler, so nothing may leave it: the shutdown runs whatever the
// report of the error does.
MainResult failed(bool guiLoaded) noexcept {
    std::u16string text;
    try {
        const PendingError e = currentPendingError();
        text = u"Error " + decimal(e.number) + u" (" + e.description + u") after " +
               decimal(programState().run.ProgressCode);
        ShowMsgBox(text, msgbox::kOk, kProgramTitle);
    } catch (...) {
        reportUnshown(text);
    }
    // A copy that stopped half-way must not sit invisible on both mutexes: it shuts down.
    serviceState().ExitCode = 1;
    try {
        if (guiLoaded && QCoreApplication::instance() != nullptr) {
            PostDeferredAction(deferred::kShutdown);
            return {true, 1};
        }
    } catch (...) {
        reportUnshown(u"The shutdown could not be posted");
    }
    try {
        ReleaseInstance();
    } catch (...) {
        reportUnshown(u"The instance locks could not be released");
    }
    return {false, 1};
}

}  // namespace

void GetScreenArea() {
    ProgramState& ms = programState();
    ProgramState& st = programState();
    // Under the screen-saver daemon the screen is the daemon's window: one per monitor.
    if (const ForeignWindowMode foreign = CurrentForeignWindowMode(); foreign.active) {
        const WindowSystem& system = windowSystem();
        const ForeignSize size =
            system.foreignWindowSize != nullptr ? system.foreignWindowSize(foreign.window) : ForeignSize{};
        if (size.exists && size.width > 0 && size.height > 0) {
            ms.machine.MonitorCount = 1;
            st.machine.ScreenWidthPx = size.width;
            st.machine.ScreenHeightPx = size.height;
            return;
        }
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    ms.machine.MonitorCount = static_cast<uint8_t>(std::min<qsizetype>(screens.size(), 255));
    QScreen* primary = QGuiApplication::primaryScreen();
    if (ms.machine.MonitorCount != 0 && primary != nullptr) {
        const QRect desktop = primary->virtualGeometry();
        st.machine.ScreenWidthPx = desktop.width();
        st.machine.ScreenHeightPx = desktop.height();
        return;
    }
    ms.machine.MonitorCount = 1;
    const QSize size = primary != nullptr ? primary->size() : QSize(1024, 768);
    st.machine.ScreenWidthPx = size.width();
    st.machine.ScreenHeightPx = size.height();
}

MainResult Main(std::u16string_view commandLine) {
    ProgramState& ms = programState();
    ProgramState& st = programState();
    st.road.ProgramKey = u"Software\\Vantrel\\Yov";
    st.road.StartTime = std::time(nullptr);
    ms.road.CommandLine = std::u16string(commandLine);
    const std::u16string lowered = plat::lcase(commandLine);
    const std::u16string f = plat::left(lowered, 2);
    bool guiLoaded = false;
    try {
        if (f == u"/p") {
            // Only the preview: no mutex, no engine, no service window of its own.
            // X11 tools print window ids in hexadecimal, so "0x" ids are read as well.
            const std::u16string number = plat::trim(plat::mid(commandLine, 3));
            uintptr_t parent = ParseWindowId(plat::utf16ToUtf8(number));
            if (parent == 0) {
                const double value = plat::val(number);
                parent = value > 0 && value <= static_cast<double>(UINT32_MAX) ? static_cast<uintptr_t>(value) : 0;
            }
            showParts().showPreview(parent);
            return {true, 0};
        }
        if (!AcquireInstance()) {
            ReleaseInstance();
            return {false, 0};
        }
        RegisterComponents();
        if (startsWith(lowered, u"/addcnf ") || startsWith(lowered, u"/addstk ")) {
            AddFilesToList(commandLine, startsWith(lowered, u"/addcnf ") ? kScriptRecentList : kStockRecentList);
            ReleaseInstance();
            return {false, 0};
        }
        setLayoutMetrics();
        st.Shared.Limits.Flags = kStartLimitFlags;
        LoadServiceWindow();
        guiLoaded = true;
        InstallTerminateHandler(serviceWindowIfLoaded());
        st.Shared.BuiltinDescKeys = kBuiltinDescKeys;
        BuildStartupTables();
        GetScreenArea();
        ms.settings.PaintFlags = kStartPaintFlags;
        ms.files.WinDir = u"/usr/share/yov";
        ms.files.SysDir = u"/usr/share/doc/yov";
        findTempDir(f == u"/s");
        ms.machine.MsPerCounterTick = static_cast<float>(1000.0 / static_cast<double>(plat::QueryPerfFrequency()));
        InitEngine();
        st.files.ErrorLogPath = st.files.TempDir + u"/Rolvane.err";
        readLastFiles();
        findHelp();
        startupParts().readSettings();
        if (ms.road.SaverSpeed > 0)
            ms.settings.Show.Speed[kFullScreenMode] = static_cast<float>(ms.road.SaverSpeed) * 0.001f;
        dispatch(commandLine, lowered);
        return {true, 0};
    } catch (...) {
        return failed(guiLoaded);
    }
}

}  // namespace yov
