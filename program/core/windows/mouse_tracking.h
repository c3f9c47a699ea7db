// Hover and leave notices for a window, armed once per tracking id.
//
// Arming asks for one hover notice (the mouse rests on the window for the hover time)
// and one leave notice (the mouse leaves it; at once when it is not over the window when
// armed). Both arrive as a MouseTrackEvent posted to the window, where the window glue
// passes them on as the hover and leave events of the window's slot. A leave notice ends
// all tracking of that arming; a hover notice ends only the hover part.
#pragma once

#include <cstdint>

#include <QEvent>
#include <QPoint>

class QWidget;

namespace yov {

class MouseTrackEvent : public QEvent {
public:
    enum class Kind { Hover, Leave };
    MouseTrackEvent(Kind kind, QPoint position);
    static QEvent::Type eventType();
    Kind kind() const { return kind_; }
    QPoint position() const { return position_; }  // in the window's coordinates

private:
    Kind kind_;
    QPoint position_;
};

// The system's default hover time and the distance the mouse may move while resting.
inline constexpr int kHoverTimeMs = 400;
inline constexpr int kHoverSlackPx = 4;

struct MouseTrackingState {
    // The id of the window for which tracking was last armed; 0 = none. The stock windows
    // clear it when the mouse leaves, so that the next hover arms tracking again.
    uint16_t TrackedId = 0;
};
MouseTrackingState& mouseTracking();

// Arms hover and leave notices for `window` unless `id` is the tracked id already.
void TrackMouse(uint16_t id, QWidget* window);

}  // namespace yov
