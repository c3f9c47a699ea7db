// A small stock, the program's type-code letters, a scripted random source and a recorder
// of engine events, for the expansion engine's tests.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/engine_state.h"
#include "engine/base/events.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "tt_fixture.h"

namespace expand_test {

using tt_test::A;
using tt_test::LvText;
using tt_test::U;

// The 146-character type-code letter string the program builds at start.
inline std::u16string TypeCodeLetters() {
    std::string bytes = " RESATFOPMHB1";
    const std::string tail = "23456789abcdefghijklmnopqrstuvwxyzCDGIJKLNQUVWXY";
    for (int i = 0; i < 48; ++i) {
        bytes += static_cast<char>(0xC0 + i);
        bytes += tail[static_cast<size_t>(i)];
    }
    bytes += static_cast<char>(0xF0);
    bytes += 'Z';
    for (int b = 0xF1; b <= 0xFF; ++b) bytes += static_cast<char>(b);
    for (int b = 0xA1; b <= 0xB4; ++b) bytes += static_cast<char>(b);
    return plat::decodeCodePage(bytes, plat::CodePage::Windows1250);
}

// Random indices handed out in order (0 once the script runs out), with every request kept.
struct ScriptedRandom {
    static std::deque<int32_t>& Script() {
        static std::deque<int32_t> s;
        return s;
    }
    static std::vector<std::pair<int32_t, int32_t>>& Calls() {
        static std::vector<std::pair<int32_t, int32_t>> c;
        return c;
    }
    static int32_t Next(int32_t n, int32_t site) noexcept {
        Calls().emplace_back(n, site);
        if (Script().empty()) return 0;
        const int32_t r = Script().front();
        Script().pop_front();
        return r;
    }
};

struct EventLog {
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static int32_t OnEvent(DllEventRec* rec) {
        if (rec->Code == 211 || rec->Code == 212) return 0;  // allocation reports
        if (rec->Code == 206)
            Lines().push_back(A(LvTextString(rec->Text1)));
        else
            Lines().push_back("<" + std::to_string(rec->Code) + ">");
        return 0;
    }
};

struct Vehicle {
    const char* name;
    char16_t way;
    int16_t width;
    int16_t fileIndex = 1;
    const char* text2 = "";
    const char* text3 = "";
};

class ExpandFixture : public ::testing::Test {
protected:
    void SetUp() override {
        letters_ = TypeCodeLetters();
        shared_.TypeCodeLetters = letters_.c_str();
        shared_.PictureHeight = 50;
        lvk::BindShared(&shared_, &ScriptedRandom::Next);
        lvk::SetEventCallback(&EventLog::OnEvent);
        ScriptedRandom::Script().clear();
        ScriptedRandom::Calls().clear();
        EventLog::Lines().clear();
        SetStock({
            {"BR101", u'E', 100},
            {"WAGON", u'P', 60},
            {"TANK~X", u'F', 40},
            {"MIXED", u'M', 0, 0x7FFF, "!BR101,!WAGON,TANK"},
            {"LOCO2", u'T', 80, 1, "", "[FLIP]"},
            {"HAULER", u'H', 90},
            {"EMPTYMAC", u' ', 0, 0x7FFF},
            {"LOC", u'T', 80, 1, "", ",TAIL"},
            {"REPAINTED", u'M', 0, 0x7FFF, "BR101[C:1]"},
        });
        MacIni();
    }
    void TearDown() override {
        MacFree();
        PrepareLookStock(nullptr, 0);
        lvk::SetEventCallback(nullptr);
        lvk::BindShared(nullptr, nullptr);
    }

    void SetStock(const std::vector<Vehicle>& vehicles) {
        stock_.redim(static_cast<int32_t>(vehicles.size()));
        for (size_t i = 0; i < vehicles.size(); ++i) {
            StockEntry& e = stock_[static_cast<int32_t>(i + 1)];
            e = StockEntry{};
            e.Name = U(vehicles[i].name);
            e.WayLetter = vehicles[i].way;
            e.Width = vehicles[i].width;
            e.FileIndex = vehicles[i].fileIndex;
            e.Text2 = U(vehicles[i].text2);
            e.Text3 = U(vehicles[i].text3);
        }
        shared_.StockCount = static_cast<int32_t>(vehicles.size());
        PrepareLookStock(stock_.desc(), shared_.StockCount);
    }

    void Define(const char* name, const char* value) {
        LvText n(U(name)), v(U(value));
        ASSERT_EQ(DefMac(n.get(), v.get()), 0);
    }

    // ExpandS into the fixture's array; the strings 1..n, or the negative code alone.
    std::vector<std::string> Expand(const std::string& pattern, int32_t flags, int16_t& direction,
                                    int32_t* code = nullptr) {
        LvText p(U(pattern));
        const int32_t n = ExpandS(p.get(), strings_.desc(), flags, &direction);
        if (code != nullptr) *code = n;
        std::vector<std::string> out;
        for (int32_t i = 1; i <= n; ++i) out.push_back(A(strings_[i]));
        return out;
    }

    std::u16string letters_;
    SharedState shared_;
    SharedArray<StockEntry> stock_;
    SharedArray<LvString> strings_;
};

}  // namespace expand_test
