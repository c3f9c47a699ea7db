// An Xvfb server for the tests that run yov on a real X server, one per test program, and
// the environment of a yov on it with its settings, locks and log in a home of the test's.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <sys/stat.h>

#include <memory>
#include <string>

namespace xvfb_test {

// One Xvfb server for the whole test program.
class XServer {
public:
    static XServer& get() {
        static XServer server;
        return server;
    }
    xcb_connection_t* connection() const { return connection_; }
    QString display() const { return QStringLiteral(":%1").arg(number_); }
    QString failure() const { return failure_; }

private:
    // Xvfb chooses a free display number itself and writes it to its standard output, so
    // test processes running side by side never share a server.
    XServer() {
        process_ = std::make_unique<QProcess>();
        process_->start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        if (!process_->waitForStarted(5000)) {
            failure_ = "Xvfb cannot be started (package xvfb)";
            return;
        }
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains('\n') && t.elapsed() < 20000 && process_->state() == QProcess::Running) {
            process_->waitForReadyRead(100);
            out += process_->readAllStandardOutput();
        }
        bool ok = false;
        const int n = out.trimmed().toInt(&ok);
        if (!ok) {
            failure_ = "Xvfb named no display: " + QString::fromLocal8Bit(process_->readAllStandardError());
            return;
        }
        const std::string name = ":" + std::to_string(n);
        xcb_connection_t* c = xcb_connect(name.c_str(), nullptr);
        if (xcb_connection_has_error(c) != 0) {
            xcb_disconnect(c);
            failure_ = QString::fromStdString("display " + name + " cannot be opened");
            return;
        }
        connection_ = c;
        number_ = n;
    }
    ~XServer() {
        if (connection_ != nullptr) xcb_disconnect(connection_);
        if (process_ && process_->state() != QProcess::NotRunning) {
            process_->terminate();
            process_->waitForFinished(5000);
        }
    }

    std::unique_ptr<QProcess> process_;
    xcb_connection_t* connection_ = nullptr;
    int number_ = 0;
    QString failure_;
};

// The environment of a yov on the test's X server, with its settings, locks and log in home.
inline QProcessEnvironment yovEnvironment(const QTemporaryDir& home) {
    QDir(home.path()).mkdir("run");
    ::chmod(QFile::encodeName(home.filePath("run")).constData(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", XServer::get().display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("YOV_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("TMP", home.path());
    env.remove("XSCREENSAVER_WINDOW");
    return env;
}

}  // namespace xvfb_test
