// Library start and stop.
#include "engine/colour_tables.h"
#include "engine/current_picture.h"
#include "engine/blit.h"
#include "engine/engine_state.h"
#include "engine/events.h"
#include "engine/loader.h"
#include "engine/menus.h"
#include "engine/stock_index.h"
#include "engine/windows.h"
#include "lumvatek/exports.h"

namespace {
// The workers run from the first InitDLL to CloseDLL; a repeated InitDLL starts nothing.
bool g_workersStarted = false;
}  // namespace

LvResult InitDLL(LvInstance instance, LvEventProc onEvent, LvRandomProc random, SharedState* shared,
                 LvArrayDesc* stockEntries, LvArrayDesc* stockFiles, LvArrayDesc* authors,
                 LvArrayDesc* libInfos, LvArrayDesc* categories, LvArrayDesc* languages,
                 LvArrayDesc* texts, LvArrayDesc* descKeys, LvArrayDesc* descValues,
                 LvArrayDesc* descTexts) noexcept {
  lvk::Binding().instance = instance;
  lvk::SetEventCallback(onEvent);
  lvk::BindShared(shared, random);
  lvk::BindArrays({stockEntries, stockFiles, authors, libInfos, categories, languages, texts,
                   descKeys, descValues, descTexts});
  lvk::ResetColourTables();
  lvk::InitScreenMetrics();
  lvk::SetTickRecord(shared);
  if (!g_workersStarted) {
    g_workersStarted = true;
    lvk::StartPictureLoader();
    StartMMTimer(20);  // without a timer, batches wait and WaitBlt returns at once
  }
  return 0;
}

LvResult CloseDLL() noexcept {
  if (g_workersStarted) {
    g_workersStarted = false;
    lvk::StopBlitWorkers();
    lvk::StopPictureLoader();  // returns once the loader has ended: it finishes a load in progress
  }
  lvk::DestroyMenus();
  ShutdownBuffer(0, nullptr, nullptr, nullptr);
  lvk::SetTickRecord(nullptr);
  lvk::FreePictureBuffers();
  lvk::FreeStockIndex();
  lvk::BindShared(nullptr, lvk::Binding().random);
  return 0;
}
