// The drawing toolbox in a known state for each test: the show's answers on its fresh records
// (no step running, no train moving, no brushes until a test sets them), frame steps recorded,
// message boxes answered by a recorder; pictures as rows of letters.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "answering_msgbox.h"
#include "frame_step_stand_ins.h"
#include "engine/letter_pictures.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/startup/upper_calls.h"
#include "program/show/show_wiring.h"

namespace canvas_test {

using letterpic::LetterValue;
using letterpic::Mask;
using letterpic::Picture;

// COLORREF (0x00BBGGRR) of a letter's colour.
inline plat::COLORREF Colour(char c) {
    const uint32_t v = LetterValue(c);
    return plat::RGB(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v));
}

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The show's answers, as the program wires them: what a test sets in the show's
        // records (a step running, trains started, the brushes) is what the toolbox sees.
        yov::showDrawing() = &yov::kShowDrawing;
        // Other tests may have stopped or reloaded the engine since the classes were handed over.
        yov::ForgetBufferClasses();
    }

    program_test::RecordedFrameSteps frameSteps;
    std::vector<int32_t>& steps = frameSteps.sites;
    program_test::AnsweringMsgBox boxes{yov::msgbox::kOk};
};

}  // namespace canvas_test
