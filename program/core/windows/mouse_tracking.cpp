#include "program/core/windows/mouse_tracking.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace yov {

namespace {

// Watches one window for one arming at a time.
class HoverLeaveTracker : public QObject {
public:
    explicit HoverLeaveTracker(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QStringLiteral("yovMouseTracker"));
        timer_.setSingleShot(true);
        timer_.setInterval(kHoverTimeMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { hoverDue(); });
    }

    void arm() {
        if (!armed_) {
            hadMouseTracking_ = window_->hasMouseTracking();
            window_->setMouseTracking(true);  // moves without a button pressed
            window_->installEventFilter(this);
        }
        armed_ = true;
        hoverArmed_ = true;
        if (!window_->underMouse()) {
            post(MouseTrackEvent::Kind::Leave, {});
            disarm();
            return;
        }
        anchor_ = window_->mapFromGlobal(QCursor::pos());
        last_ = anchor_;
        timer_.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || !armed_) return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::MouseMove) {
            last_ = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (hoverArmed_ && (last_ - anchor_).manhattanLength() > kHoverSlackPx) {
                anchor_ = last_;
                timer_.start();
            }
        } else if (event->type() == QEvent::Leave) {
            post(MouseTrackEvent::Kind::Leave, last_);
            disarm();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void hoverDue() {
        if (!armed_ || !hoverArmed_) return;
        hoverArmed_ = false;
        post(MouseTrackEvent::Kind::Hover, last_);
    }

    void post(MouseTrackEvent::Kind kind, QPoint at) {
        QCoreApplication::postEvent(window_, new MouseTrackEvent(kind, at));
    }

    void disarm() {
        timer_.stop();
        armed_ = false;
        hoverArmed_ = false;
        window_->removeEventFilter(this);
        window_->setMouseTracking(hadMouseTracking_);
    }

    QWidget* window_;
    QTimer timer_;
    bool armed_ = false;
    bool hoverArmed_ = false;
    bool hadMouseTracking_ = false;
    QPoint anchor_;
    QPoint last_;
};

}  // namespace

MouseTrackEvent::MouseTrackEvent(Kind kind, QPoint position) : QEvent(eventType()), kind_(kind), position_(position) {}

QEvent::Type MouseTrackEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void TrackMouse(uint16_t id, QWidget* window) {
    if (id == mouseTracking().TrackedId) return;
    // A window that is gone cannot be tracked; like a failing system call, that is ignored.
    if (window != nullptr) {
        // The name is ours alone, so the child found is our tracker.
        auto* tracker = static_cast<HoverLeaveTracker*>(
            window->findChild<QObject*>(QStringLiteral("yovMouseTracker"), Qt::FindDirectChildrenOnly));
        if (tracker == nullptr) tracker = new HoverLeaveTracker(window);
        tracker->arm();
    }
    mouseTracking().TrackedId = id;
}

}  // namespace yov
