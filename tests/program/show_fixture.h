// A clean show for each test: the run queue, the train records, the show state and lists,
// the picture-part pool, and the seams to sections that live in a small table of the test's
// own (line limit, run state, finish mode, finishing flag). Freed surfaces and buffers are
// recorded with their call sites instead of reaching the engine.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "program/core/pictures/anim_pools.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/utilities.h"
#include "program/show/show_seams.h"
#include "program/show/show_state.h"
#include "program/show/timed_events.h"
#include "program/show/train_records.h"

namespace show_test {

struct FakeSect {
  int32_t event = 0;
  int32_t top = 0;
  int32_t height = 0;
  int32_t lineLimit = 0;
  uint8_t runState = 0;
  uint8_t finishMode = 3;
  bool finishing = false;
  int32_t linePosition = 0;
};

template <class Base = ::testing::Test>
class ShowTestOn : public Base {
 protected:
  ShowTestOn() : savedPools_(yov::animPoolHooks()) {}

  // Tests of case tables call SetUp and TearDown once per case.
  void SetUp() override {
    Base::SetUp();
    sects.clear();
    freedSurfaces.clear();
    freedBuffers.clear();
    yov::runQueue() = yov::RunQueue{};
    yov::ResetTrainTable();
    yov::showState() = yov::ShowState{};
    yov::showSeams() = yov::ShowSeams{};
    yov::ClearPicturePools();
    yov::programRandom().seed(12345);
    yov::AnimPoolHooks& h = yov::animPoolHooks();
    h.freeSurface = [this](int32_t s, int32_t site) { freedSurfaces.emplace_back(s, site); };
    h.freeDrawBuffer = [this](int32_t b) { freedBuffers.push_back(b); };
    yov::ShowSeams& s = yov::showSeams();
    s.sectionCount = [this] { return static_cast<int32_t>(sects.size()); };
    s.bindSectionEvent = [this](int32_t sect, int32_t entry, int32_t top, int32_t height) {
      FakeSect& f = sects[sect];
      f.event = entry;
      f.top = top;
      f.height = height;
      return f.lineLimit;
    };
    s.sectionRunState = [this](int32_t sect) { return sects[sect].runState; };
    s.setSectionRunState = [this](int32_t sect, uint8_t v) { sects[sect].runState = v; };
    s.sectionFinishMode = [this](int32_t sect) { return sects[sect].finishMode; };
    s.markSectionFinishing = [this](int32_t sect) { sects[sect].finishing = true; };
    s.sectionLinePosition = [this](int32_t sect) { return sects[sect].linePosition; };
    s.parseDirection = [](std::u16string_view text) -> int16_t { return text == u"L" ? -1 : 1; };
  }
  void TearDown() override {
    yov::runQueue() = yov::RunQueue{};
    yov::ResetTrainTable();
    yov::showSeams() = yov::ShowSeams{};
    yov::ClearPicturePools();
    yov::animPoolHooks() = savedPools_;
    yov::programState().StopRequest = 0;
    yov::programState().RunFlags = 0;
    Base::TearDown();
  }

  // The root band over the whole scene, for section 1.
  int32_t Root(int32_t height = 600) { return yov::AddTimedEvent(yov::event_kind::kRoot, 1, 0, 0, height); }
  int32_t Section(int32_t sect, int32_t parent, int32_t top, int32_t height, int32_t limit = 0) {
    sects[sect].lineLimit = limit;
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
    for (int32_t c = yov::runQueue().at(e).FirstChild; c != 0 && out.size() < 1000; c = yov::runQueue().at(c).Next) {
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
    for (int32_t e = yov::showState().Lists.DueHead; e != 0 && out.size() < 1000; e = yov::runQueue().at(e).DueNext) {
      out.push_back(e);
    }
    return out;
  }

  std::map<int32_t, FakeSect> sects;
  std::vector<std::pair<int32_t, int32_t>> freedSurfaces;
  std::vector<int32_t> freedBuffers;

 private:
  yov::AnimPoolHooks savedPools_;
};

using ShowTest = ShowTestOn<>;

}  // namespace show_test
