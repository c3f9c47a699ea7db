// A clean program core for each test: program state, shared tables and hooks back to
// their start, the engine's default texts from a small table, settings and the error log
// in a scratch folder of the test's own, message boxes answered by a recorder.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/config_folder.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "program/core/windows/context_help.h"
#include "program/core/startup/core_hooks.h"
#include "program/core/windows/msgbox.h"
#include "program/core/startup/program_state.h"

namespace core_test {

inline std::string utf8(std::u16string_view s) { return plat::utf16ToUtf8(s); }
inline std::u16string u16(std::string_view s) { return plat::utf8ToUtf16(s); }

inline void resetProgramState() {
    yov::ProgramState& st = yov::programState();
    st.ProgramKey = u"Software\\Vantrel\\Yov";
    st.InstanceLetter.clear();
    st.TempDir.clear();
    st.ErrorLogPath.clear();
    st.ScreenWidthPx = 0;
    st.ScreenHeightPx = 0;
    yov::helpFiles() = {};
    st.DocFile.clear();
    st.CacheMode = 0;
    st.CacheFile.clear();
    st.StockDir.clear();
    st.ConfigDir.clear();
    st.SplitPath.clear();
    st.SplitDir.clear();
    st.SplitName.clear();
    st.SplitExt.clear();
    st.DialogFolder.clear();
    st.ProgressCode = 0;
    st.StopRequest = 0;
    st.EndRequest = 0;
    st.BatchMode = 0;
    st.RunFlags = 0;
    st.RunMode = 0;
    st.ShowMode = 0;
    st.LangTextsSorted = 0;
    st.LangTextsSortedCount = -1;
    st.LogStarted = 0;
    st.LogShowBytes = 0;
    st.LogShowFull = 0;
    st.WindowTable.fill({});

    // Every value of the shared record back to a start's, in its place (the engine holds its
    // address), so that none is missed: no stock read, no categories, no macros.
    std::destroy_at(&st.Shared);
    std::construct_at(&st.Shared);

    SharedArrays& a = st.Arrays;
    a.Stock.redim(-1);
    a.StockFiles.redim(-1);
    a.Authors.redim(-1);
    a.LibInfos.redim(-1);
    a.Categories.redim(-1);
    a.Languages.redim(-1);  // redim keeps what it can: emptied first, no earlier language's names stay
    a.Languages.redim(kLanguageSlots - 1);
    a.Languages[0].Code = u"N";
    a.LangTexts.redim(-1);
    a.DescKeys.redim(-1);
    a.DescValues.redim(-1);
    a.DescTexts.redim(-1);
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
    yov::CoreHooks& h = yov::coreHooks();
    h.defaultText = [](std::u16string_view key) {
        auto it = defaultTexts().find(std::u16string(key));
        return it == defaultTexts().end() ? std::u16string() : it->second;
    };
    h.numberedText = [](int32_t n) {
        if (n == 11612) return std::u16string(u"\"?\" outside condition");
        return u"Error " + plat::widen(std::to_string(n));
    };
    h.menuKey = [](int32_t) { return std::u16string(); };
    h.openCache = [](int32_t, const std::u16string&) { return 0; };
    h.openFrm = [](int16_t, QWidget*, const FormLimits&) {};
    h.closeFrm = [](int32_t) {};
}

// A translated text with its per-language texts (index = language).
inline int32_t addText(std::u16string key, std::vector<std::u16string> texts) {
    yov::ProgramState& st = yov::programState();
    const int32_t i = st.Shared.LangTextCount + 1;
    if (st.Arrays.LangTexts.length() <= i) st.Arrays.LangTexts.redim(i + 5);
    st.Shared.LangTextCount = i;
    st.Shared.LangTextAlloc = st.Arrays.LangTexts.upperBound();
    st.Arrays.LangTexts[i].Key = std::move(key);
    for (size_t l = 0; l < texts.size() && l < kLanguageSlots; ++l) st.Arrays.LangTexts[i].Texts[l] = texts[l];
    st.LangTextsSorted = 0;
    return i;
}

inline void addLanguage(std::u16string code) {
    yov::ProgramState& st = yov::programState();
    const int32_t i = ++st.Shared.LanguageCount;
    st.Arrays.Languages[i].Code = std::move(code);
}

// A parameter table stand-in: "NAME=value;NAME2=value2", names compared upper-cased.
class FakeParams {
public:
    void install() {
        yov::coreHooks().getParam = [this](std::u16string_view aliases, std::u16string_view def) {
            for (const std::u16string& alias : plat::split(aliases, u",")) {
                auto it = current_.find(plat::ucase(alias));
                if (it != current_.end() && !it->second.empty()) return it->second;
            }
            return std::u16string(def);
        };
        yov::coreHooks().withParams = [this](std::u16string_view text, const std::function<void()>& use) {
            auto saved = current_;
            parse(text);
            use();
            current_ = saved;
        };
    }
    void parse(std::u16string_view text) {
        current_.clear();
        for (const std::u16string& item : plat::split(text, u";")) {
            const size_t eq = item.find(u'=');
            if (eq == std::u16string::npos) continue;
            current_[plat::ucase(plat::trim(item.substr(0, eq)))] = plat::trim(item.substr(eq + 1));
        }
    }

private:
    std::map<std::u16string, std::u16string> current_;
};

struct ShownBox {
    std::u16string text;
    int32_t style = 0;
    std::u16string title;
};

// Program core tests: everything reset, settings and log in a scratch folder.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.isValid());
        resetProgramState();
        yov::coreHooks() = {};
        useFakeEngineTexts();
        plat::Registry::current().reopen(folder() + "/config");
        yov::programState().ErrorLogPath = u16(folder() + "/Rolvane.err");
        previousResponder_ = yov::setMsgBoxResponder(
            [this](std::u16string_view text, int32_t style, std::u16string_view title, int32_t) {
                boxes_.push_back({std::u16string(text), style, std::u16string(title)});
                return answer_;
            });
    }
    void TearDown() override {
        yov::setMsgBoxResponder(previousResponder_);
        plat::Registry::current().reopen(plat::configFolder());
        yov::coreHooks() = {};
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
    std::vector<ShownBox> boxes_;
    int32_t answer_ = 0;
    yov::MsgBoxResponder previousResponder_;
};

}  // namespace core_test
