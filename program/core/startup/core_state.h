// The records of the program's core in one object: the service window's, the window
// placement, the help file, the vehicle picture parts, the picture descriptions' work values,
// the modal loops, the tracked control and the folder the file dialog starts in.
//
// The program has one, made at its first use and living to the end of the process; the tests'
// main restarts it around every test, together with the program state in force
// (program_state.h) and the records shared with the engine, which keep their addresses.
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
    ServiceState service;
    PlacementState placement;
    HelpFiles help;
    PicPartPool pictureParts;
    DescriptionState descriptions;
    ModalState modal;
    MouseTrackingState mouse;
    QString fileDialogFolder;  // where the file dialog opens when the flags name no folder

    // Back to the values of a program that has just started: these records, the program state
    // in force and the records shared with the engine.
    void restart();
};

CoreState& coreState();

}  // namespace yov
