// Until start-up and its windows exist, yov binds the engine, starts and stops it, and
// says plainly what is not available yet.
#include <cstdio>

#include "lumvatek/shared.h"
#include "program/core/engine_binding.h"

namespace {
int32_t IgnoreEvent(DllEventRec*) noexcept { return 0; }
int32_t NoRandom(int32_t, int32_t) noexcept { return 0; }
}  // namespace

int main() {
    static SharedState shared;
    static SharedArrays arrays;
    try {
        yov::lv::InitDLL(0, IgnoreEvent, NoRandom, &shared, arrays.Stock.desc(), arrays.StockFiles.desc(),
                         arrays.Authors.desc(), arrays.LibInfos.desc(), arrays.Categories.desc(),
                         arrays.Languages.desc(), arrays.LangTexts.desc(), arrays.DescKeys.desc(),
                         arrays.DescValues.desc(), arrays.DescTexts.desc());
        std::fprintf(stderr,
                     "yov: engine library bound (%s).\n"
                     "yov: the show, the settings dialog and the stock browser are not available yet.\n",
                     yov::engine_binding::loadedLibraryPath().c_str());
        yov::lv::CloseDLL();
    } catch (const yov::EngineBindingError& e) {
        std::fprintf(stderr, "yov: %s\n", e.what());
        return 1;
    }
    return 0;
}
