#include "program/ui/form_hook.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "program/core/windows/mouse_tracking.h"
#include "program/ui/window_ops_qt.h"

namespace yov {

int32_t keyStateWord(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int32_t keys = 0;
    if (buttons & Qt::LeftButton) keys |= 0x1;
    if (buttons & Qt::RightButton) keys |= 0x2;
    if (modifiers & Qt::ShiftModifier) keys |= 0x4;
    if (modifiers & Qt::ControlModifier) keys |= 0x8;
    if (buttons & Qt::MiddleButton) keys |= 0x10;
    return keys;
}

namespace {

// Which edge a resize moved, from the geometry before and after it.
int32_t draggedEdge(const QRect& before, const QRect& after) {
    const bool left = after.left() != before.left();
    const bool top = after.top() != before.top();
    if (left && top) return kLvEdgeTopLeft;
    if (left) return after.bottom() != before.bottom() ? kLvEdgeBottomLeft : kLvEdgeLeft;
    if (top) return after.right() != before.right() ? kLvEdgeTopRight : kLvEdgeTop;
    const bool right = after.right() != before.right();
    const bool bottom = after.bottom() != before.bottom();
    if (right && bottom) return kLvEdgeBottomRight;
    return bottom ? kLvEdgeBottom : kLvEdgeRight;
}

}  // namespace

FormHook::FormHook(QtWindowOps& ops, QWidget* window, int32_t hook, int32_t userData)
    : ops_(ops), window_(window), hook_(hook), userData_(userData), lastGeometry_(window->geometry()) {
    if (hook_ == kLvHookForm) window->setMouseTracking(true);
}

LvWindowMessage FormHook::message(int32_t kind) const {
    LvWindowMessage m{};
    m.hook = hook_;
    m.userData = userData_;
    m.message = kind;
    return m;
}

bool FormHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_.data()) return false;
    return hook_ == kLvHookForm ? formEvent(event) : controlEvent(event);
}

bool FormHook::formEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Close: {
        // Only the window system's close request is the system menu's close; the
        // program closing its own windows is not asked about.
        if (!event->spontaneous()) return false;
        LvWindowMessage m = message(kLvMsgSysCommand);
        m.identifier = kLvScClose;
        if (ops_.forward(window_, m) != kLvProcHandled) return false;
        event->ignore();
        return true;
    }
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(event);
        LvWindowMessage m = message(kLvMsgMouseWheel);
        m.delta = w->angleDelta().y() != 0 ? w->angleDelta().y() : w->angleDelta().x();
        m.keys = keyStateWord(w->buttons(), w->modifiers());
        const QPoint p = w->globalPosition().toPoint();
        m.x = p.x();
        m.y = p.y();
        if (ops_.forward(window_, m) != kLvProcHandled) return false;
        event->accept();
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        LvWindowMessage m = message(kLvMsgMouseMove);
        const QPoint p = e->position().toPoint();
        m.x = p.x();
        m.y = p.y();
        m.keys = keyStateWord(e->buttons(), e->modifiers());
        ops_.forward(window_, m);
        return false;
    }
    case QEvent::Resize: sizing(); return false;
    case QEvent::Move: lastGeometry_ = window_->geometry(); return false;
    default: return false;
    }
}

// Qt reports a resize once it happened; the engine's answer to a window below its minimum
// size is applied right after, moving the edge that was dragged.
void FormHook::sizing() {
    const QRect now = window_->geometry();
    LvWindowMessage m = message(kLvMsgSizing);
    m.edge = draggedEdge(lastGeometry_, now);
    m.left = now.left();
    m.top = now.top();
    m.right = now.left() + now.width();
    m.bottom = now.top() + now.height();
    lastGeometry_ = now;
    if (ops_.forward(window_, m) != kLvProcHandled) return;
    const QRect wanted(m.left, m.top, m.right - m.left, m.bottom - m.top);
    if (wanted == now || wanted.width() <= 0 || wanted.height() <= 0) return;
    QPointer<QWidget> w = window_;
    QTimer::singleShot(0, this, [w, wanted] {
        if (w) w->setGeometry(wanted);
    });
}

// A subclassed control reports hover and leave only when mouse tracking was armed for it
// (TrackMouse), once per arming, as the window system does; the notices arrive as
// MouseTrackEvents posted to the control.
bool FormHook::controlEvent(QEvent* event) {
    if (event->type() == MouseTrackEvent::eventType()) {
        const auto* t = static_cast<MouseTrackEvent*>(event);
        const bool hover = t->kind() == MouseTrackEvent::Kind::Hover;
        LvWindowMessage m = message(hover ? kLvMsgMouseHover : kLvMsgMouseLeave);
        if (hover) {
            m.x = t->position().x();
            m.y = t->position().y();
            m.keys = keyStateWord(QGuiApplication::mouseButtons(), QGuiApplication::keyboardModifiers());
        }
        ops_.forward(window_, m);
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        LvWindowMessage m = message(kLvMsgContextMenu);
        return ops_.forward(window_, m) == kLvProcHandled;
    }
    return false;
}

}  // namespace yov
