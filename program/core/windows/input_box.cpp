#include "program/core/windows/input_box.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

#include "program/core/texts/localize.h"
#include "program/core/startup/program_state.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/text_drop.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

constexpr uint8_t kInputBoxSlot = 69;
constexpr int32_t kInputBoxCallSite = 11901;
constexpr int kDesignedWidthPx = 360;

constexpr uint8_t kFrameLoopRunning = 0x20;  // RunFlags: the show takes frame steps

bool showRunning() { return (programState().run.RunFlags & kFrameLoopRunning) != 0; }

int dropEffectOf(const QDropEvent& e) { return static_cast<int>(e.dropAction()); }

}  // namespace

InBoxFrm::InBoxFrm() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("InBoxFrm"));
    setProperty("Tag", QStringLiteral("INBX"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAcceptDrops(true);
    Text1->installEventFilter(this);
    Command2 = new QPushButton(QStringLiteral("&O.K."), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setProperty("Tag", QStringLiteral("OK"));
    Command2->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setProperty("Tag", QStringLiteral("ESC"));
    Timer1 = new QTimer(this);
    Timer1->setInterval(kInputBoxStepMs);

    auto* column = new QVBoxLayout(this);
    column->addWidget(Label1);
    column->addWidget(Text1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(Command2);
    row->addWidget(Command1);
    column->addLayout(row);
    resize(kDesignedWidthPx, sizeHint().height());

    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
}

void InBoxFrm::Form_Load() {
    LocalizeForm(this);
    SetFormIcon(kInputBoxSlot, this);
    if (showRunning()) Timer1->start();
}

void InBoxFrm::Timer1_Timer() {
    if (!showRunning()) return;
    try {
        frameStep(kInputBoxCallSite);
    } catch (...) {
        // The step reported its own failure or a stop of the show; the box stays for its
        // answer and stops stepping a show that is ending.
        Timer1->stop();
    }
}

void InBoxFrm::Command2_Click() {
    Timer1->stop();
    confirmed_ = true;
    modalState().DialogResult = 1;
    hide();
}

void InBoxFrm::Command1_Click() {
    Timer1->stop();
    hide();
}

void InBoxFrm::Form_Activate() { Text1->setFocus(); }

void InBoxFrm::Form_QueryUnload() { Timer1->stop(); }

void InBoxFrm::Text1_OLEDragOver(const QMimeData* data, int& effect) { IsOneFileDragged(data, effect); }

void InBoxFrm::Text1_OLEDragDrop(const QMimeData* data, int& effect, int shift) {
    DropFileName(Text1, data, effect, shift);
}

void InBoxFrm::fill(std::u16string_view prompt, std::u16string_view title, std::u16string_view defaultText) {
    confirmed_ = false;
    Label1->setText(toQString(prompt));
    setWindowTitle(toQString(title));
    Text1->setText(toQString(defaultText));
    if (!defaultText.empty()) Text1->selectAll();
    // The box is kept between uses: each showing during a show steps it again, not only
    // the first one.
    if (showRunning()) Timer1->start();
    adjustSize();
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

bool InBoxFrm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(e);
}

bool InBoxFrm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Text1) {
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(e);
            int effect = dropEffectOf(*drag);
            Text1_OLEDragOver(drag->mimeData(), effect);
            if (effect == kDropNone)
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        if (e->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(e);
            int effect = dropEffectOf(*drop);
            Text1_OLEDragDrop(drop->mimeData(), effect, shiftStateOf(drop->modifiers()));
            if (effect == kDropNone)
                drop->ignore();
            else
                drop->acceptProposedAction();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void InBoxFrm::keyPressEvent(QKeyEvent* e) {
    // Enter answers O.K. and Esc Cancel, as the default and cancel buttons of a dialog do.
    if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            Command2_Click();
            return;
        }
        if (e->key() == Qt::Key_Escape) {
            Command1_Click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void InBoxFrm::closeEvent(QCloseEvent* e) {
    Form_QueryUnload();
    QWidget::closeEvent(e);
}

namespace {
InBoxFrm* keptInputBox = nullptr;
void dropKeptInputBox() {
    delete keptInputBox;
    keptInputBox = nullptr;
}
}  // namespace

InBoxFrm* inputBoxForm() {
    if (keptInputBox == nullptr) {
        keptInputBox = new InBoxFrm;
        keptInputBox->Form_Load();
        qAddPostRoutine(dropKeptInputBox);
    }
    return keptInputBox;
}

std::u16string ShowInputBox(std::u16string_view prompt, std::u16string_view title, std::u16string_view defaultText) {
    InBoxFrm* box = inputBoxForm();
    std::unique_ptr<InBoxFrm> second;
    if (box->isVisible()) {
        second = std::make_unique<InBoxFrm>();
        second->Form_Load();
        box = second.get();
    }
    box->fill(prompt, title, defaultText);
    ShowModal(box);
    if (!box->confirmed()) return {};
    return box->Text1->text().toStdU16String();
}

}  // namespace yov
