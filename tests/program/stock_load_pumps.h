// The window events a stock load lets run, as tests, benchmarks and fuzz targets meet them:
// counted, and the test's own step run in their place when set; no window system's events
// run. In place while it lives.
#pragma once

#include <functional>

#include "program/stock_data/stock_state.h"

namespace program_test {

class CountedEventPumps : public yov::StockLoadEvents {
public:
    void pumpEvents() override {
        ++count;
        if (onPump) onPump();
    }

    int count = 0;
    std::function<void()> onPump;

private:
    yov::ScopedInstall<yov::StockLoadEvents> use_{*this};
};

}  // namespace program_test
