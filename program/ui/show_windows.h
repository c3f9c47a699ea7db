// The two show windows: ScrWin, the resizable window of a windowed show, and ScrFull, the
// borderless, topmost window over the whole screen of a full-screen show, which is also the
// window DirectDraw takes over. Both put the show's frames on screen through their
// presenter and forward keys, clicks and moves to the show's input procedures
// (show_window_rules.h). Main thread only.
#pragma once

#include <QWidget>

#include <memory>

#include "program/show_data/show_view.h"
#include "program/ui/show_presenter.h"

class QTextEdit;

namespace yov {

class ShowWindowBase : public QWidget {
    Q_OBJECT
public:
    ~ShowWindowBase() override;

    plat::HDC screenDc() const { return screenDc_; }
    FramePresenter& presenter() { return presenter_; }
    uint32_t backgroundColour() const { return background_; }
    void setBackgroundColour(uint32_t rgb);
    // The screen DC holds a frame of that size, cleared to the background.
    void makeScreenFrame(int32_t width, int32_t height);
    // Closes the window as the program (not a close request of the user or the system).
    void closeFromProgram();

    // Form_KeyDown, Form_MouseDown, Form_MouseMove: public so that tests can drive them.
    void Form_KeyDown(int32_t keyCode, int32_t shift);
    virtual void Form_MouseDown(int32_t button, int32_t shift, int32_t x, int32_t y) = 0;
    void Form_MouseMove(int32_t button, int32_t shift, int32_t x, int32_t y);

protected:
    explicit ShowWindowBase(Qt::WindowFlags flags);

    virtual void Form_Paint() = 0;
    virtual bool Form_QueryUnload(int32_t unloadMode) = 0;  // true: cancel
    virtual void Form_Unload() = 0;

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FramePresenter presenter_;
    plat::HDC screenDc_;
    plat::HBITMAP screenBitmap_;
    plat::HBITMAP firstBitmap_;
    uint32_t background_ = 0;
    bool closingFromProgram_ = false;
    bool unloaded_ = false;
};

class ScrWin : public ShowWindowBase {
    Q_OBJECT
public:
    ScrWin();
    void Form_MouseDown(int32_t button, int32_t shift, int32_t x, int32_t y) override;

protected:
    void Form_Paint() override;
    bool Form_QueryUnload(int32_t unloadMode) override;
    void Form_Unload() override;
    void resizeEvent(QResizeEvent* event) override;
};

class ScrFull : public ShowWindowBase {
    Q_OBJECT
public:
    ScrFull();
    void Form_MouseDown(int32_t button, int32_t shift, int32_t x, int32_t y) override;

    // Shows what DisplayRequest asks for (popup, panel, text, password) while DirectDraw owns
    // the screen, in an event loop of its own until it is closed; then every page is repainted.
    void DDMenus();
    // 1 while DDMenus shows a text; Esc in the text box clears it.
    uint8_t TextBoxOpen = 0;
    QTextEdit* DTxt() const { return dTxt_; }

protected:
    void Form_Paint() override;
    bool Form_QueryUnload(int32_t unloadMode) override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showText(const std::u16string& text);
    QTextEdit* dTxt_;
};

// The show window of a mode (0 ScrWin, 1 ScrFull) as the display start sees it, registered
// as window slot 0. The first size of a windowed show is 800 x 600 unless a placement is stored.
std::unique_ptr<ShowView> MakeShowView(uint8_t mode);
// The window behind a view made by MakeShowView.
ShowWindowBase* ShowWindowOf(ShowView* view);

// Hands MakeShowView to the display start.
void WireShowWindows();

}  // namespace yov
