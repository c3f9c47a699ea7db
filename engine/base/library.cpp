// Library start and stop.
//
// The workers (the picture loader thread, and the blit thread under the 20 ms timer) run from
// the first InitDLL to CloseDLL; a repeated InitDLL only refreshes the binding, the colour
// tables, the screen metrics and the menus.
#include "engine/base/library.h"

#include "engine/display/blit.h"
#include "engine/pictures/colour_tables.h"
#include "engine/pictures/compare.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "engine/pictures/loader.h"
#include "engine/ui/menus.h"
#include "engine/stock/stock_index.h"
#include "engine/ui/windows.h"
#include "lumvatek/exports.h"

namespace {

bool g_initialised = false;
// The picture loader thread exists; the timer and its blit thread start and stop with it.
bool g_workersStarted = false;

void StartWorkers() {
    g_workersStarted = true;
    lvk::StartPictureLoader();
    StartMMTimer(20);  // without a timer, batches wait and WaitBlt returns at once
}

// Each worker is waited for at most 100 ms and never touches what CloseDLL frees afterwards:
// a blit thread that did not end in time keeps only its own run (engine/display/blit_thread.cpp).
void StopWorkers() {
    if (!g_workersStarted) return;
    g_workersStarted = false;
    lvk::StopBlitWorkers();
    lvk::StopPictureLoader();  // returns once the loader has ended: it finishes a load in progress
}

// The process-detach handler, registered when the library is first bound. Registering it then,
// rather than when the library is loaded, makes it run before the destructors of everything the
// library had made by that time, so CloseDLL still finds its tables alive.
struct DetachAtExit {
    ~DetachAtExit() { lvk::ProcessDetach(); }
};

}  // namespace

namespace lvk {

bool LibraryInitialised() { return g_initialised; }

void ProcessDetach() {
    SetEventCallback(nullptr);
    CloseAllFrms();
    CloseDLL();
}

}  // namespace lvk

LvResult InitDLL(LvInstance instance, LvEventProc onEvent, LvRandomProc random, SharedState* shared,
                 LvArrayDesc* stockEntries, LvArrayDesc* stockFiles, LvArrayDesc* authors, LvArrayDesc* libInfos,
                 LvArrayDesc* categories, LvArrayDesc* languages, LvArrayDesc* texts, LvArrayDesc* descKeys,
                 LvArrayDesc* descValues, LvArrayDesc* descTexts) noexcept {
    static DetachAtExit detachAtExit;
    lvk::Binding().instance = instance;
    lvk::SetEventCallback(onEvent);
    lvk::BindShared(shared, random);
    lvk::BindArrays(
        {stockEntries, stockFiles, authors, libInfos, categories, languages, texts, descKeys, descValues, descTexts});
    g_initialised = true;
    lvk::ResetColourTables();
    lvk::InitScreenMetrics();
    lvk::SetTickRecord(shared);
    if (!g_workersStarted) StartWorkers();
    return 0;
}

LvResult CloseDLL() noexcept {
    if (!g_initialised) return 0;
    g_initialised = false;
    StopWorkers();
    lvk::DestroyMenus();
    lvk::FreePictureBuffers();
    lvk::FreeCmpReference();
    lvk::FreeCmpWork();
    lvk::FreeStockIndex();
    ShutdownBuffer(0, nullptr, nullptr, nullptr);
    lvk::SetTickRecord(nullptr);
    lvk::BindShared(nullptr, lvk::Binding().random);
    return 0;
}
