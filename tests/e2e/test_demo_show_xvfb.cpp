// The demo show as a user sees it: `yov /w` on the bundled demo scene on a real X server
// (Xvfb) for 20 seconds. The window's picture, grabbed every second, changes where trains run
// (the tracks' bands) and nowhere else (the sky, the hills and the station's upper floors);
// nothing reaches the error log; Esc ends the show and the program with status 0. The first
// and last grabs are written to the build folder (demo_show_first.png, demo_show_last.png).
#include <gtest/gtest.h>

#include <QImage>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "xvfb_fixture.h"

namespace {

using xvfb_test::XServer;

constexpr int kWidth = 800;  // the first size of a windowed show
constexpr int kHeight = 600;
constexpr int kSeconds = 20;
// The demo's upper track has its rail line 140 pixels above the scene's bottom, its trains 60
// pixels tall with pantographs and wire above them: nothing above this row moves.
constexpr int kStillAbove = kHeight - 140 - 60 - 30;
constexpr uint32_t kEscapeSym = 0xff1b;

// The show window: a mapped top-level window of the show's size.
xcb_window_t findShowWindow(xcb_connection_t* c) {
    for (const xvfb_test::ShownWindow& w : xvfb_test::shownWindows(c)) {
        if (w.width == kWidth && w.height == kHeight) return w.window;
    }
    return 0;
}

// The window's pixels, 0x00RRGGBB, row by row; empty when it cannot be read.
std::vector<uint32_t> grab(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, kWidth, kHeight, ~0u), nullptr);
    std::vector<uint32_t> pixels;
    if (image == nullptr) return pixels;
    const int length = xcb_get_image_data_length(image);
    if (length >= kWidth * kHeight * 4) {
        const uint8_t* data = xcb_get_image_data(image);
        pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint32_t{data[4 * i]} | uint32_t{data[4 * i + 1]} << 8 | uint32_t{data[4 * i + 2]} << 16;
    }
    std::free(image);
    return pixels;
}

void save(const std::vector<uint32_t>& pixels, const char* name) {
    QImage image(reinterpret_cast<const uchar*>(pixels.data()), kWidth, kHeight, QImage::Format_RGB32);
    image.save(QString(YOV_BIN_DIR) + "/../" + name);
}

struct Change {
    int pixels = 0;
    int topRow = kHeight;
};

Change compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    Change d;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * kWidth + x;
            if (a[i] == b[i]) continue;
            ++d.pixels;
            d.topRow = std::min(d.topRow, y);
        }
    }
    return d;
}

TEST(DemoShow, RunsInAWindowMovesOnlyWhereTrainsRunAndEndsOnEsc) {
    XServer& x = XServer::get();
    ASSERT_NE(x.connection(), nullptr) << x.failure().toStdString();
    xcb_connection_t* c = x.connection();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QProcessEnvironment env = xvfb_test::yovEnvironment(home);
    for (const char* add : {"/addcnf", "/addstk"}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString(YOV_BIN_DIR) + "/yov",
                {add, add[4] == 'c' ? YOV_DEMO_DATA "/demo.ttt" : YOV_DEMO_DATA "/demo.stk"});
        ASSERT_TRUE(p.waitForFinished(20000));
        ASSERT_EQ(p.exitCode(), 0);
    }

    QProcess yov;
    yov.setProcessEnvironment(env);
    yov.start(QString(YOV_BIN_DIR) + "/yov", {"/w"});
    ASSERT_TRUE(yov.waitForStarted(5000));
    xcb_window_t window = 0;
    QElapsedTimer waited;
    waited.start();
    while (window == 0 && waited.elapsed() < 20000 && yov.state() == QProcess::Running) {
        yov.waitForFinished(100);
        window = findShowWindow(c);
    }
    ASSERT_NE(window, 0u) << "no show window; stderr: " << yov.readAllStandardError().toStdString();

    // The scene is drawn once the sky above the tracks has more than the window's first colour
    // (a slow start, as under a sanitizer, shows the bare window for a while).
    waited.restart();
    for (bool drawn = false; !drawn && waited.elapsed() < 20000 && yov.state() == QProcess::Running;) {
        const std::vector<uint32_t> first = grab(c, window);
        drawn = !first.empty() && std::any_of(first.begin(), first.begin() + kStillAbove * kWidth,
                                              [&](uint32_t p) { return p != first[0]; });
        if (!drawn) yov.waitForFinished(100);
    }

    std::vector<std::vector<uint32_t>> frames;
    for (int s = 0; s < kSeconds && yov.state() == QProcess::Running; ++s) {
        yov.waitForFinished(1000);
        frames.push_back(grab(c, window));
        ASSERT_FALSE(frames.back().empty()) << "the window cannot be read";
    }
    ASSERT_EQ(frames.size(), static_cast<size_t>(kSeconds)) << yov.readAllStandardError().toStdString();
    save(frames.front(), "demo_show_first.png");
    save(frames.back(), "demo_show_last.png");
    int changing = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const Change d = compare(frames[i - 1], frames[i]);
        changing += d.pixels > 0;
        EXPECT_GE(d.topRow, kStillAbove) << "second " << i << ": the scene above the tracks changed";
    }
    EXPECT_GE(changing, kSeconds * 3 / 4) << "trains run: most seconds show a change";

    xvfb_test::sendKey(c, window, xvfb_test::keycodeOf(c, kEscapeSym, 9));  // 9: where Xvfb's map has it
    EXPECT_TRUE(yov.waitForFinished(10000)) << "Esc ends the show";
    if (yov.state() != QProcess::NotRunning) {
        yov.kill();
        yov.waitForFinished();
    }
    EXPECT_EQ(yov.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(yov.exitCode(), 0) << yov.readAllStandardError().toStdString();
    std::ifstream log(home.filePath("Rolvane.err").toStdString());
    const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_EQ(logged, "") << "no error-log line";
}

}  // namespace
