// What the script reader asks beyond the scene model it fills, in two objects by meaning.
//
// ScriptShowCalls is the show above the reader: the show's label text height, which the layer
// below the labels starts from, and the show's own options (the splash picture) out of the
// parameters just read. The show installs its own (`WireShow`); the reader alone (a fuzz
// target, the benchmark, a test of the reader) has this object itself: no label text and no
// show options.
//
// ScriptReadServices is what the program does for a read: report a failed read, name and load
// the stock, open the picture cache and yield while music plays. Its own methods are the
// program's; a harness or a test that must stay quiet or fast (no message box, no stock
// loaded, no pause) derives from it and installs itself in its place (`Installed`,
// `ScopedInstall`).
#pragma once

#include <cstdint>
#include <string>

#include "program/core/startup/installed.h"

namespace yov {

class ScriptShowCalls {
public:
    virtual ~ScriptShowCalls() = default;
    // The show's label text height, 0 before the show can tell.
    virtual int32_t labelHeight() { return 0; }
    // The show's options on the parameter set just parsed (a "$SPLASH" line's).
    virtual void parseShowOptions() {}
};

inline ScriptShowCalls& scriptShowCalls() { return *Installed<ScriptShowCalls>(); }

class ScriptReadServices {
public:
    virtual ~ScriptReadServices() = default;
    // The failed read's message: the program's error report, information icon, logged.
    virtual void report(int32_t number, const std::u16string& message);
    // "$STOCK": the stock file to use from now on.
    virtual void nameStock(const std::u16string& name);
    // After a whole read: the stock loaded, with its index.
    virtual void loadStock();
    // After a whole read: the picture cache opened as "$USECACHE" left it; with the cache off
    // the entries' cached pictures are forgotten.
    virtual void openPictureCache();
    // The millisecond the reader yields every hundred lines while music plays.
    virtual void pause();
};

inline ScriptReadServices& scriptReadServices() { return *Installed<ScriptReadServices>(); }

}  // namespace yov
