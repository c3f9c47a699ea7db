// The process end as tests meet it: each end the program asks for is written down instead
// of ending the test binary. In place while it lives.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "program/core/startup/service_window.h"

namespace program_test {

class RecordedProcessEnds : public yov::ProcessEnd {
public:
    void end(int32_t exitCode) override {
        codes.push_back(exitCode);
        if (onEnd) onEnd(exitCode);
    }

    std::vector<int32_t> codes;          // the exit codes asked for, in order
    std::function<void(int32_t)> onEnd;  // the test's own step after each, when set

private:
    yov::ScopedInstall<yov::ProcessEnd> use_{*this};
};

}  // namespace program_test
