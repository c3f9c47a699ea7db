#include "program/ui/show_panel_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "program/core/texts/qt_text.h"
#include "program/core/texts/localize.h"
#include "program/core/windows/utilities.h"

namespace yov {

namespace {

struct RowText {
    const char16_t* caption;
    const char16_t* tag;
};
constexpr RowText kRows[kPanelRows] = {
    {u"Speed:", u"PNSPD"},
    {u"Limit active tracks", u"PNLIN"},
    {u"Limit by total vehicle length", u"PNLEN"},
    {u"Limit by processor load", u"PNPRC"},
};
constexpr RowText kButtons[kPanelRows] = {
    {nullptr, nullptr}, {u"Cancel", u"ESC"}, {u"O.K.", u"OK"}, {u"Save", u"SAVE"}};
constexpr int kSliderWidth = 200;
constexpr int kValueWidth = 60;

bool validRow(int row) { return row >= 0 && row < kPanelRows; }

}  // namespace

ShowPanelView::ShowPanelView(QWidget* showWindow) : QFrame(showWindow) {
    setObjectName(QStringLiteral("SpeedContainer"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setPalette(QPalette());  // the panel is drawn in the window colours, not the scene's
    auto* grid = new QGridLayout(this);
    for (int row = 0; row < kPanelRows; ++row) {
        LLab[row] = new QLabel(toQString(kRows[row].caption), this);
        setControlTag(LLab[row], kRows[row].tag);
        LLab[row]->installEventFilter(this);
        HScr[row] = new QScrollBar(Qt::Horizontal, this);
        HScr[row]->setMinimumWidth(kSliderWidth);
        VTxt[row] = new QLineEdit(this);
        VTxt[row]->setFixedWidth(kValueWidth);
        int column = 0;
        if (row > 0) {
            Chk[row] = new QCheckBox(this);
            grid->addWidget(Chk[row], row, column);
            connect(Chk[row], &QCheckBox::clicked, this, [this, row] { Chk_Click(row); });
        }
        ++column;
        grid->addWidget(LLab[row], row, column++);
        grid->addWidget(HScr[row], row, column++);
        grid->addWidget(VTxt[row], row, column++);
        connect(HScr[row], &QScrollBar::valueChanged, this, [this, row] { HScr_Change(row); });
        connect(VTxt[row], &QLineEdit::textChanged, this, [this, row] { VTxt_Change(row); });
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 1; i < kPanelRows; ++i) {
        BCmd[i] = new QPushButton(toQString(kButtons[i].caption), this);
        setControlTag(BCmd[i], kButtons[i].tag);
        buttons->addWidget(BCmd[i]);
        connect(BCmd[i], &QPushButton::clicked, this, [this, i] { BCmd_Click(i); });
    }
    grid->addLayout(buttons, kPanelRows, 0, 1, 4);
    LocalizeForm(this);
    hide();
    SetPanelControls(this);
    panelState().PanelOpen = 0;
}

ShowPanelView::~ShowPanelView() {
    if (PanelControls() == this) {
        SetPanelControls(nullptr);
        panelState().PanelOpen = 0;
    }
}

void ShowPanelView::BCmd_Click(int index) { ScrPanelCommand(index); }
void ShowPanelView::Chk_Click(int index) { ScrLimitCheck(index); }
void ShowPanelView::LLab_Click(int index) {
    if (index < 1 || index >= kPanelRows) return;
    Chk[index]->setChecked(!Chk[index]->isChecked());
    Chk_Click(index);
}
void ShowPanelView::HScr_Change(int index) { HandleSliderChange(index); }
void ShowPanelView::VTxt_Change(int index) { ScrValueChange(index); }

void ShowPanelView::layOut() {
    // The captions in one column as wide as the widest.
    std::array<QWidget*, kPanelRows> labels{LLab[0], LLab[1], LLab[2], LLab[3]};
    const int32_t width = GetMaxCaptionWidth(labels);
    for (QLabel* l : LLab) l->setMinimumWidth(width);
    adjustSize();
}

void ShowPanelView::centre() {
    adjustSize();
    const QWidget* window = parentWidget();
    if (window == nullptr) return;
    move((window->width() - width()) / 2, (window->height() - height()) / 2);
}

void ShowPanelView::setSliderRange(int row, int32_t minimum, int32_t maximum) {
    if (validRow(row)) HScr[row]->setRange(minimum, maximum);
}
int32_t ShowPanelView::sliderMinimum(int row) const { return validRow(row) ? HScr[row]->minimum() : 0; }
int32_t ShowPanelView::sliderMaximum(int row) const { return validRow(row) ? HScr[row]->maximum() : 0; }
int32_t ShowPanelView::sliderValue(int row) const { return validRow(row) ? HScr[row]->value() : 0; }
void ShowPanelView::setSliderValue(int row, int32_t value) {
    if (validRow(row)) HScr[row]->setValue(value);
}
std::u16string ShowPanelView::text(int row) const {
    return validRow(row) ? VTxt[row]->text().toStdU16String() : std::u16string();
}
void ShowPanelView::setText(int row, const std::u16string& text) {
    if (validRow(row)) VTxt[row]->setText(toQString(text));
}
bool ShowPanelView::checked(int row) const { return row >= 1 && row < kPanelRows && Chk[row]->isChecked(); }
void ShowPanelView::setChecked(int row, bool on) {
    if (row >= 1 && row < kPanelRows) Chk[row]->setChecked(on);
}
void ShowPanelView::setRowEnabled(int row, bool on) {
    if (!validRow(row)) return;
    HScr[row]->setEnabled(on);
    VTxt[row]->setEnabled(on);
}
void ShowPanelView::setAcceptEnabled(bool on) {
    BCmd[2]->setEnabled(on);
    BCmd[3]->setEnabled(on);
}
void ShowPanelView::setPanelVisible(bool on) {
    setVisible(on);
    if (!on) {
        // The keys go to the show again.
        if (parentWidget() != nullptr) parentWidget()->setFocus();
        return;
    }
    raise();
    HScr[0]->setFocus();
}

void ShowPanelView::mousePressEvent(QMouseEvent* event) { event->accept(); }
void ShowPanelView::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void ShowPanelView::keyPressEvent(QKeyEvent* event) { event->accept(); }

bool ShowPanelView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int row = 0; row < kPanelRows; ++row) {
            if (watched == LLab[row]) {
                LLab_Click(row);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace yov
