// An engine whose blit thread's work is done at once: no batch is ever pending, and a batch is
// drawn (DoBlt) when it is handed over, onto `screenDc` when the test gives one, else onto
// the DC it came with; `onBatch` then sees it. Every other call goes on to the engine it
// replaced.
#pragma once

#include <cstdint>
#include <functional>

#include "engine_fake.h"
#include "lumvatek/blit.h"

namespace engine_test {

class ImmediateBlitEngine : public EngineFake {
public:
    ImmediateBlitEngine() = default;
    explicit ImmediateBlitEngine(LvHandle screen) : screenDc(screen) {}

    LvHandle screenDc = 0;
    std::function<void(int32_t count, const BlitOp* records, LvHandle dc)> onBatch;

    LvResult CheckBlt(int32_t*) override { return 0; }
    LvResult WaitBlt(int32_t*) override { return 0; }
    LvResult BatchBlt(int32_t count, const BlitOp* records, LvHandle dc) override {
        if (count > 0) next().DoBlt(count, records, screenDc != 0 ? screenDc : dc);
        if (onBatch) onBatch(count, records, dc);
        return 0;
    }
};

}  // namespace engine_test
