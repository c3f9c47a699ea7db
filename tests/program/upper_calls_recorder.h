// Stands in for the layers above the core for a test's lifetime: counts the tool tips hidden
// and the About windows asked for, answers the scene script's help links with `link`, and
// keeps the frame step the program put in place. The calls before it are back at its end.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "program/core/startup/upper_calls.h"

namespace program_test {

class UpperCallsRecorder {
public:
    UpperCallsRecorder() : previous_(current()) {
        current() = this;
        calls_.hideTip = [] { ++current()->tipsHidden; };
        calls_.showAbout = [] { ++current()->abouts; };
        calls_.scriptLink = [](int entry) {
            UpperCallsRecorder& r = *current();
            r.linksAsked.push_back(entry);
            return r.link ? r.link(entry) : std::string();
        };
    }
    ~UpperCallsRecorder() { current() = previous_; }
    UpperCallsRecorder(const UpperCallsRecorder&) = delete;
    UpperCallsRecorder& operator=(const UpperCallsRecorder&) = delete;

    int tipsHidden = 0;
    int abouts = 0;
    std::vector<int> linksAsked;
    std::function<std::string(int entry)> link;

private:
    static UpperCallsRecorder*& current() {
        static UpperCallsRecorder* recorder = nullptr;
        return recorder;
    }

    UpperCallsRecorder* previous_;
    yov::UpperCalls calls_ = yov::upperCalls();
    yov::ScopedInstall<yov::UpperCalls> use_{calls_};
};

}  // namespace program_test
