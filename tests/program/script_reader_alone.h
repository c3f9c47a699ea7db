// The script reader by itself, for the fuzz target and the benchmark that drive it over
// script text: no report shown, no stock named or loaded, no picture cache opened, no pause
// while music plays, the error log nowhere, the engine bound on the program's arrays and two
// languages declared, as a stock's "$LANG" lines do, so that captions are read in both.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/core/binding/engine_binding.h"
#include "program/core/startup/installed.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/msgbox.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "tests/program/answering_msgbox.h"

namespace program_test {

class QuietScriptRead final : public yov::ScriptReadServices {
public:
    void report(int32_t, const std::u16string&) override {}
    void nameStock(const std::u16string&) override {}
    void loadStock() override {}
    void openPictureCache() override {}
    void pause() override {}
};

// Sets the reader up alone for the rest of the process; returns the box that answers any
// other message O.K. without a window.
inline AnsweringMsgBox& PrepareScriptReaderAlone() {
    yov::ProgramState& st = yov::programState();
    st.road.ProgramKey = u"Software\\Vantrel\\Yov";
    st.files.ErrorLogPath = u"/dev/null";
    static AnsweringMsgBox boxes(yov::msgbox::kOk);
    static QuietScriptRead quiet;
    yov::Installed<yov::ScriptReadServices>() = &quiet;
    if (yov::InitEngineOnProgramArrays(nullptr, nullptr) != 0) std::abort();
    SharedArrays& a = st.Arrays;
    a.Languages.redim(kLanguageSlots - 1);
    a.Languages[0].Code = u"N";
    a.Languages[1].Code = u"E";
    st.Shared.LanguageCount = 1;
    return boxes;
}

}  // namespace program_test
