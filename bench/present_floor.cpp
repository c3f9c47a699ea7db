// The floor of the show's presentation cost: a minimal Qt program that puts an image on
// screen the way the show window does (a QWidget painting a 32-bit QImage with drawImage,
// asked to repaint what changed at once), at the show's 50 steps a second, with bands of
// the image changing at every step. tools/present_figures.py runs it beside yov and takes
// the ratio of their CPU times.
//
//   present_floor [--window WxH] [--bands N] [--rows R]
//
// Without --window it covers the screen as the full-screen show does; the default is two
// bands of 120 rows across the whole width, more changed pixels a step than the demo has.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kStepMs = 20;

class FloorWindow : public QWidget {
public:
    FloorWindow(int bands, int rows) : bands_(std::max(1, bands)), rows_(std::max(1, rows)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void step() {
        if (frame_.size() != size()) {
            frame_ = QImage(size(), QImage::Format_RGB32);
            frame_.fill(QColor(0xA6, 0xCA, 0xEA));
        }
        ++steps_;
        QRegion changed;
        const int h = frame_.height();
        const int w = frame_.width();
        for (int b = 0; b < bands_; ++b) {
            const int top = std::clamp((b + 1) * h / (bands_ + 1) - rows_ / 2, 0, std::max(0, h - rows_));
            const int bottom = std::min(h, top + rows_);
            // A pattern that moves a few pixels a step, as a train does.
            for (int y = top; y < bottom; ++y) {
                auto* line = reinterpret_cast<uint32_t*>(frame_.scanLine(y));
                for (int x = 0; x < w; ++x) {
                    const uint32_t v = static_cast<uint32_t>(x + 3 * steps_ + 7 * b) & 0xFF;
                    line[x] = 0xFF000000u | (v << 16) | (static_cast<uint32_t>(y) & 0xFF) << 8 | (255 - v);
                }
            }
            changed += QRect(0, top, w, bottom - top);
        }
        repaint(changed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!frame_.isNull()) painter.drawImage(QPoint(0, 0), frame_);
    }

private:
    QImage frame_;
    int bands_;
    int rows_;
    int steps_ = 0;
};

bool parseSize(const char* text, int& w, int& h) { return std::sscanf(text, "%dx%d", &w, &h) == 2 && w > 0 && h > 0; }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int bands = 2;
    int rows = 120;
    int windowW = 0;
    int windowH = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--bands") {
            bands = std::atoi(argv[i + 1]);
        } else if (name == "--rows") {
            rows = std::atoi(argv[i + 1]);
        } else if (name == "--window" && parseSize(argv[i + 1], windowW, windowH)) {
        } else {
            std::fprintf(stderr, "usage: present_floor [--window WxH] [--bands N] [--rows R]\n");
            return 2;
        }
    }
    FloorWindow window(bands, rows);
    if (windowW > 0) {
        window.resize(windowW, windowH);
        window.show();
    } else {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window.setGeometry(QGuiApplication::primaryScreen()->virtualGeometry());
        window.show();
    }
    // Absolute deadlines, as the show's step timer keeps them.
    QElapsedTimer clock;
    clock.start();
    qint64 next = kStepMs;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        window.step();
        next += kStepMs;
        const qint64 now = clock.elapsed();
        if (next < now) next = now;
        timer.start(static_cast<int>(next - now));
    });
    timer.start(kStepMs);
    return QApplication::exec();
}
