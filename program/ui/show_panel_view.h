// The speed and limits panel of a show window (SpeedContainer): per row a caption LLab, a
// slider HScr and its value VTxt, rows 1 to 3 with their switch Chk, and the buttons BCmd
// 1 Cancel, 2 O.K., 3 Save. Its events go to the panel's logic (show_panel.h). Main thread
// only.
#pragma once

#include <QFrame>

#include <array>

#include "program/show/show_panel.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace yov {

class ShowPanelView final : public QFrame, public ShowPanelControls {
    Q_OBJECT
public:
    // A child of the show window, hidden; it becomes the current panel.
    explicit ShowPanelView(QWidget* showWindow);
    ~ShowPanelView() override;

    std::array<QScrollBar*, kPanelRows> HScr{};
    std::array<QLineEdit*, kPanelRows> VTxt{};
    std::array<QCheckBox*, kPanelRows> Chk{};  // 1..3
    std::array<QLabel*, kPanelRows> LLab{};
    std::array<QPushButton*, kPanelRows> BCmd{};  // 1..3

    void BCmd_Click(int index);
    void Chk_Click(int index);
    void LLab_Click(int index);
    void HScr_Change(int index);
    void VTxt_Change(int index);

    // ShowPanelControls.
    void layOut() override;
    void centre() override;
    void setSliderRange(int row, int32_t minimum, int32_t maximum) override;
    int32_t sliderMinimum(int row) const override;
    int32_t sliderMaximum(int row) const override;
    int32_t sliderValue(int row) const override;
    void setSliderValue(int row, int32_t value) override;
    std::u16string text(int row) const override;
    void setText(int row, const std::u16string& text) override;
    bool checked(int row) const override;
    void setChecked(int row, bool on) override;
    void setRowEnabled(int row, bool on) override;
    void setAcceptEnabled(bool on) override;
    void setPanelVisible(bool on) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Clicks and moves on the panel are the panel's, never the show window's stop input.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Keys typed into the panel are its own too: Esc in a value box does not end the show.
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace yov
