#include "program/dialogs/dialogs_state.h"

namespace yov {

namespace {

DialogsState*& current() {
    static DialogsState program;
    static DialogsState* state = &program;
    return state;
}

}  // namespace

DialogsState& dialogsState() { return *current(); }

FreshDialogsState::FreshDialogsState() : previous_(current()) { current() = &own_; }

FreshDialogsState::~FreshDialogsState() { current() = previous_; }

CfgState& cfgState() { return dialogsState().Settings; }
uint8_t& CfgFilling() { return dialogsState().SettingsFilling; }
DialogService& dialogService() { return dialogsState().RuntimeDialog; }

}  // namespace yov
