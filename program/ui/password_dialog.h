// The screen-saver password's two dialogs: SetPWFrm sets the password ("/a"), GetPwFrm asks
// for it before a screen-saver show ends. The password is the user's own text, kept as the
// plain-text setting "Pw" in the user's settings file (readable by the user alone).
#pragma once

#include <QWidget>

#include <string>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace yov {

// Label1, Txt1, O.K. and Cancel, laid out around the widest caption.
class PasswordForm : public QWidget {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLineEdit* Txt1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdEsc = nullptr;

    virtual void CmdOk_Click() = 0;
    virtual void CmdEsc_Click() = 0;
    // Ctrl+F4 and Alt+F4 close the dialog as Cancel does; help keys open the help.
    void Form_KeyDown(int32_t keyCode, int32_t shift);

protected:
    PasswordForm(const char16_t* caption, const char16_t* label);
    // The texts of the language, the icon, the sizes (extra: the second row of SetPWFrm).
    void loadForm(QLabel* secondLabel, QLineEdit* secondText);
    void keyPressEvent(QKeyEvent* event) override;
};

class GetPwFrm : public PasswordForm {
    Q_OBJECT
public:
    GetPwFrm();
    void Form_Load();
    void CmdOk_Click() override;
    void CmdEsc_Click() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool unloaded_ = false;
};

class SetPWFrm : public PasswordForm {
    Q_OBJECT
public:
    SetPWFrm();
    QLabel* Label2 = nullptr;
    QLineEdit* Txt2 = nullptr;
    void Form_Load();
    void CmdOk_Click() override;
    void CmdEsc_Click() override;
};

// GetPwFrm made, shown modally and released: a GDI show's stop request.
void ShowGetPasswordModal();
// GetPwFrm shown without waiting (made when there is none): under DirectDraw, DDMenus waits
// for the dialog-done byte.
void ShowGetPasswordModeless();
// SetPWFrm, modally ("/a").
void ShowSetPasswordModal();

}  // namespace yov
