// The program's input box: InBoxFrm (Tag "INBX") with the prompt Label1, the answer
// Text1, O.K. (Command2) and Cancel (Command1). While a show runs behind it, its timer
// keeps the show moving.
#pragma once

#include <string>
#include <string_view>

#include <QWidget>

class QCloseEvent;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QTimer;

namespace yov {

class InBoxFrm : public QWidget {
    Q_OBJECT

public:
    InBoxFrm();

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command2 = nullptr;  // O.K.
    QPushButton* Command1 = nullptr;  // Cancel
    QTimer* Timer1 = nullptr;

    void Form_Load();
    void Timer1_Timer();
    void Command2_Click();
    void Command1_Click();
    void Form_Activate();
    void Form_QueryUnload();
    void Text1_OLEDragOver(const QMimeData* data, int& effect);
    void Text1_OLEDragDrop(const QMimeData* data, int& effect, int shift);

    // Prompt, caption and default text (all selected) for the next showing.
    void fill(std::u16string_view prompt, std::u16string_view title, std::u16string_view defaultText);
    // O.K. was pressed since the last fill.
    bool confirmed() const { return confirmed_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool confirmed_ = false;
};

// Interval of the timer that steps a running show behind the box.
inline constexpr int kInputBoxStepMs = 20;

// The kept input box, created and loaded on first use.
InBoxFrm* inputBoxForm();

// The entered text, or "" when the box was cancelled or closed.
std::u16string ShowInputBox(std::u16string_view prompt, std::u16string_view title = {},
                            std::u16string_view defaultText = {});

}  // namespace yov
