// The settings dialog's control handlers: the values of the mode tabs, the draw method and
// the display mode of the full-screen show, the scene-script and stock files, and the menus
// the scene script brings. Qt reports only a user's changes; where the dialog sets a value
// itself it calls the handler after it, so the chains run as they would for a user.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>

#include "platform/text.h"
#include "program/core/texts/qt_text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/error_report.h"
#include "program/core/windows/text_drop.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/windows/form_icons.h"
#include "program/core/windows/utilities.h"
#include "program/dialogs/cfg_settings.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/display_modes.h"
#include "program/dialogs/script_options.h"
#include "program/scene/script_reader.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/recent_files.h"
#include "program/ui/cfg_commands.h"
#include "program/ui/cfg_frm.h"

namespace yov {

namespace {

// Raises CfgFilling for the rest of a handler, on every way out.
class FillingScope {
public:
    FillingScope() { ++CfgFilling(); }
    ~FillingScope() { --CfgFilling(); }
    FillingScope(const FillingScope&) = delete;
    FillingScope& operator=(const FillingScope&) = delete;
};

struct ModeCheck {
    QCheckBox* box;
    const char16_t* base;
    bool inverted;    // the box shows that the event stops the show; the value says it does not
    QLineEdit* text;  // the number box it switches on, or none
};

std::vector<ModeCheck> modeChecks(const CfgFrm& f) {
    return {{f.ChkStopClick, u"NStpClk", true, nullptr}, {f.ChkStopMove, u"NStpMov", true, nullptr},
            {f.ChkStopKey, u"NStpKey", true, nullptr},   {f.ChkSkipErr, u"SkipErr", false, nullptr},
            {f.ChkAvg, u"LimProcB", false, f.TxtAvg},    {f.ChkLen, u"LimLenB", false, f.TxtLen},
            {f.ChkLin, u"LimLinB", false, f.TxtLin}};
}

const char16_t* modeTextName(const CfgFrm& f, const QLineEdit* box) {
    if (box == f.TxtAvg) return u"LimProcV";
    if (box == f.TxtLen) return u"LimLenV";
    if (box == f.TxtLin) return u"LimLinV";
    if (box == f.TxtSpeed) return u"Speed";
    return nullptr;
}

// The one local file a drag carries, or empty.
QString singleFile(const QMimeData* data) {
    const std::optional<DroppedText> dropped = ReadDroppedText(data);
    return dropped && dropped->isFile ? dropped->text : QString();
}

}  // namespace

void CfgFrm::ModeCheck_Click(QCheckBox* box) {
    for (const ModeCheck& c : modeChecks(*this)) {
        if (c.box != box) continue;
        const bool on = box->isChecked();
        StoreSetting(ModeValueName(c.base), (on != c.inverted) ? 1 : 0);
        if (c.text != nullptr) c.text->setEnabled(on);
        return;
    }
}

void CfgFrm::ModeText_Change(QLineEdit* box) {
    // Text that is no number, or out of range, leaves the value as it was.
    if (const char16_t* name = modeTextName(*this, box))
        StoreTypedSetting(ModeValueName(name), box->text().toStdU16String());
}

void CfgFrm::OptSeq_Click(int index) {
    if (CfgFilling() != 0 || index < 0 || index >= static_cast<int>(OptSeq.size())) return;
    if (OptSeq[static_cast<size_t>(index)]->isChecked()) StoreSetting(ModeValueName(u"Random"), index);
}

void CfgFrm::OptCache_Click(int index) {
    if (index < 0 || index >= static_cast<int>(OptCache.size()) || !OptCache[static_cast<size_t>(index)]->isChecked())
        return;
    FCmd(cfg_cmd::kFirstCache + index);
}

void CfgFrm::OptAlg_Click(int index) {
    if (index < 0 || index >= static_cast<int>(OptAlg.size()) || !OptAlg[static_cast<size_t>(index)]->isChecked())
        return;
    const CfgState& cs = cfgState();
    StoreSetting(ModeValueName(u"DrawAlg"), index);
    if (cs.ModeIndex != kFullScreenMode) return;
    ChkAct->setEnabled(index >= 2);
    if (index >= 2) {
        ChkAct->setChecked(cs.KeepScreenMode != 0);
        ChkAct_Click();
    } else {
        const bool was = ChkAct->isChecked();
        ChkAct->setChecked(false);
        if (was) ChkAct_Click();
        SetDDEnab(false);
    }
}

void CfgFrm::ChkAct_Click() {
    CfgState& cs = cfgState();
    if (CfgFilling() == 0) StoreSetting(u"DDA", ChkAct->isChecked() ? 1 : 0);
    const FillingScope filling;
    ModeCombo[0]->clear();
    if (programState().settings.Show.DrawAlg[cs.ModeIndex == kFullScreenMode ? 1 : 0] < 2) return;
    if (ChkAct->isChecked()) {
        SetDDEnab(false);
        ModeCombo[1]->clear();
        ModeCombo[2]->clear();
        return;
    }
    const ResolutionList& list = cs.Resolutions;
    for (int i = 1; i <= std::min<int>(list.count, kMaxResolutions); ++i) {
        ModeCombo[0]->addItem(
            toQString(ResolutionCaption(list.width[static_cast<size_t>(i)], list.height[static_cast<size_t>(i)])));
    }
    const QSize screen = QGuiApplication::primaryScreen() != nullptr ? QGuiApplication::primaryScreen()->size()
                                                                     : QSize(cs.ModeWidth, cs.ModeHeight);
    bool screenSize = false;
    const int entry =
        ResolutionToSelect(list, cs.ModeWidth, cs.ModeHeight, screen.width(), screen.height(), &screenSize);
    if (screenSize) {
        cs.ModeWidth = static_cast<int16_t>(screen.width());
        cs.ModeHeight = static_cast<int16_t>(screen.height());
    }
    if (entry >= 0) {
        ModeCombo[0]->setCurrentIndex(entry);
        Combo1_Click();
    }
    SetDDEnab(true);
}

void CfgFrm::Combo1_Click() {
    const CfgState& cs = cfgState();
    const int i = ModeCombo[0]->currentIndex() + 1;
    if (i < 1 || i > std::min<int>(cs.Resolutions.count, kMaxResolutions)) return;
    // The display mode is stored whatever the dialog is doing.
    StoreSetting(u"DDX", cs.Resolutions.width[static_cast<size_t>(i)], true);
    StoreSetting(u"DDY", cs.Resolutions.height[static_cast<size_t>(i)], true);
    const FillingScope filling;
    depths_ = DepthsOf(CollectedDisplayModes(), cs.ModeWidth, cs.ModeHeight);
    ModeCombo[1]->clear();
    for (int32_t d : depths_) ModeCombo[1]->addItem(toQString(DepthCaption(d)));
    const int k = EntryToSelect(depths_, cs.ModeDepth);
    if (k >= 0) {
        ModeCombo[1]->setCurrentIndex(k);
        Combo2_Click();
    }
}

void CfgFrm::Combo2_Click() {
    const CfgState& cs = cfgState();
    const int k = ModeCombo[1]->currentIndex();
    if (k < 0 || k >= static_cast<int>(depths_.size())) return;
    StoreSetting(u"DDB", depths_[static_cast<size_t>(k)], true);
    const FillingScope filling;
    const int i = ModeCombo[0]->currentIndex() + 1;
    rates_.clear();
    if (i >= 1 && i <= std::min<int>(cs.Resolutions.count, kMaxResolutions)) {
        rates_ = RatesOf(CollectedDisplayModes(), cs.Resolutions.width[static_cast<size_t>(i)],
                         cs.Resolutions.height[static_cast<size_t>(i)], cs.ModeDepth);
    }
    ModeCombo[2]->clear();
    for (int32_t r : rates_) ModeCombo[2]->addItem(toQString(RateCaption(r)));
    const bool any = !rates_.empty();
    ModeLabel[2]->setEnabled(any);
    ModeCombo[2]->setEnabled(any);
    // Without a rate "DDF" keeps its value: the show takes the driver's default for 0.
    if (any) {
        ModeCombo[2]->setCurrentIndex(EntryToSelect(rates_, cs.ModeRefresh));
        Combo3_Click();
    }
}

void CfgFrm::Combo3_Click() {
    const int k = ModeCombo[2]->currentIndex();
    if (k >= 0 && k < static_cast<int>(rates_.size())) StoreSetting(u"DDF", rates_[static_cast<size_t>(k)], true);
}

void CfgFrm::SetDDEnab(bool enable) {
    for (size_t i = 0; i < 2; ++i) {
        ModeCombo[i]->setEnabled(enable);
        ModeLabel[i]->setEnabled(enable);
    }
    if (!enable) {
        ModeCombo[2]->setEnabled(false);
        ModeLabel[2]->setEnabled(false);
    }
}

void CfgFrm::CmbFil_Click(int list) {
    if (ClickGuard != 0 || (list != kScriptList && list != kStockList)) return;
    ClickGuard = 1;
    struct Release {
        int16_t& guard;
        ~Release() { guard = 0; }
    } release{ClickGuard};
    ProgramState& ms = programState();
    RecentList& recent = recentLists()[static_cast<size_t>(list)];
    const std::u16string name = plat::trim(CmbFil[static_cast<size_t>(list)]->currentText().toStdU16String());
    const uint8_t r = AddRecentFile(name, recent);
    if ((r & 3) != 0) SetCmbLst(list);
    SaveRecentList(recent);
    const bool found = recent.lastAddFound != 0;
    if (list == kStockList) {
        ms.scene.StockOk = found;
        if (found && !plat::equalsNoCase(name, stockState().StockName)) {
            // The dialog is made again on the new stock, with its languages and texts.
            UnloadAllWindows(1);
            ResetLibraryTables();
            SetStockName(name);
            programState().Shared.StockCount = 0;
            PostDeferredAction(deferred::kCloseAndRestart);
        }
    } else {
        ms.scene.ConfigOk = found;
        if (found) {
            SetConfigFile(name);
            TtDepend(name);
        }
    }
    ClickGuard = 0;
    SetTab();
}

void CfgFrm::CmbFil_KeyPress(int list, int keyAscii) {
    QComboBox* combo = CmbFil[static_cast<size_t>(list)];
    if (keyAscii == 13) {
        CmbFil_Click(list);
    } else if (keyAscii == 27) {
        const std::u16string& current = list == kScriptList ? programState().scene.ConfigFile : stockState().StockName;
        combo->setEditText(toQString(current));
    }
}

void CfgFrm::CmbFil_LostFocus(int list) {
    const RecentList& recent = recentLists()[static_cast<size_t>(list)];
    if (recent.count < 1 || recent.items.size() < 2) return;
    const std::u16string text = CmbFil[static_cast<size_t>(list)]->currentText().toStdU16String();
    if (!plat::equalsNoCase(text, recent.items[1])) CmbFil_Click(list);
}

void CfgFrm::CmdBrw_Click(int list) {
    // Scene scripts, initialisation and text files, everything; or stock files, everything.
    constexpr int32_t kScriptKinds = 0x40000000 | 0x20000000 | 0x1000 | 0x800;
    constexpr int32_t kStockKinds = 0x80000 | 0x800;
    constexpr int32_t kTitleIsText = 0x80;
    const std::u16string title = LabN->text().toStdU16String() + u": " +
                                 StripAmpersands(LabF[static_cast<size_t>(list)]->text().toStdU16String());
    std::u16string path;
    if (!GetFileFilter(title, (list == kScriptList ? kScriptKinds : kStockKinds) | kTitleIsText, path)) return;
    CmbFil[static_cast<size_t>(list)]->setEditText(toQString(path));
    CmbFil_Click(list);
}

void CfgFrm::TtDepend(const std::u16string& file) {
    // Reading a script for its options must not change the stock: a script that names its
    // own stock would make the stock combo re-create the dialog on it, again and again. The
    // reader passes over the script's stock line.
    ReadScript(file, 1, StockLine::PassedOver);
    BuildScriptMenus(scriptReader().S);
}

bool CfgFrm::fileDrop(int list, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDropEvent*>(event);
        if (singleFile(e->mimeData()).isEmpty()) {
            e->setDropAction(Qt::IgnoreAction);
            e->ignore();
        } else {
            e->acceptProposedAction();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const QString file = singleFile(e->mimeData());
        if (file.isEmpty()) {
            e->ignore();
            return true;
        }
        e->acceptProposedAction();
        CmbFil[static_cast<size_t>(list)]->setEditText(file);
        try {
            CmbFil_Click(list);
        } catch (...) {
            ShowHandledError();
        }
        return true;
    }
    default: return false;
    }
}

}  // namespace yov
