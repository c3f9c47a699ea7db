// A clean show for each test: the run queue, the train records, the show state and lists,
// the picture-part pool, and an empty scene model whose section records the tests make with
// Sect(n) (finish mode "wait", no line limit). Surfaces and buffers given back are recorded;
// only those the engine made during the test reach it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "freed_handles_engine.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/utilities.h"
#include "program/scene/script_reader.h"
#include "program/show/sections.h"
#include "program/show/show_records.h"
#include "program/show_data/show_state.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"
#include "program/trains/train_start_state.h"

namespace show_test {

// Outside the template: assigning the scene model there trips the compiler.
void ClearSceneModel();
yov::SectRec& MakeSect(int32_t n);

template <class Base = ::testing::Test>
class ShowTestOn : public Base {
protected:
    // Tests of case tables call SetUp and TearDown once per case.
    void SetUp() override {
        Base::SetUp();
        ClearSceneModel();
        freedSurfaces.clear();
        freedBuffers.clear();
        fresh_.emplace();
        yov::trainStart() = yov::TrainStartState{};
        yov::ClearPicturePools();
        yov::programRandom().seed(12345);
        freeing_.emplace(freedSurfaces, freedBuffers);
    }
    void TearDown() override {
        ClearSceneModel();
        yov::ClearPicturePools();
        fresh_.reset();
        freeing_.reset();
        yov::programState().run.StopRequest = 0;
        yov::programState().run.RunFlags = 0;
        Base::TearDown();
    }

    // Section record n of the scene model, made (with every record below it) when missing.
    static yov::SectRec& Sect(int32_t n) { return MakeSect(n); }
    // The root band over the whole scene, for section 1.
    int32_t Root(int32_t height = 600) {
        Sect(1);
        return yov::AddTimedEvent(yov::event_kind::kRoot, 1, 0, 0, height);
    }
    int32_t Section(int32_t sect, int32_t parent, int32_t top, int32_t height, int32_t limit = 0) {
        Sect(sect).MaxLines = limit;
        return yov::AddTimedEvent(yov::event_kind::kSection, sect, parent, top, height);
    }
    // A train line in the band, made active.
    int32_t Train(int32_t parent, int32_t top, int32_t height) {
        const int32_t t = yov::NewTrainRec(static_cast<int16_t>(yov::train_flag::kDependent));
        yov::AddTimedEvent(yov::event_kind::kTrainLine, t, parent, top, height);
        yov::InsertActiveTrain(t);
        return t;
    }
    static std::vector<int32_t> Children(int32_t e) {
        std::vector<int32_t> out;
        for (int32_t c = yov::runQueue().at(e).FirstChild; c != 0 && out.size() < 1000;
             c = yov::runQueue().at(c).Next) {
            out.push_back(c);
        }
        return out;
    }
    static std::vector<int32_t> Active() {
        std::vector<int32_t> out;
        for (int32_t t = yov::trains().ActiveHead; t != 0 && out.size() < 1000; t = yov::trains().at(t).NextActive) {
            out.push_back(t);
        }
        return out;
    }
    static std::vector<int32_t> Due() {
        std::vector<int32_t> out;
        for (int32_t e = yov::showState().Lists.DueHead; e != 0 && out.size() < 1000;
             e = yov::runQueue().at(e).DueNext) {
            out.push_back(e);
        }
        return out;
    }

    std::vector<int32_t> freedSurfaces;
    std::vector<int32_t> freedBuffers;

private:
    std::optional<engine_test::FreedHandlesEngine> freeing_;
    std::optional<yov::FreshShowRecords> fresh_;
};

using ShowTest = ShowTestOn<>;

}  // namespace show_test
