#include "program/core/windows/progress_frm.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QString>

#include <memory>

#include "lumvatek/shared.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/progress.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

constexpr int kLineMarginPx = 4;

}  // namespace

ShowFrm::ShowFrm() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("ShowFrm"));
    setProperty("Tag", QStringLiteral("SHFRM"));
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setStyleSheet(QStringLiteral("#ShowFrm { border: 1px solid palette(dark); }"));
    QLabel** labels[3] = {&Lab1, &Lab2, &Lab3};
    const int line = QFontMetrics(font()).lineSpacing() + kLineMarginPx;
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("Lab%1").arg(i + 1));
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(0, kLineMarginPx + i * line, width(), line);
        *labels[i] = l;
    }
    resize(width(), 3 * line + 2 * kLineMarginPx);
    Form_Load();
}

void ShowFrm::Form_Load() {
    // Above the full-screen show when it presents through DirectDraw.
    if (programState().run.BatchMode != 0) setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void ShowFrm::Form_Activate() { QCoreApplication::processEvents(); }

void ShowFrm::Form_KeyPress(int keyAscii) {
    if (keyAscii == 27) programState().Shared.CancelLoad = 1;
}

void ShowFrm::Form_KeyDown(int /*keyCode*/, int /*shift*/) {}

void ShowFrm::Form_Resize() {
    if (isMinimized()) return;
    for (QLabel* l : {Lab1, Lab2, Lab3}) l->setGeometry(0, l->y(), width(), l->height());
}

bool ShowFrm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(e);
}

void ShowFrm::keyPressEvent(QKeyEvent* e) {
    Form_KeyDown(keyCodeOf(e->key(), e->modifiers()), shiftStateOf(e->modifiers()));
    if (e->key() == Qt::Key_Escape) Form_KeyPress(27);
    e->accept();
}

void ShowFrm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}

namespace {

class ShowFrmView : public ProgressView {
public:
    ShowFrmView() : form_(new ShowFrm) {}
    ~ShowFrmView() override { delete form_.data(); }
    ShowFrmView(const ShowFrmView&) = delete;
    ShowFrmView& operator=(const ShowFrmView&) = delete;

    void setLine(int line, const std::u16string& text) override {
        QLabel* labels[3] = {form()->Lab1, form()->Lab2, form()->Lab3};
        if (line >= 1 && line <= 3) labels[line - 1]->setText(toQString(text));
    }
    int textWidthPx(const std::u16string& text) const override {
        return QFontMetrics(form()->Lab1->font()).horizontalAdvance(toQString(text));
    }
    int widthPx() const override { return form()->width(); }
    int screenWidthPx() const override { return screenArea().width(); }
    void centreWithWidth(int w) override {
        const QRect area = screenArea();
        form()->setGeometry(area.x() + (area.width() - w) / 2, area.y() + (area.height() - form()->height()) / 2, w,
                            form()->height());
    }
    bool isShown() const override { return form()->isVisible(); }
    void showModeless() override {
        form()->show();
        form()->raise();
        form()->activateWindow();
    }
    void showModal() override { ShowModal(form()); }
    void hide() override { form()->hide(); }
    void repaint() override { form()->repaint(); }

    // The shutdown unloads every window, this one too, before the display itself goes; a
    // display used again after that (a program started anew in the same process) makes it
    // again.
    ShowFrm* form() const {
        if (form_.isNull()) form_ = new ShowFrm;
        return form_.data();
    }

private:
    QRect screenArea() const {
        const QScreen* s = form()->screen() != nullptr ? form()->screen() : QGuiApplication::primaryScreen();
        return s != nullptr ? s->geometry() : QRect(0, 0, 1024, 768);
    }
    mutable QPointer<ShowFrm> form_;
};

ProgressDisplay* theDisplay = nullptr;

void dropDisplay() {
    delete theDisplay;
    theDisplay = nullptr;
}

class QtProgressEnv final : public ProgressEnv {
public:
    std::unique_ptr<ProgressView> makeView() override { return std::make_unique<ShowFrmView>(); }
    void setBusyPointer(bool busy) override {
        if (busy)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::restoreOverrideCursor();
    }
};

}  // namespace

ProgressDisplay& progressDisplay() {
    if (theDisplay == nullptr) {
        theDisplay = new ProgressDisplay(std::make_unique<QtProgressEnv>());
        qAddPostRoutine(dropDisplay);  // the window goes before the application object
    }
    return *theDisplay;
}

ShowFrm* progressForm() {
    auto* view = dynamic_cast<ShowFrmView*>(&progressDisplay().ensureView());
    return view != nullptr ? view->form() : nullptr;
}

}  // namespace yov
