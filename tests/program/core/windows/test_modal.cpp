#include "program/core/windows/modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <memory>

#include "modal_driver.h"
#include "program/core/startup/core_state.h"
#include "upper_calls_recorder.h"

namespace {

using yov::modalState;
using yov::ShowModal;
using yov_test::whenModal;

class ModalDisplay : public ::testing::Test {
protected:
    yov_test::ModalWatchdog watchdog_;
};

TEST_F(ModalDisplay, NestedWindowsCountTwoWhileBothAreOpen) {
    QWidget outer, inner;
    int depthInside = -1;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w, &outer);
        EXPECT_EQ(modalState().ModalDepth, 1);
        whenModal(
            [&](QWidget* w2) {
                EXPECT_EQ(w2, &inner);
                depthInside = modalState().ModalDepth;
                inner.hide();
            },
            &outer);
        ShowModal(&inner);
        EXPECT_EQ(modalState().ModalDepth, 1);
        outer.hide();
    });
    ShowModal(&outer);
    EXPECT_EQ(depthInside, 2);
    EXPECT_EQ(modalState().ModalDepth, 0);
}

TEST_F(ModalDisplay, ClearsTheResultHidesTheTipAndSetsTheCaption) {
    program_test::UpperCallsRecorder above;
    modalState().DialogResult = 7;
    QWidget w;
    w.setWindowTitle(QStringLiteral("Designed"));
    whenModal([&](QWidget* shown) {
        EXPECT_EQ(modalState().DialogResult, 0);
        EXPECT_EQ(shown->windowTitle(), QStringLiteral("Asked"));
        EXPECT_TRUE(shown->isModal());
        modalState().DialogResult = 1;
        shown->hide();
    });
    ShowModal(&w, u"Asked");
    EXPECT_EQ(above.tipsHidden, 1);
    EXPECT_EQ(modalState().DialogResult, 1);
    EXPECT_FALSE(w.isModal());  // the window can be shown modeless again afterwards
}

TEST_F(ModalDisplay, AnEmptyCaptionKeepsTheWindowsOwn) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Designed"));
    whenModal([&](QWidget* shown) { shown->close(); });
    ShowModal(&w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Designed"));
}

TEST_F(ModalDisplay, AWindowDeletedWhileShownEndsTheLoop) {
    auto* w = new QWidget;
    whenModal([&](QWidget* shown) { delete shown; });
    ShowModal(w);
    EXPECT_EQ(modalState().ModalDepth, 0);
}

TEST_F(ModalDisplay, AVisibleWindowIsShownAfreshAsModal) {
    QWidget w;
    w.show();
    whenModal([&](QWidget* shown) {
        EXPECT_EQ(shown, &w);
        EXPECT_TRUE(shown->isModal());
        shown->hide();
    });
    ShowModal(&w);
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
