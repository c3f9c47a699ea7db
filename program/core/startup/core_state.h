// The records of the program's core in one object: the program state, the service window's,
// the window placement, the help file, the vehicle picture parts, the picture descriptions'
// work values, the modal loops, the tracked control and the folder the file dialog starts in.
//
// The program has one, made at its first use and living to the end of the process; the tests'
// main restarts it around every test. The records keep their addresses, since the engine
// holds pointers into the program's shared record and arrays: a fresh start puts the values
// of a program that has just started into them and empties the arrays.
#pragma once

#include <QString>

#include "program/core/pictures/anim_pools.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/descriptions.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/modal.h"
#include "program/core/windows/mouse_tracking.h"

namespace yov {

struct CoreState {
    ProgramState program;
    ServiceState service;
    PlacementState placement;
    HelpFiles help;
    PicPartPool pictureParts;
    DescriptionState descriptions;
    ModalState modal;
    MouseTrackingState mouse;
    QString fileDialogFolder;  // where the file dialog opens when the flags name no folder

    // Back to the values of a program that has just started.
    void restart();
};

CoreState& coreState();

}  // namespace yov
