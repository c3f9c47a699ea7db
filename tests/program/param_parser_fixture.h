// The program's parameter parser and table, started fresh for each test: texts shown as
// "<KEY>" (and "<KEY:param>"), the engine's alias list n named "LISTn" unless the test names
// it, pattern expansions answered by the test, the random draws chosen by the test, and the
// message boxes and frame steps recorded.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core_fixture.h"
#include "engine_fake.h"
#include "frame_step_stand_ins.h"
#include "platform/codepage.h"
#include "platform/raster.h"
#include "program/core/params/param_expr.h"
#include "program/core/params/param_table.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/core/startup/installed.h"
#include "program/core/texts/program_error.h"

namespace param_test {

inline std::string utf8(std::u16string_view s) { return plat::utf16ToUtf8(s); }

// The draws the test chose, in order, then 0; each index drawn is recorded with its call site.
class ScriptedDraws : public yov::ParamDraws {
public:
    std::deque<int32_t> picks;                       // answers of the random index, then 0
    std::deque<double> fractions;                    // answers of the uniform draw, then 0
    std::vector<std::pair<int32_t, int32_t>> draws;  // (n, call site)

    int32_t index(int32_t n, int32_t callSite) override {
        draws.emplace_back(n, callSite);
        if (picks.empty()) return 0;
        const int32_t v = picks.front();
        picks.pop_front();
        return v;
    }
    double fraction() override {
        if (fractions.empty()) return 0.0;
        const double v = fractions.front();
        fractions.pop_front();
        return v;
    }

private:
    yov::ScopedInstall<yov::ParamDraws> installed_{*this};
};

// The engine's alias lists named "LIST<n>" (or as `lists` says) and its pattern expansion
// answered with `results` (or the error code `failure`), each pattern and its flags recorded.
class ParamEngine : public engine_test::EngineFake {
public:
    std::map<int32_t, std::u16string> lists;
    std::vector<std::u16string> results;
    int32_t failure = 0;
    std::vector<std::u16string> patterns;
    std::vector<int32_t> flags;

    LvResult GetFixedString(int32_t list, char16_t* buffer, int32_t capacity) override {
        const auto it = lists.find(list);
        const std::u16string text = it != lists.end() ? it->second : u"LIST" + plat::widen(std::to_string(list));
        const auto n = std::min(static_cast<int32_t>(text.size()), capacity);
        std::copy_n(text.data(), n, buffer);
        return n;
    }
    LvResult ExpandS(const char16_t* pattern, LvArrayDesc* strings, int32_t f, int16_t*) override {
        patterns.emplace_back(pattern);
        flags.push_back(f);
        if (failure != 0) return failure;
        auto* out = SharedArray<LvString>::fromDesc(strings);
        if (out == nullptr || !out->redim(static_cast<int32_t>(results.size()))) return -1;
        for (size_t i = 0; i < results.size(); ++i) (*out)[static_cast<int32_t>(i) + 1] = results[i];
        return static_cast<int32_t>(results.size());
    }
};

class ParserTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        for (const char16_t* key : {u"PARMA", u"UBP", u"NONUM", u"STRE", u"SYNE", u"BOOLIL", u"ILPAR", u"APMB"})
            core_test::defaultTexts()[key] = u"<" + std::u16string(key) + u">";
        for (const char16_t* key : {u"ILCC", u"MISB"})
            core_test::defaultTexts()[key] = u"<" + std::u16string(key) + u":%1>";
        p = yov::ParamParser{};
        std::destroy_at(&t);
        std::construct_at(&t, p);
    }
    void TearDown() override {
        yov::FreeCanvas(1);
        CoreTest::TearDown();
    }

    // The error an evaluation raises: its number and description; {0, ""} when none.
    template <class F>
    std::pair<int32_t, std::string> errorOf(F&& f) {
        try {
            f();
        } catch (const yov::ProgramError& e) {
            return {e.number(), utf8(e.description())};
        }
        return {0, ""};
    }

    std::string eval(std::u16string_view text) { return utf8(p.EvalString(text)); }

    // The one named parameter of the line: `value` under `name`.
    void setNamed(std::u16string_view name, std::u16string_view value) {
        t.ClearParams();
        t.AddParam(name, value);
    }

    // The current part's pixel x columns right of the origin and y rows above its bottom row,
    // on a canvas of 20 by 10 whose part is the whole canvas.
    void setPixel(int32_t x, int32_t y, plat::COLORREF colour) {
        if (!canvasMade_) {
            canvasMade_ = true;
            yov::UseCanvas(1, 0, 20, 10, 0);
            const int32_t part = yov::AllocPicPart(0);
            yov::picParts()[part].PartY = 0;
            yov::picParts()[part].PartHeight = 10;
            yov::picParts().CurPart = part;
            yov::pictureBuildState().PartOriginX = 0;
        }
        plat::SetPixel(yov::currentCanvas().pictureDc, x, 10 - y - 1, colour);
    }

    ParamEngine engine;
    ScriptedDraws scripted;
    std::deque<int32_t>& picks = scripted.picks;
    std::deque<double>& fractions = scripted.fractions;
    std::vector<std::pair<int32_t, int32_t>>& draws = scripted.draws;
    program_test::RecordedFrameSteps frameSteps;
    std::vector<int32_t>& steps = frameSteps.sites;
    yov::ParamParser& p = yov::paramParser();
    yov::ParamTable& t = yov::paramTable();

private:
    bool canvasMade_ = false;
};

}  // namespace param_test
