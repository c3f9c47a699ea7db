// The settings dialog's command entry FCmd (keys, buttons and menu commands), its key and
// file-combo events, and the wiring of its controls to their handlers.
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include <filesystem>
#include <system_error>

#include "platform/paths.h"
#include "platform/priority.h"
#include "platform/codepage.h"
#include "platform/text.h"
#include "program/core/texts/qt_text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/key_command.h"
#include "program/core/windows/utilities.h"
#include "program/ui/cfg_commands.h"
#include "program/dialogs/cfg_settings.h"
#include "program/dialogs/cfg_state.h"
#include "program/dialogs/script_options.h"
#include "program/scene/script_reader.h"
#include "program/show/run_show.h"
#include "program/show_data/show_state.h"
#include "program/stock/window_support.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/stock_frm.h"

namespace yov {

namespace {

namespace cmd = cfg_cmd;
using cfg_cmd::checkMenu;

bool showRunning() { return (programState().run.RunFlags & run_flag::kShowRunning) != 0; }

// Errors of a handler Qt calls stay there: shown (6009 shows nothing), never thrown into
// Qt's event delivery.
template <typename F>
void guarded(F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ShowHandledError();
    }
}

}  // namespace

bool CfgFrm::FCmd(int32_t code, int32_t arg1) {
    auto c = static_cast<int16_t>(code);
    int32_t a1 = arg1, a2 = 0, a3 = 0, a4 = 0;
    return FCmd(c, a1, a2, a3, a4);
}

bool CfgFrm::FCmd(int16_t& code, int32_t& arg1, int32_t& /*arg2*/, int32_t& /*arg3*/, int32_t& /*arg4*/) {
    int32_t base = static_cast<uint16_t>(code);
    int32_t index = 0;
    SplitCmdId(base, index);
    if (base >= cmd::kAlt1 && base <= cmd::kAlt4) {
        cfgState().CurrentTab = static_cast<uint8_t>(base - cmd::kAlt1 + 1);
        SetTab();
        return true;
    }
    if (base >= cmd::kFirstCache && base <= cmd::kLastCache) {
        // The option button, the cache and the menu marks, whichever of them the command came from.
        const int k = base - cmd::kFirstCache;
        OptCache[static_cast<size_t>(k)]->setChecked(true);
        chooseCache(k);
        for (int i = 0; i < 4; ++i) checkMenu(cmd::kFirstCache + i, i == k);
        return true;
    }
    if (base >= cmd::kFirstColourTranslation && base <= cmd::kLastColourTranslation) {
        const int32_t mode = base - cmd::kFirstColourTranslation;
        StoreSetting(u"ColTrans", mode, true);
        for (int32_t i = 0; i < 4; ++i) checkMenu(cmd::kFirstColourTranslation + i, i == mode);
        ApplyColorTranslation();
        return true;
    }
    switch (base) {
    case cmd::kF5:
    case cmd::kTestWindow: testShow(0); return true;
    case cmd::kShiftF5:
    case cmd::kTestFullScreen: testShow(1); return true;
    case cmd::kCtrlL:
    case cmd::kCtrlW:
    case cmd::kStockList: return bringUpStockWindow();
    case cmd::kClearCache: {
        // Whatever fails here, a missing cache file included, is of no account.
        try {
            ResetLibraryTables();
        } catch (...) {}
        const std::string file = plat::resolvePath(plat::utf16ToUtf8(programState().scene.CacheFile));
        std::error_code ignored;
        if (!file.empty()) std::filesystem::remove(file, ignored);
        return true;
    }
    case cmd::kExit: UnloadAllWindows(0); return true;
    case cmd::kDefaultDirection: checkMenu(base, ToggleSwitch(u"UseDefDir") == 1); return true;
    case cmd::kMusic: checkMenu(base, ToggleSwitch(u"Music") == 1); return true;
    case cmd::kHighPriority: {
        const bool on = ToggleSwitch(u"Priority") == 1;
        checkMenu(base, on);
        if (showRunning() &&
            !plat::SetProcessPriorityClass(on ? plat::PriorityClass::RealTime : plat::PriorityClass::Normal))
            WriteErrorLog(u"SetPriorityClass refused");
        return true;
    }
    case cmd::kMenuSelect: SBar->showMessage(toQString(GetMenuTip(arg1))); return true;
    case cmd::kMenuLoopLeft: SBar->clearMessage(); return true;
    case cmd::kLanguage: chooseLanguage(index + 1); return true;
    case kOptionMenuCommand: RunOptionCommand(scriptReader().S, index); return true;
    default: break;
    }
    return HandleFormCmd(static_cast<uint16_t>(code), this, arg1);
}

void CfgFrm::testShow(uint8_t mode) {
    // The dialog's handlers run during its own show: a second show cannot start inside it.
    if (showRunning()) return;
    std::u16string script = programState().scene.ConfigFile;
    RunShow(mode, script, 0, 0);
}

bool CfgFrm::bringUpStockWindow() {
    const ProgramState& st = programState();
    const int highest = std::min<int>(serviceState().HighestStockSlot, kLastStockSlot);
    QWidget* first = nullptr;
    for (int slot = 1; slot <= highest; ++slot) {
        const WindowSlot& s = st.WindowTable[static_cast<size_t>(slot)];
        if (s.inUse == 0 || s.window == nullptr) continue;
        QWidget* w = s.window;
        if (!w->isMinimized()) {
            if (w->isVisible()) {
                w->raise();
                w->activateWindow();
                w->setFocus();
            }
            return false;
        }
        if (first == nullptr) first = w;
    }
    if (first != nullptr) {
        first->showNormal();
        return false;
    }
    OpenStockWindow();
    return true;
}

void CfgFrm::chooseLanguage(int32_t language) {
    ProgramState& st = programState();
    // The dialog is made again for a language; not under its own running show, whose end
    // would find no dialog and end the program.
    if (showRunning() || language < 1 || language > st.Shared.LanguageCount || !st.Arrays.Languages.has(language))
        return;
    if (language != st.Shared.CurrentLanguage) UnloadAllWindows(1);
    st.Shared.CurrentLanguage = static_cast<uint8_t>(language);
    FillLanguageMenu();
    SaveRegString(u"Lang", st.Arrays.Languages[language].Code);
    // Its unloading lets the action run.
    serviceState().DeferredAction = deferred::kRestart;
    UnloadSlotWindow(kSettingsSlot);
}

void CfgFrm::chooseCache(int32_t mode) {
    if (mode == programState().scene.CacheMode) return;
    StoreSetting(u"Cache", mode, true);
    CloseLibraries();
    OpenPictureCache();
}

void CfgFrm::CmdTst_Click() { FCmd(cfgState().ModeIndex == kFullScreenMode ? 4102 : 4100); }

void CfgFrm::CmdOk_Click() { UnloadAllWindows(0); }

void CfgFrm::CmdHlp_Click() {
    ShowContextHelp(HelpAvailable() ? help_cmd::kContents : help_cmd::kDocumentation, this, 0);
}

void CfgFrm::ChkBackup_Click() {
    if (CfgFilling() == 0) FCmd(cmd::kBackup);
}

void CfgFrm::StartStop() {
    // A show reads the whole script, options included, into the table the option menu
    // switches; afterwards the menu is made again from the script so the two agree.
    if (!showRunning() && programState().scene.ConfigOk) TtDepend(programState().scene.ConfigFile);
    SetTab();
}

void CfgFrm::keyPressEvent(QKeyEvent* event) {
    const int32_t code = keyCommandOf(*event);
    bool handled = false;
    if (code != 0) guarded([&] { handled = FCmd(code); });
    if (handled)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

bool CfgFrm::eventFilter(QObject* watched, QEvent* event) {
    for (int list = 0; list < 2; ++list) {
        QComboBox* combo = CmbFil[static_cast<size_t>(list)];
        if (watched != combo && watched != combo->lineEdit()) continue;
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
                const int ascii = key->key() == Qt::Key_Escape ? 27 : 13;
                guarded([&] { CmbFil_KeyPress(list, ascii); });
                return true;
            }
            return false;
        }
        case QEvent::FocusOut:
            if (watched == combo && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                guarded([&] { CmbFil_LostFocus(list); });
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: return fileDrop(list, event);
        default: return false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CfgFrm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
    // Form_Activate: a file name selected whole shows its end.
    for (QComboBox* combo : CmbFil) {
        QLineEdit* edit = combo->lineEdit();
        if (edit != nullptr && !edit->text().isEmpty() && edit->selectedText() == edit->text())
            edit->setCursorPosition(static_cast<int>(edit->text().size()));
    }
}

void CfgFrm::connectHandlers() {
    auto on = [this](auto* sender, auto signal, auto handler) {
        QObject::connect(sender, signal, this, [handler] { guarded(handler); });
    };
    for (QCheckBox* box : {ChkStopClick, ChkStopMove, ChkStopKey, ChkSkipErr, ChkAvg, ChkLen, ChkLin})
        on(box, &QCheckBox::clicked, [this, box] { ModeCheck_Click(box); });
    for (QLineEdit* box : {TxtSpeed, TxtLin, TxtLen, TxtAvg})
        on(box, &QLineEdit::textEdited, [this, box] { ModeText_Change(box); });
    for (size_t i = 0; i < OptSeq.size(); ++i)
        on(OptSeq[i], &QRadioButton::clicked, [this, i] { OptSeq_Click(static_cast<int>(i)); });
    for (size_t i = 0; i < OptAlg.size(); ++i)
        on(OptAlg[i], &QRadioButton::clicked, [this, i] { OptAlg_Click(static_cast<int>(i)); });
    for (size_t i = 0; i < OptCache.size(); ++i)
        on(OptCache[i], &QRadioButton::clicked, [this, i] { OptCache_Click(static_cast<int>(i)); });
    on(ChkAct, &QCheckBox::clicked, [this] { ChkAct_Click(); });
    on(ModeCombo[0], &QComboBox::activated, [this] { Combo1_Click(); });
    on(ModeCombo[1], &QComboBox::activated, [this] { Combo2_Click(); });
    on(ModeCombo[2], &QComboBox::activated, [this] { Combo3_Click(); });
    for (int list = 0; list < 2; ++list) {
        QComboBox* combo = CmbFil[static_cast<size_t>(list)];
        on(combo, &QComboBox::activated, [this, list] { CmbFil_Click(list); });
        on(CmdBrw[static_cast<size_t>(list)], &QPushButton::clicked, [this, list] { CmdBrw_Click(list); });
        combo->setAcceptDrops(true);
        combo->lineEdit()->setAcceptDrops(true);
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }
    on(ChkBackup, &QCheckBox::clicked, [this] { ChkBackup_Click(); });
    on(CmdTst, &QPushButton::clicked, [this] { CmdTst_Click(); });
    on(CmdOk, &QPushButton::clicked, [this] { CmdOk_Click(); });
    on(CmdHlp, &QPushButton::clicked, [this] { CmdHlp_Click(); });
    on(CmdAbout, &QPushButton::clicked, [this] { FCmd(help_cmd::kAbout); });
    on(CmdStockList, &QPushButton::clicked, [this] { FCmd(cmd::kStockList); });
    on(CmdTestWindow, &QPushButton::clicked, [this] { FCmd(cmd::kTestWindow); });
    on(CmdTestFull, &QPushButton::clicked, [this] { FCmd(cmd::kTestFullScreen); });
    on(CmdClear, &QPushButton::clicked, [this] { FCmd(cmd::kClearCache); });
    const int32_t hidden[] = {4118, 4097, 4098};
    for (size_t i = 0; i < CmdHidden.size(); ++i)
        on(CmdHidden[i], &QPushButton::clicked, [this, id = hidden[i]] { FCmd(id); });
}

}  // namespace yov
