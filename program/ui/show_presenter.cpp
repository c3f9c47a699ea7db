#include "program/ui/show_presenter.h"

#include <QMetaObject>
#include <QPainter>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstring>

#include "program/core/binding/engine_binding.h"

namespace yov {

FramePresenter::FramePresenter(QWidget* target) : target_(target) {
    table_.size = sizeof(LvPresenter);
    table_.context = this;
    table_.present = [](void* context, LvHandle screenDc, const LvRect* rects, int32_t count) noexcept {
        static_cast<FramePresenter*>(context)->present(plat::HDC(screenDc), rects, count);
    };
    view_.size = sizeof(LvPageView);
    view_.context = this;
    view_.showPage = [](void* context, LvHandle pageDc, const LvRect* rects, int32_t count) noexcept {
        static_cast<FramePresenter*>(context)->showPage(plat::HDC(pageDc), rects, count);
    };
}

FramePresenter::~FramePresenter() { uninstall(); }

bool FramePresenter::install() {
    try {
        installed_ = lv::SetPresenter(&table_) == 0;
        if (installed_) lv::SetPageSharing(&view_);
    } catch (const std::exception&) {
        installed_ = false;
    }
    return installed_;
}

void FramePresenter::uninstall() {
    if (!installed_) return;
    installed_ = false;
    try {
        lv::SetPageSharing(nullptr);
        lv::SetPresenter(nullptr);
    } catch (const std::exception&) {}
}

void FramePresenter::present(plat::HDC dc, const LvRect* rects, int32_t count) noexcept {
    plat::PixelAccess px;
    if (rects == nullptr || count <= 0 || !plat::AccessPixels(plat::GetCurrentBitmap(dc), px) ||
        px.bitsPerPixel != 32 || px.topRow == nullptr) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (!screen_.isNull() && screen_.constBits() == px.topRow && screen_.width() == px.width &&
            screen_.height() == px.height) {
            // The window's own screen: painted from itself, nothing to copy.
            page_ = QImage();
            frame_ = QImage();
            screenShown_ = true;
            if (target_ != nullptr) {
                const QRect bounds = screen_.rect();
                for (int32_t i = 0; i < count; ++i) {
                    pending_ += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height).intersected(bounds);
                }
            }
        } else {
            screenShown_ = false;
            copyRects(px, rects, count);
        }
    }
    scheduleRepaint();
}

// Caller holds mutex_.
void FramePresenter::copyRects(const plat::PixelAccess& px, const LvRect* rects, int32_t count) {
    if (!page_.isNull()) {
        frame_ = page_.copy();
        page_ = QImage();
    }
    if (frame_.width() != px.width || frame_.height() != px.height) {
        frame_ = QImage(px.width, px.height, QImage::Format_RGB32);
        frame_.fill(Qt::black);
        pending_ = frame_.rect();
    }
    const QRect bounds(0, 0, px.width, px.height);
    for (int32_t i = 0; i < count; ++i) {
        const QRect r = QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height).intersected(bounds);
        if (r.isEmpty()) continue;
        // The raster's B,G,R,0 pixels are RGB32's memory order; its alpha byte is ignored.
        const size_t bytes = static_cast<size_t>(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const uint8_t* src =
                px.topRow + static_cast<std::ptrdiff_t>(y) * px.stride + static_cast<ptrdiff_t>(r.left()) * 4;
            std::memcpy(frame_.scanLine(y) + static_cast<ptrdiff_t>(r.left()) * 4, src, bytes);
        }
        // Without a window the frame is only kept: nothing will take the area.
        if (target_ != nullptr) pending_ += r;
    }
}

void FramePresenter::showScreen(plat::HDC dc) {
    plat::PixelAccess px;
    const bool readable =
        plat::AccessPixels(plat::GetCurrentBitmap(dc), px) && px.bitsPerPixel == 32 && px.topRow != nullptr;
    std::lock_guard lock(mutex_);
    page_ = QImage();
    frame_ = QImage();
    screen_ = readable ? QImage(static_cast<const uchar*>(px.topRow), px.width, px.height,
                                static_cast<qsizetype>(px.stride), QImage::Format_RGB32)
                       : QImage();
    screenShown_ = !screen_.isNull();
}

bool FramePresenter::showsScreen() const {
    std::lock_guard lock(mutex_);
    return page_.isNull() && screenShown_;
}

bool FramePresenter::screenSettled(bool wait) const {
    if (!showsScreen()) return true;
    // Only the GUI thread hands batches over: once none is pending, the blit thread does not
    // draw into the screen until this thread hands it the next.
    try {
        if (lv::CheckBlt(nullptr) == 0) return true;
        if (!wait) return false;
        lv::WaitBlt(nullptr);
    } catch (const std::exception&) {}
    return true;
}

qsizetype FramePresenter::ownFrameBytes() const {
    std::lock_guard lock(mutex_);
    return frame_.sizeInBytes();
}

void FramePresenter::showPage(plat::HDC dc, const LvRect* rects, int32_t count) noexcept {
    {
        std::lock_guard lock(mutex_);
        if (!dc) {
            // The page goes: what it shows stays in the frame, for the repaints still to come.
            if (!page_.isNull()) frame_ = page_.copy();
            page_ = QImage();
            return;
        }
        plat::PixelAccess px;
        if (rects == nullptr || count <= 0 || !plat::AccessPixels(plat::GetCurrentBitmap(dc), px) ||
            px.bitsPerPixel != 32 || px.topRow == nullptr) {
            return;
        }
        // The raster's B,G,R,0 pixels are RGB32's memory order; its alpha byte is ignored.
        if (page_.constBits() != px.topRow || page_.width() != px.width || page_.height() != px.height) {
            page_ = QImage(static_cast<const uchar*>(px.topRow), px.width, px.height, static_cast<qsizetype>(px.stride),
                           QImage::Format_RGB32);
            frame_ = QImage();
            screenShown_ = false;
            if (target_ != nullptr) pending_ = page_.rect();
        }
        if (target_ != nullptr) {
            const QRect bounds = page_.rect();
            for (int32_t i = 0; i < count; ++i) {
                pending_ += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height).intersected(bounds);
            }
        }
    }
    scheduleRepaint();
}

void FramePresenter::scheduleRepaint() {
    if (target_ == nullptr || repaintPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(
        target_,
        [this] {
            repaintPosted_ = false;
            repaintPending();
        },
        Qt::QueuedConnection);
}

QRegion FramePresenter::takePendingArea() {
    QRegion changed;
    QSize size;
    {
        std::lock_guard lock(mutex_);
        changed.swap(pending_);
        size = !page_.isNull() ? page_.size() : screenShown_ ? screen_.size() : frame_.size();
    }
    if (changed.isEmpty() || size.isEmpty() || target_ == nullptr) return {};
    if (size == target_->size()) return changed;
    const double sx = static_cast<double>(target_->width()) / size.width();
    const double sy = static_cast<double>(target_->height()) / size.height();
    QRegion scaled;
    for (const QRect& r : changed) {
        scaled += QRectF(r.x() * sx, r.y() * sy, r.width() * sx, r.height() * sy).toAlignedRect();
    }
    return scaled;
}

void FramePresenter::repaintPending() {
    if (target_ == nullptr || QThread::currentThread() != target_->thread() || !target_->isVisible()) return;
    if (!screenSettled(false)) return;
    const QRegion area = takePendingArea();
    if (area.isEmpty()) return;
    presenting_ = true;
    target_->repaint(area);
    presenting_ = false;
}

void FramePresenter::paint(QPainter& painter, const QRect& target) {
    screenSettled(true);
    std::lock_guard lock(mutex_);
    const QImage& shown = !page_.isNull() ? page_ : screenShown_ ? screen_ : frame_;
    if (shown.isNull()) return;
    if (shown.size() == target.size()) {
        painter.drawImage(target.topLeft(), shown);
    } else {
        painter.drawImage(target, shown);
    }
}

QImage FramePresenter::snapshot() const {
    screenSettled(true);
    std::lock_guard lock(mutex_);
    return !page_.isNull() ? page_.copy() : screenShown_ ? screen_.copy() : frame_.copy();
}

}  // namespace yov
