// An in-memory screen behind the presenter, and a fixture that runs the blit timer on ticks
// delivered by hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/display/blit.h"
#include "letter_pictures.h"
#include "lumvatek/blit.h"
#include "platform/mmtimer.h"
#include "platform/raster.h"

namespace blittest {

using letterpic::Mask;
using letterpic::Picture;
using letterpic::ValueLetter;

inline BlitOp Op(std::int32_t dest, std::int32_t back, int x, int y, int w, int h, std::int32_t src, std::int32_t mask,
                 int sx, int sy) {
    return BlitOp{dest, back, x, y, w, h, src, mask, sx, sy};
}

// The show window's part, in memory: each present copies the rectangles out of the screen
// DC into an image of its own. A gate can hold present until the test opens it.
class MemoryScreen {
public:
    MemoryScreen(int w, int h) : width_(w), height_(h), image_(static_cast<size_t>(w * h), 0) {}

    LvPresenter Table() { return LvPresenter{sizeof(LvPresenter), this, &MemoryScreen::Present}; }

    void CloseGate() {
        std::lock_guard lock(mutex_);
        gateClosed_ = true;
    }
    void OpenGate() {
        std::lock_guard lock(mutex_);
        gateClosed_ = false;
        cv_.notify_all();
    }
    // Waits until a present is held at the closed gate.
    bool WaitHeld() {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return held_ > 0; });
    }
    int Presents() const {
        std::lock_guard lock(mutex_);
        return presents_;
    }
    std::vector<LvRect> LastRects() const {
        std::lock_guard lock(mutex_);
        return lastRects_;
    }
    std::vector<std::string> Rows() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> rows;
        for (int y = 0; y < height_; ++y) {
            std::string row;
            for (int x = 0; x < width_; ++x) row += ValueLetter(image_[static_cast<size_t>(y * width_ + x)]);
            rows.push_back(row);
        }
        return rows;
    }

private:
    static void Present(void* context, LvHandle screenDc, const LvRect* rects, std::int32_t count) noexcept {
        auto* self = static_cast<MemoryScreen*>(context);
        plat::PixelAccess pixels;
        plat::AccessPixels(plat::GetCurrentBitmap(plat::HDC(screenDc)), pixels);
        std::unique_lock lock(self->mutex_);
        for (std::int32_t i = 0; i < count; ++i) {
            const LvRect& r = rects[i];
            for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, self->height_); ++y) {
                for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, self->width_); ++x) {
                    std::uint32_t v;
                    std::memcpy(&v, pixels.topRow + pixels.stride * y + 4 * x, 4);
                    self->image_[static_cast<size_t>(y * self->width_ + x)] = v;
                }
            }
        }
        self->lastRects_.assign(rects, rects + count);
        ++self->presents_;
        if (self->gateClosed_) {
            ++self->held_;
            self->cv_.notify_all();
            self->cv_.wait(lock, [&] { return !self->gateClosed_; });
            --self->held_;
        }
    }

    int width_;
    int height_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::uint32_t> image_;
    std::vector<LvRect> lastRects_;
    int presents_ = 0;
    int held_ = 0;
    bool gateClosed_ = false;
};

// Every timer started inside a test takes its ticks from a manual source; Tick() delivers
// one to the newest timer and returns once its callback has run.
class ManualTickTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetTickSourceFactory([this](std::uint32_t) {
            auto source = std::make_shared<plat::ManualTickSource>();
            std::lock_guard lock(mutex_);
            sources_.push_back(source);
            return source;
        });
    }
    void TearDown() override {
        lvk::StopBlitWorkers();
        SetPresenter(nullptr);
        lvk::SetTickRecord(nullptr);
        plat::SetTickSourceFactory({});
    }
    bool Tick() {
        std::shared_ptr<plat::ManualTickSource> source;
        {
            std::lock_guard lock(mutex_);
            if (sources_.empty()) return false;
            source = sources_.back();
        }
        return source->Tick(std::chrono::seconds(10));
    }

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<plat::ManualTickSource>> sources_;
};

}  // namespace blittest
