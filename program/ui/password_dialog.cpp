#include "program/ui/password_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

#include "program/core/settings/settings.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/qt_text.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/utilities.h"
#include "program/show/show_input.h"
#include "program/ui/show_input_wiring.h"

namespace yov {

namespace {

constexpr uint8_t kPasswordIcon = 68;
constexpr int32_t kCtrlF4 = kCtrlBit * 256 + 115;
constexpr int32_t kAltF4 = kAltBit * 256 + 115;

// Over a full-screen show the box would open under the topmost show window.
void tell(const char16_t* key) {
    const bool overShow = programState().run.ShowMode == 1 && (programState().run.RunFlags & 0x01) != 0;
    if (overShow) BeginModalOverShow();
    ShowMsgBox(GetText(key, u"", 1), msgbox::kOk, u"");
    if (overShow) EndModalOverShow();
}

QPointer<GetPwFrm> g_asking;

}  // namespace

// --- PasswordForm

PasswordForm::PasswordForm(const char16_t* caption, const char16_t* label)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(toQString(caption));
    Label1 = new QLabel(toQString(label), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    setControlTag(Label1, u"PWL1");
    Txt1 = new QLineEdit(this);
    Txt1->setObjectName(QStringLiteral("Txt1"));
    Txt1->setEchoMode(QLineEdit::Password);
    CmdOK = new QPushButton(QStringLiteral("O.K."), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    setControlTag(CmdOK, u"OK");
    CmdEsc = new QPushButton(QStringLiteral("Cancel"), this);
    CmdEsc->setObjectName(QStringLiteral("CmdEsc"));
    setControlTag(CmdEsc, u"ESC");
    connect(CmdOK, &QPushButton::clicked, this, [this] { CmdOk_Click(); });
    connect(CmdEsc, &QPushButton::clicked, this, [this] { CmdEsc_Click(); });
}

void PasswordForm::loadForm(QLabel* secondLabel, QLineEdit* secondText) {
    LocalizeForm(this);
    SetFormIcon(kPasswordIcon, this);
    std::array<QWidget*, 2> labels{Label1, secondLabel};
    const int32_t labelWidth = GetMaxCaptionWidth(std::span<QWidget* const>(labels.data(), secondLabel ? 2 : 1));
    std::array<QWidget*, 2> buttons{CmdOK, CmdEsc};
    const int32_t buttonWidth = GetMaxCaptionWidth(buttons) + 24;
    auto* grid = new QVBoxLayout(this);
    auto addRow = [&](QLabel* l, QLineEdit* t) {
        auto* row = new QHBoxLayout;
        l->setMinimumWidth(labelWidth);
        row->addWidget(l);
        row->addWidget(t, 1);
        grid->addLayout(row);
    };
    addRow(Label1, Txt1);
    if (secondLabel != nullptr) addRow(secondLabel, secondText);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons) {
        b->setMinimumWidth(buttonWidth);
        row->addWidget(b);
    }
    grid->addLayout(row);
    adjustSize();
    // The window keeps its place and takes the size of what it holds.
    DeferFormMove(-1, -1, width(), height(), this, kPasswordIcon);
    Txt1->clear();
    if (secondText != nullptr) secondText->clear();
}

void PasswordForm::Form_KeyDown(int32_t keyCode, int32_t shift) {
    const int32_t code = shift * 256 + keyCode;
    // Alt+F4 only closes this dialog: closing every window would end the show unasked.
    if (code == kCtrlF4 || code == kAltF4) {
        CmdEsc_Click();
        return;
    }
    ShowContextHelp(code, this, 0);
}

void PasswordForm::keyPressEvent(QKeyEvent* event) {
    const int32_t command = keyCommandOf(*event);
    const int32_t code = command & 0xFF;
    const int32_t shift = command >> 8;
    if (command == kCtrlF4 || command == kAltF4 || code == help_cmd::kKeyF1) {
        Form_KeyDown(code, shift);
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- GetPwFrm

GetPwFrm::GetPwFrm() : PasswordForm(u"Exit screensaver", u"Password:") {
    setObjectName(QStringLiteral("GetPwFrm"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Form_Load();
}

void GetPwFrm::Form_Load() {
    loadForm(nullptr, nullptr);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void GetPwFrm::CmdOk_Click() {
    // Exact, case-sensitive equality with the password read at the stop request.
    if (Txt1->text().toStdU16String() == showInput().ShowPassword)
        programState().run.StopRequest = 1;
    else
        tell(u"IPW");
    CmdEsc_Click();
}

void GetPwFrm::CmdEsc_Click() { close(); }

void GetPwFrm::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (unloaded_) return;
    unloaded_ = true;
    Txt1->clear();
    hide();
    showInput().DialogDone = 1;
}

// --- SetPWFrm

SetPWFrm::SetPWFrm() : PasswordForm(u"Set Screensaver Password", u"New password:") {
    setObjectName(QStringLiteral("SetPWFrm"));
    Label2 = new QLabel(QStringLiteral("Check password:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    setControlTag(Label2, u"PWL2");
    Txt2 = new QLineEdit(this);
    Txt2->setObjectName(QStringLiteral("Txt2"));
    Txt2->setEchoMode(QLineEdit::Password);
    Form_Load();
}

void SetPWFrm::Form_Load() { loadForm(Label2, Txt2); }

void SetPWFrm::CmdOk_Click() {
    if (Txt1->text() != Txt2->text()) {
        tell(u"PWDIF");
        return;
    }
    // An empty password switches the password off.
    SaveRegString(u"Pw", Txt1->text().toStdU16String());
    hide();
}

void SetPWFrm::CmdEsc_Click() { hide(); }

// --- Showing them

void ShowGetPasswordModal() {
    showInput().DialogDone = 0;
    auto* form = new GetPwFrm();
    ShowModal(form, u"");
    delete form;
}

void ShowGetPasswordModeless() {
    showInput().DialogDone = 0;
    if (g_asking.isNull()) {
        g_asking = new GetPwFrm();
        g_asking->setAttribute(Qt::WA_DeleteOnClose, true);
    }
    g_asking->show();
    g_asking->raise();
    g_asking->activateWindow();
}

void ShowSetPasswordModal() {
    SetPWFrm form;
    ShowModal(&form, u"");
}

}  // namespace yov
