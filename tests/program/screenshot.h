// Pictures of windows for a person to look at. Only when YOV_SCREENSHOTS names a folder: the
// window is shown for a moment and, on a real X server (the tests run under xvfb-run with
// QT_QPA_PLATFORM=xcb), the whole screen is taken with ImageMagick's import; on the offscreen
// platform the window's own picture is saved instead. Otherwise nothing happens.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QString>
#include <QWidget>

namespace yov_test {

inline void keepScreen(QWidget* window, const char* name) {
    const QString dir = qEnvironmentVariable("YOV_SCREENSHOTS");
    if (dir.isEmpty() || window == nullptr) return;
    window->show();
    window->raise();
    window->activateWindow();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 700) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString path = dir + QLatin1Char('/') + QString::fromLatin1(name);
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        EXPECT_EQ(
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}), 0)
            << "import (package imagemagick)";
    } else {
        EXPECT_TRUE(window->grab().save(path)) << path.toStdString();
    }
}

}  // namespace yov_test
