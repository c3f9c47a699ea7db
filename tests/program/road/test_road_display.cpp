// The show's window from a script's text: resized while a line's area is being wiped, the
// show starts its scene anew without a wipe left over from the old one, and its trains run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include <cstring>
#include <map>

#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_picture.h"
#include "script_show_fixture.h"

namespace {

// The windowed show's window.
QWidget* ShowWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && std::strcmp(w->metaObject()->className(), "yov::ScrWin") == 0) return w;
    }
    return nullptr;
}

// The wipe the frame painter works on is 0 or a line that still has a wipe or way text on a page.
bool WipeIsSound() {
    const yov::ShowState& ss = yov::showState();
    if (ss.WipeTrain == 0) return true;
    if (!yov::trains().valid(ss.WipeTrain)) return false;
    const yov::TrainRec& r = yov::trains().at(ss.WipeTrain);
    for (int32_t page = 0; page <= ss.FlipCount && page < 3; ++page)
        if ((r.BufferRedraw[static_cast<size_t>(page)] & (0x080 | 0x100 | 0x200)) != 0) return true;
    return false;
}

TEST(RoadDisplay, AWindowResizedDuringAWipeStartsTheSceneWithoutIt) {
    if (road::RunInChild()) return;
    road::WriteFile("resize.ttt", road::DemoHead(5) + "M=SIMPLE;C=E40;V=10;D=R\nM=SIMPLE;C=DIESEL;V=10;D=L\n");
    int resizedAt = 0;                 // the frame after which the window was resized
    int moving = 0;                    // frames after it in which a train of the new scene moved
    std::map<int32_t, int32_t> lastX;  // per train record
    const road::Run run = road::RunScript("resize.ttt", 1200, [&](const road::Frame& f) {
        ASSERT_TRUE(WipeIsSound()) << "frame " << f.number << ": wipe " << yov::showState().WipeTrain;
        if (resizedAt == 0 && yov::showState().WipeTrain != 0) {
            QWidget* w = ShowWindow();
            ASSERT_NE(w, nullptr);
            w->resize(w->width() - 40, w->height() - 30);
            QCoreApplication::processEvents();
            resizedAt = f.number;
            return;
        }
        if (resizedAt == 0) return;
        bool moved = false;
        for (int32_t t : road::TrainsWithPictures()) {
            const int32_t x = yov::trainPictures()[yov::trains().at(t).Members[1]].X;
            moved = moved || (lastX.count(t) != 0 && lastX[t] != x);
            lastX[t] = x;
        }
        if (moved) ++moving;
    });
    EXPECT_EQ(run.log, "");
    EXPECT_GT(resizedAt, 0) << "a wipe was seen";
    EXPECT_GT(moving, 100) << "the new scene's trains run";
}

}  // namespace
