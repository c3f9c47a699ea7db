// The event filter the engine puts on a registered window or a subclassed control: it turns
// the Qt events the engine's procedure cares about into engine window messages.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include "lumvatek/window_ops.h"

class QWidget;

namespace yov {

class QtWindowOps;

// The window system's key-state word: mouse buttons and Shift/Ctrl.
int32_t keyStateWord(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

class FormHook : public QObject {
    Q_OBJECT
public:
    FormHook(QtWindowOps& ops, QWidget* window, int32_t hook, int32_t userData);

    int32_t hook() const { return hook_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LvWindowMessage message(int32_t kind) const;
    bool formEvent(QEvent* event);
    bool controlEvent(QEvent* event);
    void sizing();

    QtWindowOps& ops_;
    QPointer<QWidget> window_;
    int32_t hook_;
    int32_t userData_;
    QRect lastGeometry_;
};

}  // namespace yov
