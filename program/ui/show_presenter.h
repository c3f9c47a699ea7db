// The screen of a show window: what the engine's blit thread and the DirectDraw layer hand
// over as changed rectangles of the window's screen DC is copied into the window's frame
// picture at once, on the calling thread, and the window is asked to repaint them on the GUI
// thread. The copy is the only work on the caller's thread, so presenting never waits for
// the GUI and never blocks the frame step. The DirectDraw pages, drawn on the GUI thread
// itself, are lent instead: the window paints from them, and no frame of theirs is copied.
// So is the window's own screen DC, which only the GUI thread and the blit thread's batches
// draw into: the GUI thread paints from it while no batch is pending, so the screen is kept
// once, not again as a frame of the presenter's.
//
// A frame of another size than the window (a display mode under DirectDraw) is scaled to it.
#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

#include <atomic>
#include <mutex>

#include "lumvatek/blit.h"
#include "platform/raster.h"

class QPainter;
class QWidget;

namespace yov {

class FramePresenter {
public:
    // target: the window repainted; null for a presenter that only keeps the frame.
    explicit FramePresenter(QWidget* target);
    ~FramePresenter();
    FramePresenter(const FramePresenter&) = delete;
    FramePresenter& operator=(const FramePresenter&) = delete;

    // Makes this the engine's presenter; false when the engine refused it or is not there.
    bool install();
    // No call reaches this presenter once it returns.
    void uninstall();

    // Copies the rectangles of dc's bitmap (clipped to it) into the frame. Any thread.
    void present(plat::HDC dc, const LvRect* rects, int32_t count) noexcept;
    // The main thread's pages under DirectDraw when they share one bitmap: the rectangles are
    // shown from that bitmap itself, no copy, until the next call; dc 0 ends the loan and the
    // frame keeps a copy of the bitmap.
    void showPage(plat::HDC dc, const LvRect* rects, int32_t count) noexcept;

    // GUI thread: dc is the window's own screen, whose bitmap the window paints from when
    // rectangles of it are presented; the frame kept so far goes. Drawing into it on another
    // thread than the GUI thread is left to the engine's batches.
    void showScreen(plat::HDC dc);

    // GUI thread: the frame scaled onto the target rectangle. A paint of the screen while a
    // batch is pending first waits for that batch.
    void paint(QPainter& painter, const QRect& target);
    // GUI thread: the target repaints what changed since its last repaint, at once. The show
    // lets the window system run only now and then, so a repaint left to the event loop would
    // show a few frames a second. While a batch for the screen is pending the repaint is left
    // for the next call, so that the frame step never waits for the blit thread here.
    void repaintPending();
    // The bytes of frame the presenter keeps of its own, beside the pictures it is lent.
    qsizetype ownFrameBytes() const;
    // GUI thread: whether the paint under way is one that presenting asked for. Any other is
    // an exposure (a window moved away, a resize, the first show).
    bool presenting() const { return presenting_; }
    // A copy of the frame as it stands.
    QImage snapshot() const;

private:
    void scheduleRepaint();
    // Whether what is shown is the screen DC's bitmap.
    bool showsScreen() const;
    // Whether the screen may be read now (no batch pending, or the screen not shown); with
    // wait, waits for a pending batch first.
    bool screenSettled(bool wait) const;
    // Copies the rectangles of px into the frame. Caller holds mutex_.
    void copyRects(const plat::PixelAccess& px, const LvRect* rects, int32_t count);
    // The target's area that shows the frame's changes since the last call, taken from them.
    QRegion takePendingArea();

    QWidget* target_;
    mutable std::mutex mutex_;
    QImage frame_;
    // The page lent by the DirectDraw layer, over its memory; the frame is not used meanwhile.
    QImage page_;
    // The window's screen DC's bitmap, over its memory; shown while screenShown_.
    QImage screen_;
    bool screenShown_ = false;
    // Changed since the last repaint, frame pixels: the rectangles themselves, so that two
    // trains far apart repaint two strips rather than everything between them.
    QRegion pending_;
    std::atomic<bool> repaintPosted_{false};
    bool presenting_ = false;
    LvPresenter table_{};
    LvPageView view_{};
    bool installed_ = false;
};

}  // namespace yov
