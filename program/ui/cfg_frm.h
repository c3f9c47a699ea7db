// The settings dialog Cfg: window slot 33, the program's main window when no show runs. It
// builds its pages and controls, fills them from the settings, lays them out from its
// measured captions (program/dialogs/cfg_layout.h) and follows its size.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "program/dialogs/cfg_layout.h"

class QCheckBox;
class QKeyEvent;
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
    // Shows the page of CurrentTab and fills it from memory.
    void SetTab();
    void Tab1_Click();
    void Timer1_Timer();
    // The show runner's call before and after a test show.
    void StartStop();
    // The dialog's menu bar shows the engine's items as they are now.
    void DrawMenuBar();

    // The command entry of slot 33: keys (Shift×256+KeyCode), buttons and menu commands.
    // True when handled.
    bool FCmd(int16_t& code, int32_t& arg1, int32_t& arg2, int32_t& arg3, int32_t& arg4);
    bool FCmd(int32_t code, int32_t arg1 = 0);

    // --- Handlers, as a user's change runs them; a value set from code calls them itself.
    // The mode tabs: a check box or number box of the page changed.
    void ModeCheck_Click(QCheckBox* box);
    void ModeText_Change(QLineEdit* box);
    void OptSeq_Click(int index);
    void OptCache_Click(int index);
    // The draw method and the display mode of the full-screen show.
    void OptAlg_Click(int index);
    void ChkAct_Click();
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();
    void SetDDEnab(bool enable);
    // The scene-script (0) and stock (1) files.
    void CmbFil_Click(int list);
    void CmbFil_KeyPress(int list, int keyAscii);
    void CmbFil_LostFocus(int list);
    void CmdBrw_Click(int list);
    // The menus that depend on the scene script: its options and help links.
    void TtDepend(const std::u16string& file);
    void CmdTst_Click();
    void CmdOk_Click();
    void CmdHlp_Click();
    void ChkBackup_Click();

    // The depths and rates the combos offer, entry k at item k.
    const std::vector<int32_t>& depthList() const { return depths_; }
    const std::vector<int32_t>& rateList() const { return rates_; }

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
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void buildHeader();
    void buildMainPage();
    void buildModePage();
    void loadSteps();
    void measureCaptions();
    void measureRows(const QFont& font);
    void readDisplayModes();
    void AddRecentFiles(int list);
    void SetCmbLst(int list);
    void fillMode(int mode, bool notRunning, bool ready);
    void Form_Resize();
    void connectHandlers();
    void testShow(uint8_t mode);
    bool bringUpStockWindow();
    void chooseLanguage(int32_t language);
    void chooseCache(int32_t mode);
    bool fileDrop(int list, QEvent* event);

    std::vector<int32_t> depths_;
    std::vector<int32_t> rates_;
    int16_t ClickGuard = 0;

    CfgMetrics metrics_;
    CaptionWidths widths_;
};

// Opens a new settings dialog (start-up's and the deferred actions' entry).
void ShowCfg();

// Hands ShowCfg to start-up.
void WireSettingsDialog();

}  // namespace yov
