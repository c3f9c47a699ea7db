#include "program/ui/foreign_window.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>

#include "program/core/startup/terminate_signal.h"

namespace yov {

namespace {

constexpr int kWatchIntervalMs = 200;
// The first look waits longer: a slow start (a loaded machine, a sanitizer build) must not
// read as the window having gone before the show has begun.
constexpr int kFirstWatchMs = 2000;

xcb_connection_t* connection() {
    auto* app = qGuiApp;
    if (app == nullptr) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace

ForeignSize ForeignWindowSize(uintptr_t window) {
    ForeignSize size;
    xcb_connection_t* c = connection();
    if (c == nullptr || window == 0 || window > UINT32_MAX) return size;
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, static_cast<xcb_drawable_t>(window)), &error);
    std::free(error);
    if (reply == nullptr) return size;
    size.exists = true;
    size.width = reply->width;
    size.height = reply->height;
    std::free(reply);
    return size;
}

uintptr_t RootWindowId() {
    xcb_connection_t* c = connection();
    if (c == nullptr) return 0;
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    return it.rem > 0 ? it.data->root : 0;
}

bool EmbedInForeignWindow(QWidget* widget, uintptr_t window) {
    const ForeignSize size = ForeignWindowSize(window);
    if (widget == nullptr || !size.exists) return false;
    QWindow* foreign = QWindow::fromWinId(static_cast<WId>(window));
    if (foreign == nullptr) return false;
    // A window of our own that already exists keeps its native window; only what would lift
    // it over the daemon's screen goes.
    widget->hide();
    if (!widget->windowFlags().testFlag(Qt::FramelessWindowHint) ||
        widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        widget->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }
    widget->setAttribute(Qt::WA_NativeWindow);
    widget->winId();
    if (widget->windowHandle() == nullptr) return false;
    // The stand-in for the foreign window lives as long as the process; Qt never destroys
    // the window it stands for.
    widget->windowHandle()->setParent(foreign);
    widget->setGeometry(0, 0, size.width, size.height);
    widget->show();
    return true;
}

void WatchForeignWindow(QObject* owner, uintptr_t window) {
    auto* timer = new QTimer(owner);
    timer->setInterval(kFirstWatchMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, window] {
        timer->setInterval(kWatchIntervalMs);
        if (ForeignWindowSize(window).exists) return;
        timer->stop();
        OnTerminateRequest();
    });
    timer->start();
}

}  // namespace yov
