// What the fuzz targets over the parameter language share: the program's parser, table and
// line readers on the engine the program binds, messages going to an error log that is
// thrown away instead of into boxes, the program's random sequence seeded from the input,
// and a guard that lets the language's own errors pass.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/core/binding/engine_events.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/utilities.h"

namespace fuzz_param {

// Once per process: the engine on the program's arrays, no boxes (as in a batch run, where
// nobody could answer one) and the log written nowhere.
inline void StartProgram() {
    yov::ProgramState& st = yov::programState();
    st.files.ErrorLogPath = u"/dev/null";
    st.run.BatchMode = 1;
    if (yov::InitEngineOnProgramArrays(nullptr, nullptr) != 0) std::abort();
}

// Per input: the random draws repeat for the same seed.
inline void SeedDraws(uint8_t seed) { yov::programRandom().seed(seed); }

// The input from byte `from` on, one byte per character.
inline std::u16string TextFrom(const uint8_t* data, size_t size, size_t from) {
    std::u16string text;
    for (size_t i = from; i < size; ++i) text += static_cast<char16_t>(data[i]);
    return text;
}

// Runs f; an error of the language (a ProgramError) is expected and passes.
template <class F>
void Try(F&& f) {
    try {
        f();
    } catch (const yov::ProgramError&) {}
}

}  // namespace fuzz_param
