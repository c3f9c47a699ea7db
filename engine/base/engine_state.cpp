#include "engine/base/engine_state.h"

namespace lvk {

EngineBinding& Binding() {
    static EngineBinding binding;
    return binding;
}

void BindShared(SharedState* shared, LvRandomProc random) {
    Binding().shared = shared;
    Binding().random = random;
}

void BindArrays(LvArrayDesc* const (&arrays)[kSharedArrayCount]) {
    for (int i = 0; i < kSharedArrayCount; ++i) Binding().arrays[i] = arrays[i];
}

void BindArrays(SharedArrays& a) {
    BindArrays({a.Stock.desc(), a.StockFiles.desc(), a.Authors.desc(), a.LibInfos.desc(), a.Categories.desc(),
                a.Languages.desc(), a.LangTexts.desc(), a.DescKeys.desc(), a.DescValues.desc(), a.DescTexts.desc()});
}

int32_t RandomIndex(int32_t n, int32_t site) {
    LvRandomProc random = Binding().random;
    if (n < 2 || random == nullptr) return 0;
    const int32_t r = random(n, site);
    if (r < 0) return 0;
    return r >= n ? n - 1 : r;
}

}  // namespace lvk
