#include "program/core/windows/msgbox_frm.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QString>

#include <algorithm>

#include "program/core/texts/localize.h"
#include "program/core/windows/context_help.h"
#include "program/core/texts/error_report.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/qt_text.h"

namespace yov {

namespace {

struct ButtonDesign {
    const char* caption;
    const char* tag;
    int key;  // 0: no key letter
};

constexpr ButtonDesign kButtons[msgbox::kButtonCount] = {
    {"&Yes", "YES", 'Y'},    {"&No", "NO", 'N'},      {"Yes to &All", "YALL", 'A'}, {"No to All", "NALL", 0},
    {"&Retry", "RETR", 'R'}, {"&Ignore", "IGN", 'I'}, {"&O.K.", "OK", 'O'},         {"&Cancel", "ESC", 'C'},
};

constexpr int kCancelIndex = 7;

// 315 twips at the fixed 15 twips per pixel.
constexpr int kButtonHeightPx = 315 / 15;

// Messages wider than the screen wrap instead of running off it.
constexpr int kScreenMarginPx = 60;

int availableScreenWidth(const QWidget* w) {
    const QScreen* screen = w->screen() != nullptr ? w->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry().width() : 1024;
}

}  // namespace

MsgBxFrm::MsgBxFrm() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("MsgBxFrm"));
    setProperty("Tag", QStringLiteral("MSGBX"));
    Lab1 = new QLabel(this);
    Lab1->setObjectName(QStringLiteral("Lab1"));
    Lab1->setTextFormat(Qt::PlainText);
    Lab1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (int i = 0; i < msgbox::kButtonCount; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(kButtons[i].caption), this);
        b->setObjectName(QStringLiteral("Cmd%1").arg(i));
        b->setProperty("Tag", QString::fromLatin1(kButtons[i].tag));
        b->setAutoDefault(true);  // Enter presses the focused button
        connect(b, &QPushButton::clicked, this, [this, i] { Cmd_Click(i); });
        Cmd[static_cast<size_t>(i)] = b;
    }
}

void MsgBxFrm::Form_Load() {
    LocalizeForm(this);
    SetFormIcon(71, this);
}

void MsgBxFrm::Cmd_Click(int index) {
    if (index < 0 || index >= msgbox::kButtonCount) return;
    answer_ = 1 << index;
    modalState().DialogResult = static_cast<uint8_t>(answer_);
    hide();
}

bool MsgBxFrm::Form_KeyDown(int keyCode, int shift) {
    const int code = shift * 256 + keyCode;
    if (code >= 'A' && code <= 'Y') {
        for (int i = 0; i < msgbox::kButtonCount; ++i) {
            if (kButtons[i].key != code) continue;
            if (layout_.shown[static_cast<size_t>(i)]) Cmd_Click(i);
            return true;
        }
    }
    try {
        return ShowContextHelp(code, this, 0);
    } catch (...) {
        // Help reaches dialogs, settings and the shell; none of that may unwind into Qt.
        ShowHandledError();
        return true;
    }
}

void MsgBxFrm::keyPressEvent(QKeyEvent* event) {
    const int keyCode = keyCodeOf(event->key(), event->modifiers());
    if (keyCode != 0 && Form_KeyDown(keyCode, shiftStateOf(event->modifiers()))) {
        event->accept();
        return;
    }
    // The Cancel button answers Esc, as a cancel button of a dialog does.
    if (keyCode == 27 && shiftStateOf(event->modifiers()) == 0 && layout_.shown[kCancelIndex]) {
        Cmd_Click(kCancelIndex);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MsgBxFrm::fill(std::u16string_view text, int32_t style, std::u16string_view title, int32_t helpId) {
    answer_ = 0;
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Lab1->setWordWrap(false);
    Lab1->setText(shown);
    setWindowTitle(toQString(title));
    setProperty(kHelpIdProperty, helpId);

    MsgBoxMeasures m;
    m.style = style;
    // As tall as the style draws a button when that is more than the designed height.
    m.buttonHeight = std::max(kButtonHeightPx, Cmd[0]->sizeHint().height());
    QSize label = Lab1->sizeHint();
    const int widest = availableScreenWidth(this) - kScreenMarginPx;
    if (label.width() > widest) {
        Lab1->setWordWrap(true);
        label = QSize(widest, Lab1->heightForWidth(widest));
    }
    m.textWidth = label.width();
    m.labelHeight = label.height();
    const QFontMetrics fm(font());
    for (int i = 0; i < msgbox::kButtonCount; ++i) {
        QPushButton* b = Cmd[static_cast<size_t>(i)];
        // Never narrower than the style draws the caption, so no caption is cut off.
        m.captionWidths[static_cast<size_t>(i)] =
            std::max(fm.horizontalAdvance(b->text()), b->sizeHint().width() - kMsgBoxMargin);
    }
    layout_ = layoutMsgBox(m);

    Lab1->setGeometry(layout_.label.x, layout_.label.y, layout_.label.width, layout_.label.height);
    bool focused = false;
    for (int i = 0; i < msgbox::kButtonCount; ++i) {
        QPushButton* b = Cmd[static_cast<size_t>(i)];
        if (!layout_.shown[static_cast<size_t>(i)]) {
            b->hide();
            continue;
        }
        const MsgBoxRect& r = layout_.buttons[static_cast<size_t>(i)];
        b->setGeometry(r.x, r.y, r.width, r.height);
        b->show();
        if (!focused) {
            b->setFocus();
            b->setDefault(true);
            focused = true;
        } else {
            b->setDefault(false);
        }
    }
    setFixedSize(layout_.innerWidth, layout_.innerHeight);
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

namespace {
MsgBxFrm* keptBox = nullptr;
void dropKeptBox() {
    delete keptBox;
    keptBox = nullptr;
}
}  // namespace

MsgBxFrm* msgBoxForm() {
    if (keptBox == nullptr) {
        keptBox = new MsgBxFrm;
        keptBox->Form_Load();
        qAddPostRoutine(dropKeptBox);  // before the application object goes
    }
    return keptBox;
}

}  // namespace yov
