// Library start and stop.
#include "lumvatek/api.h"

LV_EXPORT LvResult InitDLL() { return 0; }
LV_EXPORT LvResult CloseDLL() { return 0; }
