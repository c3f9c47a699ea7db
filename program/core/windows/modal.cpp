#include "program/core/windows/modal.h"

#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "program/core/startup/util_hooks.h"

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

ModalState& modalState() {
    static ModalState state;
    return state;
}

void ShowModal(QWidget* window, std::u16string_view caption) {
    if (window == nullptr) return;
    if (utilHooks().hideTip) utilHooks().hideTip();
    modalState().DialogResult = 0;
    DepthCount depth;
    if (!caption.empty())
        window->setWindowTitle(QString::fromUtf16(caption.data(), static_cast<qsizetype>(caption.size())));

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
    if (guard && guard->isVisible()) loop.exec(QEventLoop::DialogExec);

    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(before);
    }
}

}  // namespace yov
