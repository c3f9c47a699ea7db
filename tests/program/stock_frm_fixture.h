// Stock windows as the program opens them ("/l" through Main) under the offscreen platform,
// with the real engine, its menus and window slots, and the demo stock as the current stock:
// every part of the stock windows wired as the program wires it. Each test's windows are
// closed and the engine stopped after it.
#pragma once

#include <QCoreApplication>

#include <string>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_commands.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_menus.h"
#include "program/stock/stock_browser_state.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/stock_frm.h"
#include "program/ui/text_window.h"
#include "program/ui/program_parts.h"
#include "startup_fixture.h"

namespace stock_frm_test {

class StockFrmTest : public startup_test::StartupTest {
    yov::FreshStockBrowserState freshStock_;  // each test on a state of its own
protected:
    void SetUp() override {
        StartupTest::SetUp();
        coreEngine_.useLibrary();
        // Main starts the engine afresh: it has no buffer classes yet.
        yov::ForgetBufferClasses();
        yov::WireStockWindows();
        yov::UseProgramParts();
        yov::SaveRegString(u"Conf01", core_test::u16(makeFile("scenes/Demo.ttt")));
        yov::SaveRegString(u"Stock01", core_test::u16(std::string(YOV_DEMO_DATA) + "/demo.stk"));
    }
    void TearDown() override {
        for (int slot = 1; slot <= yov::kStockSlots; ++slot) {
            if (yov::StockFrm* f = Frm(slot)) f->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (yov::serviceState().EngineStarted) yov::lv::CloseDLL();
        yov::serviceState().EngineStarted = false;
        StartupTest::TearDown();
    }

    // The stock window of a slot, null when none is open there.
    static yov::StockFrm* Frm(int slot = 1) {
        const yov::WindowSlot& s = yov::programState().WindowTable[static_cast<size_t>(slot)];
        return s.inUse != 0 ? qobject_cast<yov::StockFrm*>(s.window) : nullptr;
    }
};

}  // namespace stock_frm_test
