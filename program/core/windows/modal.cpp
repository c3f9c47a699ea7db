#include "program/core/windows/modal.h"

#include <QApplication>
#include <QDialog>
#include <QDrag>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

#include "program/core/startup/program_state.h"
#include "program/core/startup/util_hooks.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

// Ends the modal loop when the window goes out of sight by any road: hidden by a
// handler, closed by the window system, or deleted.
class ModalEndWatcher : public QObject {
public:
    explicit ModalEndWatcher(QEventLoop* loop) : loop_(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) loop_->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop* loop_;
};

// The loops ShowModal runs now, outermost first.
struct OpenLoop {
    QPointer<QWidget> window;
    QEventLoop* loop;
};

std::vector<OpenLoop>& openLoops() {
    static std::vector<OpenLoop> loops;
    return loops;
}

class OpenLoopEntry {
public:
    OpenLoopEntry(QWidget* window, QEventLoop* loop) { openLoops().push_back({window, loop}); }
    ~OpenLoopEntry() { openLoops().pop_back(); }
    OpenLoopEntry(const OpenLoopEntry&) = delete;
    OpenLoopEntry& operator=(const OpenLoopEntry&) = delete;
};

// The depth is a byte in the record; keeping the count right also when a window's
// handler throws through the loop is what lets the stock timers run again.
class DepthCount {
public:
    DepthCount() { ++modalState().ModalDepth; }
    ~DepthCount() { --modalState().ModalDepth; }
    DepthCount(const DepthCount&) = delete;
    DepthCount& operator=(const DepthCount&) = delete;
};

}  // namespace

void ShowModal(QWidget* window, std::u16string_view caption) {
    if (window == nullptr) return;
    modalState().DialogResult = 0;
    // Nobody is there to answer any more: whatever asks goes on as if the window was closed.
    if (programState().run.EndRequest != 0) return;
    if (utilHooks().hideTip) utilHooks().hideTip();
    DepthCount depth;
    if (!caption.empty()) window->setWindowTitle(toQString(caption));

    QPointer<QWidget> guard(window);
    const Qt::WindowModality before = window->windowModality();
    // Modality only takes effect on a window that is shown afresh.
    if (window->isVisible()) window->hide();
    window->setWindowModality(Qt::ApplicationModal);

    QEventLoop loop;
    ModalEndWatcher watcher(&loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->show();
    window->raise();
    window->activateWindow();
    if (guard && guard->isVisible()) {
        const OpenLoopEntry entry(window, &loop);
        loop.exec(QEventLoop::DialogExec);
    }

    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(before);
    }
}

void EndModalLoops() {
    // A copy: a window's hide handler may run code that asks for a window itself.
    const std::vector<OpenLoop> loops = openLoops();
    for (const OpenLoop& l : loops) {
        if (l.window) l.window->hide();
        l.loop->quit();
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
    // A popup menu's exec ends when it closes; closing one may open no other, but a bound keeps
    // a menu that refuses from holding this here.
    for (int guard = 0; guard < 16 && QApplication::activePopupWidget() != nullptr; ++guard)
        QApplication::activePopupWidget()->close();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) dialog->reject();
    }
    QDrag::cancel();
}

}  // namespace yov
