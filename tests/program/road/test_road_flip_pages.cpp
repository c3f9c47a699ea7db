// The full-screen show with the surface drawing methods, from a script's text: one slow train
// on a scene of one colour, watched on the show window. A step in which nothing moved paints
// nothing there, also when the show flips a chain of pages (they share one bitmap, so what
// the steps before drew is on the page drawn next), and the window shows the train where it
// is, with no trace of where it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "program/show_data/show_state.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_records.h"
#include "program/ui/show_windows.h"
#include "script_show_fixture.h"

namespace {

struct Method {
    const char* name;
    const char16_t* drawAlg;
    uint8_t flipCount;
};
void PrintTo(const Method& m, std::ostream* os) { *os << m.name; }

class RoadFlipPages : public ::testing::TestWithParam<Method> {};

constexpr uint32_t kScene = 0x205030;  // the scene picture's colour, 0x00BBGGRR

yov::ShowWindowBase* ShowWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* show = dynamic_cast<yov::ShowWindowBase*>(w);
        if (show != nullptr && show->isVisible()) return show;
    }
    return nullptr;
}

// What the show window paints, between two looks.
class PaintWatch : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

// The columns of the train's picture on the screen, from its left edge.
struct Span {
    int left = 0;
    int width = 0;
};

Span TrainSpan() {
    const std::vector<int32_t> running = road::TrainsWithPictures();
    if (running.size() != 1) return {};
    const yov::TrainRec& r = yov::trains().at(running[0]);
    const yov::TrainPicture& p = yov::trainPictures()[r.Members[1]];
    return {r.OriginX + p.X, p.Width};
}

// Columns outside the train where the window shows what it did not show before the train
// came: each is a trace left behind.
std::vector<int> TracedColumns(const QImage& shown, const QImage& empty, const Span& train) {
    std::vector<int> traced;
    for (int x = 0; x < shown.width(); ++x) {
        if (x >= train.left && x < train.left + train.width) continue;
        for (int y = 0; y < shown.height(); ++y) {
            if (shown.pixel(x, y) != empty.pixel(x, y)) {
                traced.push_back(x);
                break;
            }
        }
    }
    return traced;
}

bool TrainShown(const QImage& shown, const QImage& empty, const Span& train) {
    for (int x = std::max(train.left, 0); x < std::min(train.left + train.width, shown.width()); ++x) {
        for (int y = 0; y < shown.height(); ++y) {
            if (shown.pixel(x, y) != empty.pixel(x, y)) return true;
        }
    }
    return false;
}

TEST_P(RoadFlipPages, AStepWithNothingMovedPaintsNothingAndTheTrainLeavesNoTrace) {
    if (road::RunInChild()) return;
    road::WriteSolidBmp("scene.bmp", 800, 200, kScene);
    road::WriteFile("slow.ttt", road::DemoHead(5) + "$BACKGROUND #A6CAEA\n$SCENE BG=(" +
                                    road::PictureName(road::Folder() + "scene.bmp") +
                                    ")\n$PATH Y=60;W=E;D=R;SEQ=F;NL\nM=SIMPLE;C=DIESEL;V=1\n$ENDPATH\n$ENDSCENE\n");
    road::RunOptions options;
    options.commandLine = u"/f";
    options.settings = {{u"DrawAlgF", GetParam().drawAlg}, {u"SpeedF", u"20"}};
    PaintWatch watch;
    yov::ShowWindowBase* window = nullptr;
    int32_t lastX = 0;       // the train's place at the frame before
    bool movedLast = false;  // it moved in the step of the frame before
    Span before, twoBack;    // its columns at the frame before and the one before that
    int stillFrames = 0;     // frames after a step in which it did not move
    int paintedStill = 0;    // of these, frames whose step painted the window
    int movedFrames = 0;
    std::vector<int> unshownMoves;  // frames whose move the window did not paint whole
    int framesOnScreen = 0;         // frames looked at that showed the train on the scene
    std::map<int, std::vector<int>> traces;
    QImage empty;  // the window before the train came
    const road::Run run = road::RunScript(
        "slow.ttt", 400,
        [&](const road::Frame& f) {
            ASSERT_EQ(yov::showState().FlipCount, GetParam().flipCount);
            if (window == nullptr) {
                window = ShowWindow();
                ASSERT_NE(window, nullptr);
                window->installEventFilter(&watch);
            }
            // The window paints a frame once it is presented: what it painted since the last
            // look is the frame before this one.
            const QRegion painted = watch.painted;
            watch.painted = QRegion();
            const std::vector<int32_t> running = road::TrainsWithPictures();
            if (running.size() != 1 || (yov::trains().at(running[0]).Flags & yov::train_flag::kMoving) == 0) {
                movedLast = false;
                return;
            }
            if (movedLast) {
                // The window paints at least the columns the train left and those it took.
                const int from = std::max(0, std::min(twoBack.left, before.left));
                const int to =
                    std::min(window->width(), std::max(twoBack.left + twoBack.width, before.left + before.width));
                const QRect b = painted.boundingRect();
                if (from < to && (painted.isEmpty() || b.left() > from || b.right() < to - 1))
                    unshownMoves.push_back(f.number - 1);
            } else if (lastX != 0) {
                ++stillFrames;
                if (!painted.isEmpty()) ++paintedStill;
            }
            const int32_t x = yov::trainPictures()[yov::trains().at(running[0]).Members[1]].X;
            movedLast = lastX != 0 && x != lastX;
            movedFrames += movedLast ? 1 : 0;
            lastX = x;
            twoBack = before;
            before = TrainSpan();
            if (empty.isNull()) {
                ASSERT_LE(before.left + before.width, 0) << "the train comes on the scene later";
                empty = window->presenter().snapshot();
            }
            if (f.number % 10 != 0) return;
            const QImage shown = window->presenter().snapshot();
            ASSERT_EQ(shown.size(), empty.size());
            if (before.left + before.width <= 0 || before.left >= shown.width()) return;
            ++framesOnScreen;
            EXPECT_TRUE(TrainShown(shown, empty, before)) << "frame " << f.number;
            const std::vector<int> traced = TracedColumns(shown, empty, before);
            if (!traced.empty()) traces[f.number] = traced;
        },
        options);
    EXPECT_EQ(run.frames, 400);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.log, "");
    EXPECT_GT(movedFrames, 20) << "the train moved";
    EXPECT_GT(stillFrames, 100) << "and stood still between its moves";
    EXPECT_EQ(paintedStill, 0) << "of " << stillFrames << " frames after a step without a move";
    EXPECT_EQ(unshownMoves, std::vector<int>{}) << "frames whose move the window did not paint";
    EXPECT_GT(framesOnScreen, 10);
    for (const auto& [frame, columns] : traces) {
        ADD_FAILURE() << "frame " << frame << ": " << columns.size() << " columns beside the train from "
                      << columns.front() << " to " << columns.back();
    }
}

INSTANTIATE_TEST_SUITE_P(Road, RoadFlipPages,
                         ::testing::Values(Method{"OneSurface", u"2", 0}, Method{"DoubleBuffered", u"3", 1},
                                           Method{"TripleBuffered", u"4", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
