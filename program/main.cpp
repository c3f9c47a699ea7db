// yov: the program's entry. It turns the arguments into the command line start-up reads,
// makes the application object when the road needs windows, runs Main and then the event
// loop; the service window's shutdown ends the process.
#include <QApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/text.h"
#include "program/core/startup/command_line.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup.h"
#include "program/core/startup/terminate_signal.h"
#include "program/ui/program_wiring.h"

namespace {

// Adding files to the recent lists touches only the settings: it runs without a display.
bool needsNoWindows(const std::u16string& commandLine) {
    const std::u16string lowered = plat::lcase(commandLine);
    return lowered.rfind(u"/addcnf ", 0) == 0 || lowered.rfind(u"/addstk ", 0) == 0;
}

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    // From here on SIGTERM and SIGINT end the process with status 0, whatever road it takes.
    yov::InstallTerminateSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const yov::CommandLine line = yov::ReadCommandLine(arguments, std::getenv("XSCREENSAVER_WINDOW"));
    yov::ProgramState& ms = yov::programState();
    ms.road.SaverWindow = line.saverWindow;
    ms.road.SaverRoot = line.saverRoot;
    ms.road.SaverScript = line.saverScript;
    ms.road.SaverStock = line.saverStock;
    ms.road.SaverSpeed = line.saverSpeed;

    // Each part of the program hands its entries to start-up before Main runs.
    yov::WireProgram();
    if (needsNoWindows(line.text)) return yov::Main(line.text).exitCode;
    if (!haveDisplay()) {
        std::fprintf(stderr, "yov: no display to open windows on (DISPLAY is not set).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Yov"));
    const yov::MainResult result = yov::Main(line.text);
    if (!result.keepRunning) return result.exitCode;
    return QApplication::exec();
}
