// A program core with a small stock and a recording stand-in for the engine's picture
// calls, for the picture-reference tests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "frame_step_stand_ins.h"
#include "picture_engine_fake.h"
#include "program/core/startup/program_state.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/texts/program_error.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/binding/engine_events.h"

namespace picref_test {

using core_test::u16;
using core_test::utf8;

struct LookCall {
    std::string name;
    LvHandle module = 0;
    int32_t flags = 0;
};

struct LookAnswer {
    int32_t result = 1;
    int16_t width = 0;
    int16_t height = 0;
    int32_t offset = 0;
};

struct DrawCall {
    int32_t offset, pictureDc, maskDc, xDest, yDest, width, height, xSrc, ySrc, flags;
    bool operator==(const DrawCall&) const = default;
};

// The flag bytes and extensions of the start-up tables of picture kinds (kinds 1, 2, 3, 5, 6,
// 9, 10, 11, 18, 19 as start-up builds them).
inline uint8_t KindClass(int kind) {
    switch (kind) {
    case 1:
    case 2:
    case 3: return 1;
    case 5:
    case 6: return 2;
    case 9: return 37;
    case 10:
    case 11: return 33;
    case 18:
    case 19: return 17;
    default: return 0;
    }
}
inline std::u16string KindExtension(int kind) {
    switch (kind) {
    case 1: return u".GIF";
    case 2:
    case 9:
    case 10:
    case 18: return u".BMP";
    case 3:
    case 11:
    case 19: return u".DIB";
    default: return u"";
    }
}

class PictureRefTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        core_test::defaultTexts()[u"PNF"] = u"Picture %1 not found";
        core_test::defaultTexts()[u"MUP"] = u"Macro used as single picture";
        core_test::defaultTexts()[u"ERLD"] = u"Error %1 loading %2";
        core_test::defaultTexts()[u"FNF"] = u"File %1 not found\r\n(Error %2)";
        core_test::defaultTexts()[u"ERDP"] = u"Error %1 drawing picture %2";
        for (int kind = 0; kind < yov::kPictureKinds; ++kind) {
            yov::programState().tables.PicKindClass[static_cast<size_t>(kind)] = KindClass(kind);
            yov::programState().tables.PicKindExt[static_cast<size_t>(kind)] = KindExtension(kind);
        }
        engine_test::PictureEngineFake& h = pictures_;
        h.look = [this](const std::string& name, LvHandle module, int16_t* w, int16_t* h2, int32_t* off,
                        int32_t flags) {
            looks_.push_back({name, module, flags});
            if (onLook_) onLook_();
            auto it = answers_.find(name);
            if (it == answers_.end()) return -10501;
            *w = it->second.width;
            *h2 = it->second.height;
            *off = it->second.offset;
            return it->second.result;
        };
        h.openLib = [this](const std::string& file, LvHandle* module) {
            opened_.push_back(file);
            *module = 77;
            return openResult_;
        };
        h.draw = [this](int32_t offset, LvHandle pictureDc, LvHandle maskDc, int32_t x, int32_t y, int32_t w,
                        int32_t hh, int32_t xs, int32_t ys, int32_t flags) {
            draws_.push_back(
                {offset, static_cast<int32_t>(pictureDc), static_cast<int32_t>(maskDc), x, y, w, hh, xs, ys, flags});
            return drawResult_;
        };
        h.clean = [this] { ++cleans_; };
        yov::programState().Shared.PictureHeight = 58;
        yov::CleanPictureCache();
        cleans_ = 0;
    }
    // A stock file of that kind and path; its index.
    int32_t AddFile(uint8_t kind, std::u16string path) {
        yov::ProgramState& st = yov::programState();
        const int32_t i = ++st.Shared.StockFileCount;
        if (st.Arrays.StockFiles.length() <= i) st.Arrays.StockFiles.redim(i + 4);
        st.Arrays.StockFiles[i].Kind = kind;
        st.Arrays.StockFiles[i].Path = std::move(path);
        return i;
    }
    // A stock entry with its picture text in a file; its index.
    int32_t AddEntry(std::u16string name, int32_t fileIndex, std::u16string text) {
        yov::ProgramState& st = yov::programState();
        const int32_t i = ++st.Shared.StockCount;
        if (st.Arrays.Stock.length() <= i) st.Arrays.Stock.redim(i + 4);
        StockEntry& e = st.Arrays.Stock[i];
        e.Name = std::move(name);
        e.FileIndex = static_cast<int16_t>(fileIndex);
        e.Text2 = std::move(text);
        yov::programState().scene.StockIndexBuilt = false;  // as loading a stock does
        return i;
    }
    static StockEntry& Entry(int32_t i) { return yov::programState().Arrays.Stock[i]; }

    // Runs f and returns the description of the program error it raised ("" when none).
    template <class F>
    static std::u16string ErrorOf(F f) {
        try {
            f();
        } catch (const yov::ProgramError& e) {
            return e.description();
        }
        return u"";
    }

    engine_test::PictureEngineFake pictures_;  // the engine's picture calls, answered by the test
    std::map<std::string, LookAnswer> answers_;
    std::vector<LookCall> looks_;
    std::function<void()> onLook_;
    std::vector<std::string> opened_;
    int32_t openResult_ = 0;
    std::vector<DrawCall> draws_;
    int32_t drawResult_ = 0;
    int cleans_ = 0;
    program_test::RecordedFrameSteps frameSteps_;
    std::vector<int32_t>& steps_ = frameSteps_.sites;
};

// The same with the picture calls of the real engine library, started with a memory cache;
// engineEvents receives the engine's events.
class PictureRefEngineTest : public PictureRefTest {
protected:
    void SetUp() override {
        PictureRefTest::SetUp();
        coreEngine_.cache = false;
        pictures_.passOn();
        ASSERT_EQ(yov::InitEngineOnProgramArrays(engineEvents, nullptr), 0);
        ASSERT_EQ(yov::lv::OpenCache(1, "memory"), 0);
    }
    void TearDown() override {
        yov::lv::CloseCache();
        yov::lv::CloseDLL();
        PictureRefTest::TearDown();
    }

    static int32_t NoEvents(DllEventRec*) noexcept { return 0; }
    int32_t (*engineEvents)(DllEventRec*) noexcept = &NoEvents;
};

}  // namespace picref_test
