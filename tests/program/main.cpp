// Program tests run inside one QApplication on the offscreen platform, so widgets can be
// made without a display (also when the binary is run by hand or listed by CTest).
// Each test runs on a fresh program state, so the tests pass in any order in one process.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>
#include <memory>

#include "fresh_program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/show/frame_step.h"
#include "program/trains/train_records.h"
#include "program/ui/window_ops_qt.h"

namespace {

class FreshStatePerTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        fresh_ = std::make_unique<program_test::FreshProgramState>();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { fresh_.reset(); }

    std::unique_ptr<program_test::FreshProgramState> fresh_;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's window system, the show's frame step and the started train's step texts,
    // as the program puts them in place at start-up.
    yov::UseQtWindowSystem();
    yov::upperCalls().frameStep = yov::CheckStep;
    yov::upperCalls().trainStepText = yov::StartedTrainStepText;
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshStatePerTest);
    return RUN_ALL_TESTS();
}
