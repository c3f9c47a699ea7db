// ShowFrm: the progress window (Tag "SHFRM"), a small borderless window with the three
// lines Lab1, Lab2 and Lab3. Esc in it asks the long work to stop.
#pragma once

#include <QWidget>

class QEvent;
class QKeyEvent;
class QLabel;
class QResizeEvent;

namespace yov {

class ShowFrm : public QWidget {
    Q_OBJECT

public:
    ShowFrm();

    QLabel* Lab1 = nullptr;
    QLabel* Lab2 = nullptr;
    QLabel* Lab3 = nullptr;

    void Form_Load();
    void Form_Activate();
    // Esc (27) sets the cancel flag of long loads.
    void Form_KeyPress(int keyAscii);
    void Form_KeyDown(int keyCode, int shift);
    void Form_Resize();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// The progress window of progressDisplay(), made when it does not exist yet.
ShowFrm* progressForm();

}  // namespace yov
