// A fixture for the window slots and menus: a fresh engine state bound to a recording
// operations table, a shared record, and a callback that records every event raised on the
// main record (and can answer caption requests).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "engine/ui/menus.h"
#include "engine/ui/windows.h"
#include "fake_window_ops.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace testing_ops {

struct SeenEvent {
    int16_t code;
    int16_t subCode;
    int32_t arg1, arg2, arg3, arg4;
    std::u16string text1, text2, text3;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        current_ = this;
        lvk::ResetMenusForTest();
        lvk::ResetWindowsForTest();
        lvk::BindShared(&shared_, nullptr);
        SetWindowOps(ops_.table());
        lvk::SetEventCallback(&WindowTest::onEvent);
        lvk::InitScreenMetrics();
    }
    void TearDown() override {
        lvk::SetEventCallback(nullptr);
        lvk::ResetMenusForTest();
        lvk::ResetWindowsForTest();
        lvk::BindShared(nullptr, nullptr);
        current_ = nullptr;
    }

    // Events with that code, in order.
    std::vector<SeenEvent> eventsWithCode(int code) const {
        std::vector<SeenEvent> out;
        for (const SeenEvent& e : events_) {
            if (e.code == code) out.push_back(e);
        }
        return out;
    }

    LvWindowMessage message(int32_t kind) const {
        LvWindowMessage m{};
        m.hook = kLvHookForm;
        m.message = kind;
        return m;
    }

    FakeWindowOps ops_;
    SharedState shared_;
    std::vector<SeenEvent> events_;
    // Called for each event after it is recorded (for example to answer 203).
    std::function<void(const DllEventRec&)> onEvent_;

private:
    static int32_t onEvent(DllEventRec* r) {
        WindowTest* t = current_;
        t->events_.push_back(SeenEvent{r->Code, r->SubCode, r->Arg1, r->Arg2, r->Arg3, r->Arg4, LvTextString(r->Text1),
                                       LvTextString(r->Text2), LvTextString(r->Text3)});
        if (t->onEvent_) t->onEvent_(*r);
        return 0;
    }
    static inline WindowTest* current_ = nullptr;
};

}  // namespace testing_ops
