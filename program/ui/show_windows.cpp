#include "program/ui/show_windows.h"

#include <QCloseEvent>
#include <QCursor>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextEdit>
#include <QThread>

#include <algorithm>
#include <utility>

#include "program/core/texts/qt_text.h"
#include "program/core/binding/engine_binding.h"
#include "program/show_data/show_font.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/foreign_window_mode.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/localize.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/window_dispatch.h"
#include "program/show/display_start.h"
#include "program/show_data/display_state.h"
#include "program/show/display_wiring.h"
#include "program/core/startup/service_window.h"
#include "program/show/show_input.h"
#include "program/show/show_panel.h"
#include "program/show_data/show_state.h"
#include "program/show/show_window_calls.h"
#include "program/ui/password_dialog.h"
#include "program/core/startup/main_module.h"
#include "program/show/show_window_rules.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/foreign_window.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/show_panel_view.h"

namespace yov {

namespace {

constexpr int32_t kFirstWidth = 800;
constexpr int32_t kFirstHeight = 600;
constexpr int32_t kPopupMenu = 7;
constexpr int32_t kTextMarginTwips = 255;
constexpr int32_t kEscape = 27;

QColor colourOf(uint32_t rgb) {
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

bool stopRequested() { return programState().run.StopRequest != 0; }

void doEvents() { QCoreApplication::processEvents(); }

void waitABit() {
    QCoreApplication::processEvents();
    QThread::msleep(10);
}

}  // namespace

// --- ShowWindowBase

ShowWindowBase::ShowWindowBase(Qt::WindowFlags flags) : QWidget(nullptr, flags), presenter_(this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    screenDc_ = plat::CreateCompatibleDC({});
    presenter_.install();
}

ShowWindowBase::~ShowWindowBase() {
    presenter_.uninstall();
    if (screenDc_) {
        if (firstBitmap_) plat::SelectObject(screenDc_, firstBitmap_);
        plat::DeleteDC(screenDc_);
    }
    if (screenBitmap_) plat::DeleteObject(screenBitmap_);
}

void ShowWindowBase::setBackgroundColour(uint32_t rgb) {
    background_ = rgb;
    QPalette p = palette();
    p.setColor(QPalette::Window, colourOf(rgb));
    setPalette(p);
}

void ShowWindowBase::makeScreenFrame(int32_t width, int32_t height) {
    width = std::max(1, width);
    height = std::max(1, height);
    const plat::HBITMAP bitmap = plat::CreateBitmap(width, height, 1, 32, nullptr);
    if (!bitmap) return;
    const plat::HBITMAP previous = plat::SelectObject(screenDc_, bitmap);
    if (!firstBitmap_) firstBitmap_ = previous;
    const plat::HBRUSH brush = plat::CreateSolidBrush(background_);
    const plat::RECT all{0, 0, width, height};
    plat::FillRect(screenDc_, &all, brush);
    plat::DeleteObject(brush);
    // The presenter lets go of the old frame before it goes.
    presenter_.showScreen(screenDc_);
    if (screenBitmap_) plat::DeleteObject(screenBitmap_);
    screenBitmap_ = bitmap;
    update();
}

void ShowWindowBase::closeFromProgram() {
    closingFromProgram_ = true;
    close();
    closingFromProgram_ = false;
}

void ShowWindowBase::Form_KeyDown(int32_t keyCode, int32_t shift) {
    ScrKeyCommand(static_cast<int16_t>(shift * 256 + keyCode), 0);
}

void ShowWindowBase::Form_MouseMove(int32_t button, int32_t shift, int32_t x, int32_t y) {
    ScrMouseMove(button, shift, x, y);
}

void ShowWindowBase::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    presenter_.paint(painter, rect());
    // The frame holds what the show presented: the show's own repaints only put it on screen.
    // An exposure is the window's Form_Paint.
    if (!presenter_.presenting()) Form_Paint();
}

void ShowWindowBase::keyPressEvent(QKeyEvent* event) {
    const int32_t command = keyCommandOf(*event);
    if (command == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyDown(command & 0xFF, command >> 8);
}

void ShowWindowBase::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    Form_MouseDown(mouseButtonsOf(event->button()), shiftStateOf(event->modifiers()), qRound(p.x()), qRound(p.y()));
}

void ShowWindowBase::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    Form_MouseMove(mouseButtonsOf(event->buttons()), shiftStateOf(event->modifiers()), qRound(p.x()), qRound(p.y()));
}

void ShowWindowBase::closeEvent(QCloseEvent* event) {
    // Who closes: the program itself, the user (a close box or key the window system
    // delivers), or anything else (the session, the application, an owner).
    const UnloadMode mode = closingFromProgram_    ? UnloadMode::Program
                            : event->spontaneous() ? UnloadMode::User
                                                   : UnloadMode::System;
    if (Form_QueryUnload(static_cast<int32_t>(mode))) {
        event->ignore();
        return;
    }
    event->accept();
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
}

// --- ScrWin

ScrWin::ScrWin() : ShowWindowBase(Qt::Window) {
    // Form_Load: the program's title, the language's texts, the placement restored.
    setWindowTitle(toQString(kProgramTitle));
    resize(kFirstWidth, kFirstHeight);
    InitForm(0, this);
}

void ScrWin::Form_MouseDown(int32_t button, int32_t shift, int32_t x, int32_t y) {
    doEvents();
    ScrMouseClick(button, shift, x, y);
}

void ScrWin::Form_Paint() { WindowedPaint(static_cast<uint8_t>(BookPages(showState()))); }

bool ScrWin::Form_QueryUnload(int32_t) {
    return WindowedCloseRequest(programState().run.StopRequest) == CloseAnswer::Cancel;
}

void ScrWin::Form_Unload() {
    CloseForm(0);
    programState().run.StopRequest = 0;
}

void ScrWin::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!isVisible()) return;
    WindowedResize(isMinimized(), programState().run.ShowMode);
}

// --- ScrFull

ScrFull::ScrFull()
    : ShowWindowBase(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), dTxt_(new QTextEdit(this)) {
    // Form_Load.
    LocalizeForm(this);
    dTxt_->setReadOnly(true);
    dTxt_->hide();
    dTxt_->installEventFilter(this);
    // The session's end is a close by the system: the show stops.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [] { programState().run.StopRequest = 1; });
    }
}

void ScrFull::Form_MouseDown(int32_t button, int32_t shift, int32_t x, int32_t y) {
    ScrMouseClick(button, shift, x, y);
}

void ScrFull::Form_Paint() { FullScreenPaint(programState().run.BatchMode); }

bool ScrFull::Form_QueryUnload(int32_t unloadMode) {
    return FullScreenCloseRequest(static_cast<UnloadMode>(std::min(unloadMode, 2)), programState().run.StopRequest) ==
           CloseAnswer::Cancel;
}

void ScrFull::Form_Unload() { CloseForm(0); }

bool ScrFull::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dTxt_ && event->type() == QEvent::KeyPress &&
        keyCodeOf(static_cast<QKeyEvent*>(event)->key(), static_cast<QKeyEvent*>(event)->modifiers()) == kEscape) {
        TextBoxOpen = 0;
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScrFull::showText(const std::u16string& text) {
    const QString qText = toQString(text);
    const QRect extent = QFontMetrics(font()).boundingRect(QRect(), Qt::TextExpandTabs, qText);
    const int32_t twips = std::max<int32_t>(1, programState().machine.TwipsPerPixelX);
    const int32_t margin = kTextMarginTwips / twips;
    const int32_t w = std::min(extent.width() + margin + 4, width() * 8 / 10);
    const int32_t h = std::min(extent.height() + margin + 4, height() * 8 / 10);
    dTxt_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
    dTxt_->setPlainText(qText);
    dTxt_->show();
    dTxt_->setFocus();
    TextBoxOpen = 1;
    while (TextBoxOpen != 0 && showInput().DisplayRequest == display_request::kNone && !stopRequested()) {
        waitABit();
    }
    dTxt_->hide();
    TextBoxOpen = 0;
}

void ScrFull::DDMenus() {
    ShowInputState& input = showInput();
    const uint8_t request = std::exchange(input.DisplayRequest, display_request::kNone);
    // Each wait below also ends on a stop request, so a show never hangs in a menu it cannot close.
    switch (request) {
    case display_request::kPopup:
        lv::ShowPopup(0, kPopupMenu, input.RightClickX, input.RightClickY, reinterpret_cast<LvWindow>(this), 0);
        break;
    case display_request::kPanel:
        ScrPanelInit();
        while (panelState().PanelOpen != 0 && !stopRequested()) waitABit();
        break;
    case display_request::kText: showText(std::u16string(input.PendingText)); break;
    case display_request::kPassword:
        ShowGetPasswordModeless();
        while (showInput().DialogDone == 0 && !stopRequested()) waitABit();
        break;
    default: break;
    }
    doEvents();
    showState().RepaintRequest = FullRepaintMask(static_cast<uint8_t>(BookPages(showState())));
}

// --- The view the display start drives.

namespace {

class QtShowView final : public ShowView {
public:
    explicit QtShowView(uint8_t mode) {
        if (mode == 1) {
            window_ = new ScrFull();
        } else {
            window_ = new ScrWin();
        }
        // The panel of this window is the show's panel from now on.
        new ShowPanelView(window_);
        // Slot 0; the full-screen window's place is the screen, never a stored one.
        OpenForm(mode == 1 ? kSlotNoRestore : 0, window_);
    }
    ~QtShowView() override {
        if (window_ != nullptr) window_->deleteLater();
    }

    ShowWindowBase* window() const { return window_; }

    LvWindow handle() const override { return reinterpret_cast<LvWindow>(window_); }
    plat::HDC screenDc() const override { return window_->screenDc(); }
    void setBackgroundColour(uint32_t rgb) override { window_->setBackgroundColour(rgb); }

    void placeOverScreen(bool maximized, int32_t width, int32_t height) override {
        // Inside the screen-saver daemon's window, at its size, never topmost.
        if (const ForeignWindowMode foreign = CurrentForeignWindowMode(); foreign.active) {
            if (EmbedInForeignWindow(window_, foreign.window)) return;
        }
        // The window covers the real screen whatever mode the show asked for: without a mode
        // switch a mode is only the size the frames are rendered at, which the presenter scales.
        QRect area(0, 0, width, height);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) area = screen->virtualGeometry();
        window_->setWindowState(maximized ? Qt::WindowMaximized : Qt::WindowNoState);
        window_->setGeometry(area);
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

    void showPresented() override { window_->presenter().repaintPending(); }

    void clearAndShow() override {
        window_->show();
        window_->makeScreenFrame(window_->width(), window_->height());
    }

    void innerSize(int32_t& width, int32_t& height) const override {
        width = window_->width();
        height = window_->height();
    }

    void setFrameSize(int32_t width, int32_t height) override {
        plat::BitmapDesc desc;
        if (plat::GetObject(plat::GetCurrentBitmap(window_->screenDc()), desc) && desc.width == width &&
            desc.height == height) {
            return;
        }
        window_->makeScreenFrame(width, height);
    }

    bool hideCursor() override {
        // The daemon owns the cursor over its window.
        if (cursorHidden_ || CurrentForeignWindowMode().active) return false;
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
        cursorHidden_ = true;
        return true;
    }
    void showCursor() override {
        if (!cursorHidden_) return;
        QGuiApplication::restoreOverrideCursor();
        cursorHidden_ = false;
    }

    int32_t showFontHeight() override { return ShowFontLineHeight(); }

    void closeFromProgram() override {
        showCursor();
        window_->closeFromProgram();
    }

private:
    ShowWindowBase* window_ = nullptr;
    bool cursorHidden_ = false;
};

}  // namespace

std::unique_ptr<ShowView> MakeShowView(uint8_t mode) { return std::make_unique<QtShowView>(mode); }

ShowWindowBase* ShowWindowOf(ShowView* view) {
    auto* qt = dynamic_cast<QtShowView*>(view);
    return qt != nullptr ? qt->window() : nullptr;
}

namespace {

// The show's calls to its windows: the show window, the cursor over it, the settings dialog.
class QtShowWindowCalls final : public ShowWindowCalls {
public:
    std::unique_ptr<ShowView> makeView(uint8_t mode) override { return MakeShowView(mode); }
    void takeCursorPosition() override {
        ShowWindowBase* w = ShowWindowOf(displayState().ShowForm.get());
        const QPoint p = w != nullptr ? w->mapFromGlobal(QCursor::pos()) : QCursor::pos();
        SetLastMousePosition(p.x(), p.y());
    }
    void settingsShowTab() override {
        if (auto* cfg = dynamic_cast<CfgFrm*>(programState().WindowTable[kSettingsSlot].window)) cfg->StartStop();
    }
    void askPassword() override { ShowGetPasswordModal(); }
    void describePicture(int32_t stockEntry) override { ShowPictureDescription(stockEntry, false, 0); }
    void showDisplayRequest() override {
        if (auto* full = dynamic_cast<ScrFull*>(ShowWindowOf(displayState().ShowForm.get()))) {
            full->DDMenus();
        } else {
            // Only the full-screen window shows requests; a windowed show has none to wait for.
            showInput().DisplayRequest = display_request::kNone;
        }
    }
};

}  // namespace

void WireShowWindows() {
    static QtShowWindowCalls calls;
    InstallShowWindowCalls(&calls);
}

}  // namespace yov
