#include "program/ui/preview_window.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <string>

#include "program/core/startup/program_resources.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/terminate_signal.h"
#include "program/core/windows/form_icons.h"
#include "program/ui/foreign_window.h"

namespace yov {

namespace {

constexpr int kFirstPreviewPicture = 4;
const QColor kPowerColour(128, 128, 128);

void fitToPicture(QLabel& box) {
    const QPixmap p = box.pixmap();
    box.resize(p.isNull() ? QSize(0, 0) : p.size());
}

}  // namespace

PreviewWindow::PreviewWindow() : RailPic(this), Pic1(this), Pic2(this) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    for (QLabel* box : {&RailPic, &Pic1, &Pic2}) {
        box->setAttribute(Qt::WA_TranslucentBackground);
        box->move(-1000, 0);
    }
    Timer1.setInterval(kPreviewTickMs);
    connect(&Timer1, &QTimer::timeout, this, &PreviewWindow::Timer1_Timer);
}

void PreviewWindow::Form_Load() {
    // A picture that cannot be had leaves its box empty; the preview shows what it has.
    LoadPictureBox(&Pic1, kFirstPreviewPicture);
    LoadPictureBox(&Pic2, kFirstPreviewPicture + 1);
    fitToPicture(Pic1);
    fitToPicture(Pic2);
    Pic1.move(-1000, Pic1.y());
    Pic2.move(-1000, Pic2.y());
    programState().Shared.PictureHeight = kPreviewVehicleHeight;
    Timer1.start();
}

void PreviewWindow::Timer1_Timer() {
    const PreviewSizes sizes{width(), height(), Pic1.width(), Pic1.height(), Pic2.width(), Pic2.height()};
    const PreviewStep step = PreviewTick(state_, sizes);
    if (step.layout) {
        QPixmap tile;
        const std::string railFile = programResourcePath(kPreviewRailFile);
        if (!railFile.empty()) tile.load(QString::fromStdString(railFile));
        if (!tile.isNull()) {
            QPixmap rail(std::max(width(), 1), tile.height());
            rail.fill(Qt::transparent);
            QPainter painter(&rail);
            painter.drawTiledPixmap(rail.rect(), tile);
            painter.end();
            RailPic.setPixmap(rail);
            fitToPicture(RailPic);
        }
        RailPic.move(0, step.railY);
        powerVisible_ = step.wireShown;
        powerY_ = step.wireY;
        update();
    }
    if (step.picture == 1) Pic1.move(step.x, step.y);
    if (step.picture == 2) Pic2.move(step.x, step.y);
}

void PreviewWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!powerVisible_) return;
    QPainter painter(this);
    painter.setPen(kPowerColour);
    painter.drawLine(0, powerY_, width() - 1, powerY_);
}

void ShowPreviewWindow(uintptr_t parentWindow) {
    auto* window = new PreviewWindow;
    if (!EmbedInForeignWindow(window, parentWindow)) {
        std::fprintf(stderr, "yov: the preview's window %llu cannot be found.\n",
                     static_cast<unsigned long long>(parentWindow));
        delete window;
        serviceState().ExitCode = 1;
        PostDeferredAction(deferred::kShutdown);
        return;
    }
    InstallTerminateHandler(window);
    WatchForeignWindow(window, parentWindow);
    window->Form_Load();
}

}  // namespace yov
