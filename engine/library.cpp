// Library start and stop.
#include "engine/engine_state.h"
#include "engine/events.h"
#include "engine/menus.h"
#include "engine/windows.h"
#include "lumvatek/exports.h"

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
  lvk::InitScreenMetrics();
  return 0;
}

LvResult CloseDLL() noexcept {
  lvk::DestroyMenus();
  lvk::BindShared(nullptr, lvk::Binding().random);
  return 0;
}
