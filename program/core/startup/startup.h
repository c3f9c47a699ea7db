// Start-up: Main decides from the command line what this run is, keeps the number of copies
// under control, fills the program-wide tables and settings, starts the engine and hands
// control to the window or show the command line asks for. The program then lives on in its
// windows and in the service window's timers, which also end it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

struct MainResult {
    bool keepRunning = false;  // run the event loop: a window, a show's end or the shutdown is pending
    int32_t exitCode = 0;      // when not: the process's status
};

// The start-up procedure. commandLine: the arguments as one text (command_line.h).
MainResult Main(std::u16string_view commandLine);

// The screen globals: monitor count, the virtual desktop in pixels and twips.
void GetScreenArea();

// True when a normal file of that name exists (found in any letter case) with more than
// `minimum` bytes; any error gives false.
bool FileExistsMin(std::u16string_view path, int64_t minimum);

// The full path of a help file, or "" (see startup_help.cpp for where it is looked for).
std::u16string FindHelpFile(std::u16string_view fileName, std::u16string_view settingName, int index);

// The current language (setting "Lang") and its help file. Called by stock loading once the
// languages are known.
void SelectLanguage();

// The folder holding the program's documentation folder "doc": beside the program (where the
// install puts it: PREFIX/lib/yov), above it, its share folder, else the source tree it was
// built from. An installed copy finds its own pages before those of the tree it came from.
std::u16string ProgramHome();
// The same for a program in `programFolder`.
std::u16string ProgramHomeOf(const std::string& programFolder);

// The help stand-in: help files are HTML pages of the same name ("rolvanee.hlp" is read as
// "rolvanee.htm").
std::u16string HelpPageName(std::u16string_view helpFile);

// The temporary folder: TMP, TEMP, TMPDIR (each only when it names a folder), else /tmp.
std::u16string SearchTempDir();

}  // namespace yov
