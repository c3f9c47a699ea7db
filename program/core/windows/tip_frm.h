// TipFrm: the tool-tip window (Tag "TIP"), a borderless topmost window with one rich-text
// box Txt. The stock browser shows and hides it.
#pragma once

#include <QWidget>

class QResizeEvent;
class QTextEdit;

namespace yov {

class TipFrm : public QWidget {
    Q_OBJECT

public:
    TipFrm();

    QTextEdit* Txt = nullptr;

    // Txt fills the window but for a border of 2 pixels.
    void Form_Resize();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The program's tool-tip window, made on first use.
TipFrm* tipForm();

}  // namespace yov
