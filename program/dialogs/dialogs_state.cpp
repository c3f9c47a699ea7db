#include "program/dialogs/dialogs_state.h"

namespace yov {

DialogsState& dialogsState() { return *Installed<DialogsState>(); }

CfgState& cfgState() { return dialogsState().Settings; }
uint8_t& CfgFilling() { return dialogsState().SettingsFilling; }
DialogService& dialogService() { return dialogsState().RuntimeDialog; }

}  // namespace yov
