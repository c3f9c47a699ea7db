// Library start and stop.
#include "lumvatek/exports.h"

LvResult InitDLL(LvInstance, LvEventProc, LvRandomProc, SharedState*, LvArrayDesc*, LvArrayDesc*,
                 LvArrayDesc*, LvArrayDesc*, LvArrayDesc*, LvArrayDesc*, LvArrayDesc*, LvArrayDesc*,
                 LvArrayDesc*, LvArrayDesc*) noexcept {
  return 0;
}

LvResult CloseDLL() noexcept { return 0; }
