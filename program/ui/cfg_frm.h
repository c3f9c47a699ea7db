// The settings dialog Cfg: window slot 33, the program's main window when no show runs. It
// builds its pages and controls, fills them from the settings, lays them out from its
// measured captions (program/dialogs/cfg_layout.h) and follows its size.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

#include "program/dialogs/cfg_layout.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabBar;
class QTimer;

namespace yov {

// The dialog's text, title and tab fonts: the bundled DejaVu Sans, so captions measure the
// same everywhere.
const QFont& cfgFont();
const QFont& cfgTitleFont();

class CfgFrm : public QWidget {
public:
    CfgFrm();
    ~CfgFrm() override;

    // Builds and fills the dialog (once, right after construction). An error ends it with a
    // message box; the dialog then stores changes again.
    void Form_Load();
    // Shows the page of CurTab and fills it from memory.
    void SetTab();
    void Tab1_Click();
    void Timer1_Timer();

    // The layout in use and what it was computed from; for tests.
    const CaptionWidths& captionWidths() const { return widths_; }
    const CfgMetrics& metrics() const { return metrics_; }
    CfgLayout currentLayout() const;

    // --- Controls, by their names in the design.
    QWidget* Client = nullptr;  // the area under the menu bar
    QFrame* Shape1 = nullptr;
    std::array<QLabel*, 2> Pic{};
    QLabel* LabN = nullptr;
    QPushButton* CmdOk = nullptr;
    QPushButton* CmdHlp = nullptr;
    QPushButton* CmdAbout = nullptr;  // Cmd 4113
    QWidget* Tab1Pane = nullptr;      // the tab strip: its bar and the pane under it
    QTabBar* Tab1 = nullptr;
    QStatusBar* SBar = nullptr;
    QTimer* Timer1 = nullptr;

    QWidget* FFrm = nullptr;
    std::array<QLabel*, 2> LabF{};
    std::array<QComboBox*, 2> CmbFil{};
    std::array<QPushButton*, 2> CmdBrw{};
    QCheckBox* ChkBackup = nullptr;
    QPushButton* CmdStockList = nullptr;      // Cmd 4096
    QPushButton* CmdTestWindow = nullptr;     // Cmd 4100
    QPushButton* CmdTestFull = nullptr;       // Cmd 4102
    std::array<QPushButton*, 3> CmdHidden{};  // Cmd 4118, 4097, 4098: never shown
    QGroupBox* FrmCache = nullptr;
    std::array<QRadioButton*, 4> OptCache{};  // 4104..4107
    QPushButton* CmdClear = nullptr;          // Cmd 4101

    QWidget* WFrm = nullptr;
    QGroupBox* FrmDraw = nullptr;
    std::array<QRadioButton*, 5> OptAlg{};
    QGroupBox* FramDX = nullptr;
    QCheckBox* ChkAct = nullptr;
    std::array<QLabel*, 3> ModeLabel{};     // Label1..Label3
    std::array<QComboBox*, 3> ModeCombo{};  // Combo1..Combo3
    QGroupBox* FrmSeq = nullptr;
    std::array<QRadioButton*, 4> OptSeq{};
    QCheckBox* ChkSkipErr = nullptr;
    QGroupBox* FrmStp = nullptr;
    QCheckBox* ChkStopKey = nullptr;
    QCheckBox* ChkStopMove = nullptr;
    QCheckBox* ChkStopClick = nullptr;
    QLabel* LabSpeed = nullptr;
    QLineEdit* TxtSpeed = nullptr;
    QLabel* LimLab = nullptr;
    QCheckBox* ChkLin = nullptr;
    QLineEdit* TxtLin = nullptr;
    QCheckBox* ChkLen = nullptr;
    QLineEdit* TxtLen = nullptr;
    QCheckBox* ChkAvg = nullptr;
    QLineEdit* TxtAvg = nullptr;
    QPushButton* CmdTst = nullptr;

    // The page nothing shows; only its stock-list format list is filled.
    QWidget* SFrm = nullptr;
    QComboBox* CmbStkV = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void buildHeader();
    void buildMainPage();
    void buildModePage();
    void loadSteps();
    void measureCaptions();
    void readDisplayModes();
    void AddRecentFiles(int list);
    void SetCmbLst(int list);
    void fillMode(int mode, bool notRunning, bool ready);
    void Form_Resize();

    CfgMetrics metrics_;
    CaptionWidths widths_;
};

// Opens a new settings dialog (start-up's and the deferred actions' entry).
void ShowCfg();

// Hands ShowCfg to start-up.
void WireSettingsDialog();

}  // namespace yov
