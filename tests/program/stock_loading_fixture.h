// The stock loader against the real engine library: the program's shared tables handed to
// InitDLL, the engine's own default texts and menus, the program's parameter table, the
// start-up tables (picture kinds, code letters), message boxes recorded, event pumps counted.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "stock_load_pumps.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/core/binding/engine_events.h"

namespace stock_load_test {

using core_test::u16;
using core_test::utf8;

inline std::string fixture(const std::string& name) { return std::string(YOV_TEST_DATA) + "/stock/" + name; }

// The engine's folder of a stock file: as the file is named, up to its last separator.
inline std::u16string engineFolder(const std::string& path) { return u16(path.substr(0, path.rfind('/'))); }

class StockLoadTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        coreEngine_.texts = false;
        yov::paramTable().Base = 0;
        yov::paramTable().ClearParams();
        yov::BuildStartupTables();
        yov::ProgramState& st = yov::programState();
        st.Shared.BuiltinDescKeys = 7;
        st.Shared.CancelLoad = 0;
        ASSERT_EQ(yov::InitEngineOnProgramArrays(nullptr, nullptr), 0);
    }
    void TearDown() override {
        yov::lv::CloseDLL();
        CoreTest::TearDown();
    }

    void Load(const std::string& path, int32_t mode = 0) {
        yov::SetStockName(u16(path));
        yov::LoadStock(mode);
    }
    // A stock file of the test's own, lines ended by CR LF.
    std::string Write(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = folder() + "/" + name;
        std::ofstream out(path, std::ios::binary);
        for (const std::string& line : lines) out << line << "\r\n";
        return path;
    }
    std::string WriteBytes(const std::string& name, const std::string& bytes) {
        const std::string path = folder() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    SharedState& Shared() { return yov::programState().Shared; }
    SharedArrays& Arrays() { return yov::programState().Arrays; }

    program_test::CountedEventPumps loadPumps_;
    int& pumps_ = loadPumps_.count;
};

}  // namespace stock_load_test
