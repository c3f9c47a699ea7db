// A parameter parser with every hook under the test's control: the engine's bracket
// search, scripted random draws, texts shown as "<KEY>", errors thrown as ProgramError,
// named parameters from a map, recorded message boxes and frame steps.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/texts/program_error.h"

namespace param_test {

inline std::string utf8(std::u16string_view s) { return plat::utf16ToUtf8(s); }

class ParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        yov::ParamExprHooks& h = p.hooks;
        h.rlook = &yov::lv::RLook;
        h.randomIndex = [this](int32_t n, int32_t site) {
            draws.emplace_back(n, site);
            if (picks.empty()) return 0;
            const int32_t v = picks.front();
            picks.pop_front();
            return v;
        };
        h.random01 = [this] {
            if (fractions.empty()) return 0.0;
            const double v = fractions.front();
            fractions.pop_front();
            return v;
        };
        h.checkStep = [this](int32_t site) { steps.push_back(site); };
        h.getParam = [this](std::u16string_view aliases, std::u16string_view def, int32_t& source) {
            asked.emplace_back(aliases);
            auto it = named.find(std::u16string(aliases));
            if (it == named.end()) {
                source = 0;
                return std::u16string(def);
            }
            source = 7;
            return it->second;
        };
        h.fixedString = [](int32_t list) { return u"LIST" + plat::utf8ToUtf16(std::to_string(list)); };
        h.text = [](std::u16string_view key) { return u"<" + std::u16string(key) + u">"; };
        h.formatText = [](std::u16string_view key, std::u16string_view param) {
            return u"<" + std::u16string(key) + u":" + std::u16string(param) + u">";
        };
        h.raise = [](int32_t number, const std::u16string& description) {
            throw yov::ProgramError(number, description);
        };
        h.raiseProgramError = [](const std::u16string& message) { throw yov::ProgramError(6002, message); };
        h.showMessage = [this](const std::u16string& text, int32_t style) { boxes.emplace_back(text, style); };
        h.partPixel = [this](int32_t x, int32_t y) -> std::optional<int32_t> {
            pixelsAsked.emplace_back(x, y);
            return pixel;
        };
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

    yov::ParamParser p;
    std::deque<int32_t> picks;                       // answers of the random index, then 0
    std::deque<double> fractions;                    // answers of the uniform draw, then 0
    std::vector<std::pair<int32_t, int32_t>> draws;  // (n, call site)
    std::vector<int32_t> steps;
    std::map<std::u16string, std::u16string> named;  // alias list -> value
    std::vector<std::u16string> asked;
    std::vector<std::pair<std::u16string, int32_t>> boxes;
    std::optional<int32_t> pixel;
    std::vector<std::pair<int32_t, int32_t>> pixelsAsked;
};

}  // namespace param_test
