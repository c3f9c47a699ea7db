// The command line as start-up reads it: one text, as Windows hands a program its arguments.
//
// The arguments are joined with blanks; one that is empty or holds a blank or a TAB is put in
// double quotes, so `yov /addcnf a.ttt "b c.ttt"` reads as written. The X screen-saver
// convention (`-root`/`--root`, `-window-id N`/`--window-id N`, or XSCREENSAVER_WINDOW with
// no other argument) becomes "/s" with the daemon's window kept aside: the show then runs full
// screen inside that window. There the daemon's settings dialog may add "--script FILE",
// "--stock FILE" and "--speed N" (1 to 100, the full-screen "Speed"): this run's scene script,
// stock and speed in place of the stored ones. Without the convention they are ordinary
// arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace yov {

struct CommandLine {
    std::u16string text;         // what Main reads
    uintptr_t saverWindow = 0;   // the daemon's window; 0 for none or the root window
    bool saverRoot = false;      // the show covers the root window
    bool saver = false;          // started by an X screen-saver daemon
    std::u16string saverScript;  // --script: the scene script of this run, "" for the stored one
    std::u16string saverStock;   // --stock: likewise the stock
    int32_t saverSpeed = 0;      // --speed, clamped to 1..100; 0 for the stored speed
};

// arguments: argv[1..]. saverWindowEnv: XSCREENSAVER_WINDOW (null when unset).
CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const char* saverWindowEnv);

// A window id as the daemons write it: decimal or 0x hexadecimal; 0 when it is neither.
uintptr_t ParseWindowId(const std::string& text);

}  // namespace yov
