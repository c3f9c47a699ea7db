// Cfg.Form_Load's steps, the recent-file combos, and the page that SetTab shows.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

#include <cmath>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/texts/qt_text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/msgbox.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/script_options.h"
#include "program/dialogs/settings_table.h"
#include "program/scene/script_reader.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock/recent_files.h"
#include "program/ui/cfg_commands.h"
#include "program/ui/cfg_frm.h"

namespace yov {

namespace {

constexpr uint8_t kSlotByte = kSettingsSlot;
constexpr uint8_t kShowRunning = 0x01;

using cfg_cmd::checkMenu;

void enableMenu(int32_t id, bool on) { lv::EnableMenu(id, on ? 1 : 0); }

QString number(double v) { return QString::number(plat::clampToInt32(plat::roundHalfEven(v))); }

void setChecked(QAbstractButton* b, bool on) { b->setChecked(on); }

}  // namespace

void CfgFrm::Form_Load() {
    CfgState& cs = cfgState();
    cs = CfgState{};
    try {
        loadSteps();
    } catch (...) {
        // Filling stops here; the dialog must store the user's changes from now on.
        cs.LoadingFlag = 0;
        CfgFilling() = 0;
        const PendingError e = currentPendingError();
        ShowMsgBox(u"Error " + decimal(e.number) + u" (" + e.description + u") after " +
                       decimal(programState().run.ProgressCode),
                   msgbox::kOk);
    }
}

void CfgFrm::loadSteps() {
    CfgState& cs = cfgState();
    ProgramState& ms = programState();
    ProgramState& st = programState();
    // 1 to 4: three tabs, the header pictures and the title.
    Tab1->removeTab(3);
    LoadPictureBox(Pic[0], 0);
    LoadPictureBox(Pic[1], 1);
    for (size_t i = 0; i < 2; ++i) {
        Pic[i]->adjustSize();
        cs.PictureWidths[i] = Pic[i]->width();
    }
    LabN->setText(toQString(kProgramTitle));
    // 5.
    cs.LoadingFlag = -1;
    CfgFilling() = 1;
    // 6, 7: the buttons that depend on how the program was started and on its help.
    if (ms.road.StandaloneConfig != 0) {
        setControlTag(CmdOk, u"EXIT");
        CmdOk->setText(QStringLiteral("E&xit"));
    }
    cs.HelpHidden = 0;
    if (HelpAvailable()) {
        setControlTag(CmdHlp, u"HLP");
        CmdHlp->setText(QStringLiteral("&Help"));
    } else if (st.files.DocFile.empty()) {
        CmdHlp->hide();
        cs.HelpHidden = -1;
    }
    // 8: the stock quietly, for its languages and texts; the next LoadStock reads it again.
    LoadStock(-1);
    st.Shared.StockCount = 0;
    // 9 to 11.
    LocalizeForm(this);
    measureCaptions();
    setMinimumSize(widths_.MinDialogWidth, widths_.MinDialogHeight);
    resize(widths_.MinDialogWidth, widths_.MinDialogHeight);
    OpenForm(kSlotByte, this, widths_.MinDialogWidth, widths_.MinDialogHeight, widths_.MinDialogWidth,
             widths_.MinDialogHeight);
    // 12 to 14: the lists.
    AddRecentFiles(kScriptList);
    AddRecentFiles(kStockList);
    FillLanguageMenu();
    CmbStkV->clear();
    CmbStkV->addItems({QStringLiteral("V3"), QStringLiteral("V4"), QStringLiteral("V5")});
    // 15: the menu marks the dialog owns.
    checkMenu(cfg_cmd::kDefaultDirection, ms.settings.UseDefDir == 1);
    checkMenu(cfg_cmd::kFirstColourTranslation + ms.settings.ColTrans, true);
    checkMenu(cfg_cmd::kHighPriority, ms.settings.HighPriority == 1);
    checkMenu(cfg_cmd::kMusic, ms.settings.Music == 1);
    // 16, 17.
    readDisplayModes();
    const int cache = std::min<int>(st.scene.CacheMode, 3);  // modes above 3 behave as 3
    OptCache[static_cast<size_t>(cache)]->setChecked(true);
    for (int i = 0; i < 4; ++i) checkMenu(cfg_cmd::kFirstCache + i, i == cache);
    // 18 to 20.
    Tab1_Click();
    cs.LoadingFlag = 0;
    CfgFilling() = 0;
    SetTab();
    cs.TimerRequests |= kFocusStockButton;
    Timer1->start();
}

void CfgFrm::readDisplayModes() {
    ProgramState& ms = programState();
    CfgState& cs = cfgState();
    ms.modes.ModeCount = 0;
    lv::EnumDDModes(AddDisplayMode);
    if (ms.modes.ModeCount == 0) {
        // Without DirectDraw a full-screen show draws whole trains with GDI.
        if (ms.settings.Show.DrawAlg[kFullScreenMode] >= 2) {
            ms.settings.Show.DrawAlg[kFullScreenMode] = 1;
            if (const SettingSpec* alg = FindSetting(u"DrawAlgF")) SaveSetting(*alg, kFullScreenMode);
        }
        return;
    }
    ReadDisplayModeSettings();
    cs.Resolutions = BuildResolutionList(ms.modes.ModeCount, ms.modes.ModeWidth.data(), ms.modes.ModeHeight.data());
}

void CfgFrm::AddRecentFiles(int list) {
    RecentList& recent = recentLists()[static_cast<size_t>(list)];
    bool changed = LoadRecentList(recent);
    // Each round either finds the first file or removes it, so the list bounds the rounds.
    for (int32_t rounds = recent.count; recent.count > 0 && rounds >= 0; --rounds) {
        const std::u16string first = recent.items[1];
        const uint8_t r = AddRecentFile(first, recent);
        if ((r & kRecentRemoved) != 0) changed = true;
        if ((r & kRecentAdded) != 0) break;
    }
    if (changed) SaveRecentList(recent);
    SetCmbLst(list);
}

void CfgFrm::SetCmbLst(int list) {
    const RecentList& recent = recentLists()[static_cast<size_t>(list)];
    QComboBox* combo = CmbFil[static_cast<size_t>(list)];
    combo->clear();
    for (int32_t i = 1; i <= recent.count && static_cast<size_t>(i) < recent.items.size(); ++i)
        combo->addItem(toQString(recent.items[static_cast<size_t>(i)]));
    combo->setCurrentIndex(recent.count > 0 ? 0 : -1);
    if (recent.count == 0) combo->setEditText(QString());
    // Selecting the first file chooses it, as the user's choice would (nothing while that
    // choice is what refills the list).
    if (recent.count > 0) CmbFil_Click(list);
    QCoreApplication::processEvents();
    cfgState().TimerRequests |= static_cast<uint8_t>(1 << list);
    Timer1->start();
}

void CfgFrm::Tab1_Click() {
    cfgState().CurrentTab = static_cast<uint8_t>(Tab1->currentIndex() + 1);
    SetTab();
}

void CfgFrm::Timer1_Timer() {
    Timer1->stop();
    CfgState& cs = cfgState();
    for (int list = 0; list < 2; ++list) {
        if ((cs.TimerRequests & (1 << list)) == 0) continue;
        QLineEdit* edit = CmbFil[static_cast<size_t>(list)]->lineEdit();
        edit->setCursorPosition(edit->text().size());
    }
    if ((cs.TimerRequests & kFocusStockButton) != 0) {
        if (CmdStockList->isVisible() && CmdStockList->isEnabled())
            CmdStockList->setFocus();
        else
            CmdBrw[1]->setFocus();
    }
    cs.TimerRequests = 0;
}

void CfgFrm::SetTab() {
    CfgState& cs = cfgState();
    if (cs.LoadingFlag != 0) return;
    CfgFilling() = 1;
    const ProgramState& st = programState();
    const ProgramState& ms = programState();
    const bool notRunning = (st.run.RunFlags & kShowRunning) == 0;
    const bool stock = ms.scene.StockOk;
    const bool ready = ms.scene.StockOk && ms.scene.ConfigOk;
    enableMenu(4101, stock && notRunning);
    enableMenu(4103, stock && notRunning);
    for (int id = 4096; id <= 4099; ++id) enableMenu(id, stock);
    enableMenu(4100, ready);
    enableMenu(4102, ready);
    enableMenu(kOptionMenuCommand, ms.scene.ConfigOk && scriptReader().S.OptionCount > 0);
    DrawMenuBar();

    switch (cs.CurrentTab) {
    case kTabMain:
        for (size_t i = 0; i < 2; ++i) {
            CmbFil[i]->setEnabled(notRunning);
            CmdBrw[i]->setEnabled(notRunning);
        }
        CmdStockList->setEnabled(stock);
        for (size_t i = 1; i < 3; ++i) CmdHidden[i]->setEnabled(stock);
        CmdTestWindow->setEnabled(notRunning && ready);
        CmdTestFull->setEnabled(notRunning && ready);
        CmdClear->setEnabled(stock && notRunning);
        break;
    case kTabFullScreen:
        cs.ModeIndex = kFullScreenMode;
        cs.ModeSuffix = u"F";
        fillMode(kFullScreenMode, notRunning, ready);
        break;
    case kTabWindow:
        cs.ModeIndex = kWindowMode;
        cs.ModeSuffix = u"W";
        fillMode(kWindowMode, notRunning, ready);
        break;
    default: break;
    }
    FFrm->setVisible(cs.CurrentTab == kTabMain);
    WFrm->setVisible(cs.CurrentTab == kTabFullScreen || cs.CurrentTab == kTabWindow);
    CfgFilling() = 0;
}

void CfgFrm::fillMode(int mode, bool notRunning, bool ready) {
    // Each control set runs its handler, as a user's change would; CfgFilling keeps the
    // handlers from writing what they were just given, except the display mode's.
    const ShowSettings& s = programState().settings.Show;
    const auto m = static_cast<size_t>(mode);
    const size_t method = std::min<size_t>(s.DrawAlg[m], 4);
    OptAlg[method]->setChecked(true);
    OptAlg_Click(static_cast<int>(method));
    const size_t sequence = std::min<size_t>(s.Random[m], 3);
    OptSeq[sequence]->setChecked(true);
    OptSeq_Click(static_cast<int>(sequence));
    auto check = [this](QCheckBox* box, bool on) {
        setChecked(box, on);
        ModeCheck_Click(box);
    };
    auto text = [this](QLineEdit* box, const QString& value) {
        box->setText(value);
        ModeText_Change(box);
    };
    check(ChkSkipErr, s.SkipErr[m] != 0);
    check(ChkStopKey, s.NStpKey[m] == 0);
    check(ChkStopMove, s.NStpMov[m] == 0);
    check(ChkStopClick, s.NStpClk[m] == 0);
    text(TxtSpeed, number(static_cast<double>(s.Speed[m]) * 1000));
    check(ChkLin, s.LimLinB[m] != 0);
    text(TxtLin, QString::number(s.LimLinV[m]));
    check(ChkLen, s.LimLenB[m] != 0);
    text(TxtLen, QString::number(s.LimLenV[m]));
    check(ChkAvg, s.LimProcB[m] != 0);
    text(TxtAvg, number(static_cast<double>(s.LimProcV[m]) * 10));
    CmdTst->setEnabled(notRunning && ready);
    const ProgramState& st = programState();
    const bool editable = notRunning || st.run.ShowMode != mode;
    FrmDraw->setEnabled(editable);
    OptAlg[0]->setEnabled(editable);
    OptAlg[1]->setEnabled(editable);
    const bool directDraw = editable && programState().modes.ModeCount > 0 && mode == kFullScreenMode;
    for (size_t i = 2; i < 5; ++i) OptAlg[i]->setEnabled(directDraw);
    FramDX->setVisible(directDraw);
}

}  // namespace yov
