// The program drawing into a window of another program on a real X server (Xvfb): the
// preview ("/p N") and the X screen-saver convention (--window-id N; XSCREENSAVER_WINDOW
// with --root), each into a parent window this test creates. What is drawn must show within
// a second, SIGTERM (and SIGINT) must end the program with status 0 within half a second, and a parent
// window that goes away must end it cleanly too.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "xvfb_fixture.h"

namespace {

using xvfb_test::XServer;
using xvfb_test::yovEnvironment;

constexpr int kParentWidth = 320;
constexpr int kParentHeight = 200;

xcb_window_t makeParent(xcb_connection_t* c) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->black_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 10, 10, kParentWidth, kParentHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    xcb_map_window(c, w);
    xcb_flush(c);
    return w;
}

// Pixels of the window (with what its children show) that are not black.
int coloured(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, kParentWidth, kParentHeight, ~0u), nullptr);
    if (image == nullptr) return -1;
    const uint8_t* data = xcb_get_image_data(image);
    const int length = xcb_get_image_data_length(image);
    int count = 0;
    for (int i = 0; i + 3 < length; i += 4) count += (data[i] | data[i + 1] | data[i + 2]) != 0;
    std::free(image);
    return count;
}

// Waits up to limitMs for pixels in the window while yov runs; how many were seen.
int waitForPixels(xcb_connection_t* c, xcb_window_t w, QProcess& yov, qint64 limitMs = 1000) {
    QElapsedTimer t;
    t.start();
    int seen = 0;
    // QProcess learns of the end only while waiting for it, so the pause between looks is that.
    while (t.elapsed() < limitMs && yov.state() == QProcess::Running) {
        seen = coloured(c, w);
        if (seen > 0) break;
        yov.waitForFinished(20);
    }
    return seen;
}

enum class End { Sigterm, Sigint, WindowGone };

struct ForeignCase {
    const char* name;
    const char* arguments;  // %W: the parent window's id
    bool daemonVariable;    // XSCREENSAVER_WINDOW names the parent
    End end;
};

const ForeignCase kCases[] = {
    {"PreviewEndsOnSigterm", "/p %W", false, End::Sigterm},
    {"PreviewEndsWhenItsWindowGoes", "/p %W", false, End::WindowGone},
    {"WindowIdEndsOnSigterm", "--window-id %W", false, End::Sigterm},
    {"WindowIdEndsOnSigint", "--window-id %W", false, End::Sigint},
    {"DaemonWindowWithRootEndsOnSigterm", "--root", true, End::Sigterm},
    {"WindowIdEndsWhenItsWindowGoes", "-window-id %W", false, End::WindowGone},
};

class ForeignWindow : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignWindow, DrawsIntoItAndEndsCleanly) {
    const ForeignCase& k = GetParam();
    XServer& x = XServer::get();
    ASSERT_NE(x.connection(), nullptr) << x.failure().toStdString();
    xcb_connection_t* c = x.connection();
    const xcb_window_t parent = makeParent(c);
    ASSERT_EQ(coloured(c, parent), 0) << "the parent starts black";

    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = yovEnvironment(home);
    if (k.daemonVariable) env.insert("XSCREENSAVER_WINDOW", QString::number(parent));
    QStringList arguments = QString::fromLatin1(k.arguments).split(' ');
    for (QString& a : arguments) a.replace("%W", QString::number(parent));

    QProcess yov;
    yov.setProcessEnvironment(env);
    yov.start(QString(YOV_BIN_DIR) + "/yov", arguments);
    ASSERT_TRUE(yov.waitForStarted(5000));
    const int seen = waitForPixels(c, parent, yov);
    EXPECT_GT(seen, 0) << "drawn within a second; stderr: " << yov.readAllStandardError().toStdString();
    ASSERT_EQ(yov.state(), QProcess::Running) << yov.readAllStandardError().toStdString();

    QElapsedTimer ending;
    ending.start();
    if (k.end != End::WindowGone) {
        if (k.end == End::Sigterm)
            yov.terminate();
        else
            ::kill(static_cast<pid_t>(yov.processId()), SIGINT);
        EXPECT_TRUE(yov.waitForFinished(5000));
        EXPECT_LE(ending.elapsed(), 500) << "the signal ends it within half a second";
    } else {
        xcb_destroy_window(c, parent);
        xcb_flush(c);
        EXPECT_TRUE(yov.waitForFinished(5000)) << "a window that went away ends the program";
    }
    if (yov.state() != QProcess::NotRunning) {
        yov.kill();
        yov.waitForFinished();
    }
    EXPECT_EQ(yov.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(yov.exitCode(), 0) << yov.readAllStandardError().toStdString();
    if (k.end != End::WindowGone) {
        xcb_destroy_window(c, parent);
        xcb_flush(c);
    }
}

INSTANTIATE_TEST_SUITE_P(Xvfb, ForeignWindow, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ForeignCase>& i) { return std::string(i.param.name); });

}  // namespace

namespace {

TEST(ForeignWindowMissing, APreviewWithoutItsWindowSaysSoAndEndsWithStatusOne) {
    XServer& x = XServer::get();
    ASSERT_NE(x.connection(), nullptr) << x.failure().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess yov;
    const QProcessEnvironment env = yovEnvironment(home);
    yov.setProcessEnvironment(env);
    yov.start(QString(YOV_BIN_DIR) + "/yov", {"/p", "0x7ffffff0"});
    ASSERT_TRUE(yov.waitForFinished(10000));
    EXPECT_EQ(yov.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(yov.exitCode(), 1);
    EXPECT_NE(yov.readAllStandardError().indexOf("window 2147483632 cannot be found"), -1);
}

}  // namespace

namespace {

// The settings file of a yov run, as text.
std::string settingsText(const QTemporaryDir& home) {
    QFile f(home.filePath("config/registry.reg"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

TEST(ForeignWindowShow, TheDemoSceneRunsInTheDaemonsWindowAndStoresItsLinesAtTheEnd) {
    XServer& x = XServer::get();
    ASSERT_NE(x.connection(), nullptr) << x.failure().toStdString();
    xcb_connection_t* c = x.connection();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QProcessEnvironment env = yovEnvironment(home);
    for (const char* add : {"/addcnf", "/addstk"}) {
        QProcess p;
        p.setProcessEnvironment(env);
        const char* file = add[4] == 'c' ? YOV_DEMO_DATA "/demo.ttt" : YOV_DEMO_DATA "/demo.stk";
        p.start(QString(YOV_BIN_DIR) + "/yov", {add, file});
        ASSERT_TRUE(p.waitForFinished(10000));
        ASSERT_EQ(p.exitCode(), 0);
    }
    const xcb_window_t parent = makeParent(c);

    QProcess yov;
    yov.setProcessEnvironment(env);
    yov.start(QString(YOV_BIN_DIR) + "/yov", {"--window-id", QString::number(parent)});
    ASSERT_TRUE(yov.waitForStarted(5000));
    QElapsedTimer started;
    started.start();
    const int seen = waitForPixels(c, parent, yov, 3000);
    const qint64 firstPixels = started.elapsed();
    bool drew = false;
    if (yov.state() == QProcess::Running) {
        drew = true;
        QElapsedTimer ending;
        ending.start();
        yov.terminate();
        EXPECT_TRUE(yov.waitForFinished(5000));
        EXPECT_LE(ending.elapsed(), 500) << "SIGTERM ends the show within half a second";
    } else {
        yov.waitForFinished(5000);
    }
    const std::string err = yov.readAllStandardError().toStdString();
    EXPECT_EQ(yov.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(yov.exitCode(), 0) << err;
    const std::string settings = settingsText(home);
    EXPECT_NE(settings.find("\"L\"="), std::string::npos) << "the show's end stores the lines\n" << settings;
    EXPECT_NE(settings.find("\"LCMX\"="), std::string::npos) << settings;
    xcb_destroy_window(c, parent);
    xcb_flush(c);
    EXPECT_TRUE(drew) << "the show ended by itself instead of running until SIGTERM; stderr: " << err;
    EXPECT_GT(seen, 0) << "the show draws into the daemon's window; stderr: " << err;
    EXPECT_LE(firstPixels, 1000) << "within a second";
}

}  // namespace
