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
}

FramePresenter::~FramePresenter() { uninstall(); }

bool FramePresenter::install() {
    try {
        installed_ = lv::SetPresenter(&table_) == 0;
    } catch (const std::exception&) {
        installed_ = false;
    }
    return installed_;
}

void FramePresenter::uninstall() {
    if (!installed_) return;
    installed_ = false;
    try {
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
        size = frame_.size();
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
    const QRegion area = takePendingArea();
    if (area.isEmpty()) return;
    presenting_ = true;
    target_->repaint(area);
    presenting_ = false;
}

void FramePresenter::paint(QPainter& painter, const QRect& target) {
    std::lock_guard lock(mutex_);
    if (frame_.isNull()) return;
    if (frame_.size() == target.size()) {
        painter.drawImage(target.topLeft(), frame_);
    } else {
        painter.drawImage(target, frame_);
    }
}

QImage FramePresenter::snapshot() const {
    std::lock_guard lock(mutex_);
    return frame_.copy();
}

void FramePresenter::resetFrame(int32_t width, int32_t height, uint32_t colour) {
    std::lock_guard lock(mutex_);
    frame_ = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    frame_.fill(QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                       static_cast<int>((colour >> 16) & 0xFF)));
}

}  // namespace yov
