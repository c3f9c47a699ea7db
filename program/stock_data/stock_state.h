// The stock loader's own state: the current stock's name and what was derived from it, the
// answers and marks of the load that runs or ran last, and the seam through which a long
// load lets the window system's pending events run.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

#include "program/core/startup/installed.h"

namespace yov {

// Load modes: 0 a full load with the progress window; any other value reads quietly and
// stops after the translated texts. A cancelled load leaves kLoadCancelled behind.
inline constexpr int32_t kLoadFull = 0;
inline constexpr int32_t kLoadCancelled = 65535;

struct StockState {
    std::u16string StockName;   // as SetStockName was given it
    std::u16string StockKey;    // the stock's settings subkey: "\Stock\" + name with "|" for "\" + "\"
    std::u16string LoadedName;  // the stock name the tables were last read from
    bool BinaryStock = false;   // the tables came from a binary stock file
    int32_t LoadMode = kLoadFull;
    int32_t Background = 0;          // the stock's default background colour, 0x00BBGGRR
    int32_t CategoryNumber = 0;      // the last running category number handed out
    int32_t CodeLetterPosition = 0;  // position of the last letter CodeLetterValue looked up
    int32_t StockProgress = 0;       // the stock windows' progress counter over the tables

    // --- The load in progress (reset at the start of every load).
    bool Loading = false;     // a load runs: events it lets run cannot start another
    int32_t ErrorAnswer = 0;  // remembered answer of the load's key-line error reports
    bool DescriptionsPresent = false;
    bool Aborted = false;                         // an error report was answered with Cancel
    std::u16string Fault;                         // a limit the file ran into, reported after the load
    std::unordered_set<std::u16string> TextKeys;  // the translated-text keys read so far
};

StockState& stockState();

// What a stock load asks of the window system while it runs: to let the pending window
// events run (the progress window, its cancel key). Its own `pumpEvents` is the Qt event
// loop's; tests, benchmarks and fuzz targets count or replace them with a derived one
// installed for their lifetime (`ScopedInstall<StockLoadEvents>`).
class StockLoadEvents {
public:
    virtual ~StockLoadEvents() = default;
    virtual void pumpEvents();
};

// A message of the loader for the user: an O.K. box (none while the show presents through
// DirectDraw) and a line of the error log, so that a stock refused by the screen saver
// leaves a trace.
void ShowStockMessage(const std::u16string& text);

}  // namespace yov
