// A clean program core for each test: program state, shared tables and hooks back to
// their start, the engine's default texts from a small table, settings and the error log
// in a scratch folder of the test's own, message boxes answered by a recorder.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/config_folder.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "program/core/startup/core_state.h"
#include "answering_msgbox.h"
#include "engine_fake.h"

namespace core_test {

inline std::string utf8(std::u16string_view s) { return plat::utf16ToUtf8(s); }
inline std::u16string u16(std::string_view s) { return plat::utf8ToUtf16(s); }

// The core of a program that has just started, with the general language in place.
inline void resetProgramState() {
    yov::coreState().restart();
    SharedArrays& a = yov::programState().Arrays;
    a.Languages.redim(kLanguageSlots - 1);
    a.Languages[0].Code = u"N";
}

// The engine's default texts, as far as the tests need them.
inline std::map<std::u16string, std::u16string>& defaultTexts() {
    static std::map<std::u16string, std::u16string> texts;
    return texts;
}

inline void useFakeEngineTexts() {
    defaultTexts() = {
        {u"E1", u"Error %1: %2"},
        {u"E2", u"Error %1: %2 in %3"},
        {u"E3", u"Error %1: %2 in %3 line %4"},
        {u"ERC", u"Error %1 (%2) creating %3"},
        {u"ERW", u"Error %1 (%2) writing %3"},
        {u"MBAS", u"Too many BASED directives"},
        {u"LCAC", u"Loading picture cache"},
        {u"TTT", u"Timetable files"},
        {u"HLPF", u"Help files"},
        {u"ALLF", u"All files"},
        {u"RLIB", u"Picture DLLs"},
        {u"SCRS", u"Screen savers"},
        {u"EXEF", u"Programs"},
        {u"STBF", u"Binary stock files"},
        {u"PICF", u"Pictures"},
        {u"OPEN", u"Open ..."},
    };
}

// The engine of the core tests: default texts from defaultTexts(), numbered messages "Error N",
// no menu keys; window slots and the picture cache opened without the library. Each part can be
// handed back to the library.
class FixtureEngine : public engine_test::EngineFake {
public:
    bool texts = true;        // GetDefTxt, GetNumTxt, GetMenuKey
    bool windowSlots = true;  // OpenFrm, CloseFrm
    bool cache = true;        // OpenCache
    void useLibrary() { texts = windowSlots = cache = false; }

    LvResult GetDefTxt(const char* key, char* buffer, int32_t capacity) override {
        if (!texts) return next().GetDefTxt(key, buffer, capacity);
        auto it = defaultTexts().find(plat::utf8ToUtf16(key));
        return it == defaultTexts().end() ? 0 : copy(plat::utf16ToUtf8(it->second), buffer, capacity);
    }
    LvResult GetNumTxt(int32_t number, char16_t* buffer, int32_t capacity) override {
        if (!texts) return next().GetNumTxt(number, buffer, capacity);
        const std::u16string text =
            number == 11612 ? u"\"?\" outside condition" : u"Error " + plat::widen(std::to_string(number));
        const auto n = std::min(static_cast<int32_t>(text.size()), capacity);
        std::copy_n(text.data(), n, buffer);
        return n;
    }
    LvResult GetMenuKey(int32_t menuWord, int32_t identifier, char* buffer, int32_t capacity) override {
        if (!texts) return next().GetMenuKey(menuWord, identifier, buffer, capacity);
        auto it = menuKeys.find(identifier);
        return it == menuKeys.end() ? 0 : copy(it->second, buffer, capacity);
    }
    LvResult OpenFrm(int16_t slot, LvWindow window, const FormLimits* limits) override {
        return windowSlots ? 0 : next().OpenFrm(slot, window, limits);
    }
    LvResult CloseFrm(int32_t slot) override { return windowSlots ? 0 : next().CloseFrm(slot); }
    LvResult OpenCache(int32_t mode, const char* name) override { return cache ? 0 : next().OpenCache(mode, name); }

    std::map<int32_t, std::string> menuKeys;  // the text key of a menu item

private:
    static int32_t copy(const std::string& text, char* buffer, int32_t capacity) {
        const auto n = std::min(static_cast<int32_t>(text.size()), capacity);
        std::copy_n(text.data(), n, buffer);
        return n;
    }
};

// A translated text with its per-language texts (index = language).
inline int32_t addText(std::u16string key, std::vector<std::u16string> texts) {
    yov::ProgramState& st = yov::programState();
    const int32_t i = st.Shared.LangTextCount + 1;
    if (st.Arrays.LangTexts.length() <= i) st.Arrays.LangTexts.redim(i + 5);
    st.Shared.LangTextCount = i;
    st.Shared.LangTextAlloc = st.Arrays.LangTexts.upperBound();
    st.Arrays.LangTexts[i].Key = std::move(key);
    for (size_t l = 0; l < texts.size() && l < kLanguageSlots; ++l) st.Arrays.LangTexts[i].Texts[l] = texts[l];
    st.log.LangTextsSorted = 0;
    return i;
}

inline void addLanguage(std::u16string code) {
    yov::ProgramState& st = yov::programState();
    const int32_t i = ++st.Shared.LanguageCount;
    st.Arrays.Languages[i].Code = std::move(code);
}

// Program core tests: everything reset, settings and log in a scratch folder.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.isValid());
        resetProgramState();
        useFakeEngineTexts();
        plat::Registry::current().reopen(folder() + "/config");
        yov::programState().files.ErrorLogPath = u16(folder() + "/Rolvane.err");
    }
    void TearDown() override {
        plat::Registry::current().reopen(plat::configFolder());
        resetProgramState();
    }

    std::string folder() const { return scratch_.path().toStdString(); }
    std::string logPath() const { return folder() + "/Rolvane.err"; }
    std::string readFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        const std::string all = readFile(logPath());
        size_t from = 0;
        while (from < all.size()) {
            const size_t end = all.find("\r\n", from);
            if (end == std::string::npos) break;
            lines.push_back(all.substr(from, end - from));
            from = end + 2;
        }
        return lines;
    }

    QTemporaryDir scratch_;
    FixtureEngine coreEngine_;
    // Boxes are written down and answered with answer_ (0: closed without a button).
    program_test::AnsweringMsgBox msgBoxes_{0};
    std::vector<program_test::MsgBoxRequest>& boxes_ = msgBoxes_.requests;
    int32_t& answer_ = msgBoxes_.answer;
};

}  // namespace core_test
