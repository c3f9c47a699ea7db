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

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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

// The key that types the key symbol (a keysym such as 0xff1b for Esc, 'm' for M) on the
// server's keyboard map; `fallback` when the map has none.
inline xcb_keycode_t keycodeOf(xcb_connection_t* c, xcb_keysym_t symbol, xcb_keycode_t fallback) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map =
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
    xcb_keycode_t found = fallback;
    if (map != nullptr) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int k = 0; k < count; ++k) {
            if (syms[k * map->keysyms_per_keycode] == symbol) {
                found = static_cast<xcb_keycode_t>(setup->min_keycode + k);
                break;
            }
        }
        std::free(map);
    }
    return found;
}

// A press and release of the key, sent to the window as the keyboard would.
inline void sendKey(xcb_connection_t* c, xcb_window_t w, xcb_keycode_t key) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    for (uint8_t type : {uint8_t{XCB_KEY_PRESS}, uint8_t{XCB_KEY_RELEASE}}) {
        xcb_key_press_event_t e{};
        e.response_type = type;
        e.detail = key;
        e.root = root;
        e.event = w;
        e.child = XCB_NONE;
        e.event_x = e.root_x = 10;
        e.event_y = e.root_y = 10;
        e.same_screen = 1;
        xcb_send_event(c, 0, w, type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&e));
    }
    xcb_flush(c);
}

struct ShownWindow {
    xcb_window_t window = 0;
    int width = 0;
    int height = 0;
};

// The mapped top-level windows (the server runs no window manager: they are the root's
// children), popup menus among them.
inline std::vector<ShownWindow> shownWindows(xcb_connection_t* c) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::vector<ShownWindow> shown;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (tree == nullptr) return shown;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
        xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        if (g != nullptr && a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE)
            shown.push_back({children[i], g->width, g->height});
        std::free(g);
        std::free(a);
    }
    std::free(tree);
    return shown;
}

}  // namespace xvfb_test
