#include "fresh_program_state.h"

#include <QCoreApplication>
#include <QEvent>

#include <string>

#include "core_fixture.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/pictures/anim_pools.h"
#include "program/core/pictures/canvas.h"
#include "program/core/pictures/canvas_hooks.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/windows/folder_chooser.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup_parts.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/script_place.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/mouse_tracking.h"
#include "program/core/windows/show_parts.h"
#include "program/core/windows/utilities.h"
#include "program/core/windows/window_parts.h"
#include "program/core/params/param_table.h"
#include "program/core/pictures/picture_build_state.h"
#include "program/scene/picture_slot.h"
#include "program/scene/placed_pictures.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "program/stock_data/stock_state.h"
#include "program/scene/vehicle_build.h"
#include "program/show/anim_wheel.h"
#include "program/show/display_start.h"
#include "program/show_data/display_state.h"
#include "program/show/frame_step.h"
#include "program/core/startup/program_clock.h"
#include "program/show/show_input.h"
#include "program/show/show_panel.h"
#include "program/show/show_records.h"
#include "program/show_data/show_state.h"
#include "program/show_data/show_view.h"
#include "program/show/show_window_rules.h"
#include "program/trains/timed_events.h"
#include "program/show/timed_object_events.h"
#include "program/trains/train_records.h"
#include "program/trains/line_params.h"
#include "program/trains/movement_modes.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_start_state.h"

namespace program_test {

namespace {

// The core's records and those the program shares with the engine keep their addresses (the
// engine holds pointers into the shared ones): they are set back to a start's values instead.
struct FreshProgramValues {
    FreshProgramValues() { core_test::resetProgramState(); }
    ~FreshProgramValues() { core_test::resetProgramState(); }
};

// The canvases a test made are given back to the engine as the show gives its own back.
struct FreshCanvases {
    FreshCanvases() = default;
    ~FreshCanvases() {
        for (int slot = 0; slot < yov::kCanvasSlots; ++slot) {
            if (yov::canvasSlot(slot).inUse != 0) yov::FreeCanvas(slot);
        }
    }
    FreshCanvases(const FreshCanvases&) = delete;
    FreshCanvases& operator=(const FreshCanvases&) = delete;
};

}  // namespace

struct FreshShowFamilies {
    // Given back last, when every hook table is the program's own again.
    FreshCanvases canvases;
    // The core: the program state, texts, windows, settings, the picture parts, the last picture
    // reference, the folder chooser's start and the program's random numbers.
    yov::FreshInstall<yov::ProgramState> programState;
    FreshProgramValues program;
    Kept<yov::ServiceState> service{&yov::serviceState};
    Kept<yov::HelpFiles> help{&yov::helpFiles};
    Kept<yov::DescriptionState> descriptions{&yov::descriptionState};
    Kept<yov::ScriptPlace> place{&yov::scriptPlace};
    Kept<yov::MouseTrackingState> mouse{&yov::mouseTracking};
    Kept<yov::PlacementState> placement{&yov::placementState};
    Kept<yov::PicPartPool> parts{&yov::picParts};
    Kept<yov::CurrentCanvas> canvas{&yov::currentCanvas};
    Kept<plat::Random> random{&yov::programRandom};
    // The layers above the core a test put in place, the program's own included.
    Kept<yov::ShowParts*> showParts{&yov::Installed<yov::ShowParts>};
    Kept<yov::WindowParts*> windowParts{&yov::Installed<yov::WindowParts>};
    Kept<yov::StartupParts*> startupParts{&yov::Installed<yov::StartupParts>};
    Kept<yov::TrainSlotHead> trainSlotHead{&yov::trainSlotHead};
    Kept<const yov::ShowDrawing*> showDrawing{&yov::showDrawing};
    Kept<yov::PictureRef> ref{&yov::pictureRef};
    Kept<std::string> browseFolder{&yov::browseStartFolder};

    // Scene and stock data: the parameter parser and table, the script reader, the stock,
    // the vehicle pictures and their slots.
    Kept<yov::ParamParser> parser{&yov::paramParser};
    Kept<yov::ParamDraws*> draws{&yov::Installed<yov::ParamDraws>};
    Remade<yov::ParamTable> table{&yov::paramTable};
    Remade<yov::ScriptReader> reader{&yov::scriptReader};
    Kept<yov::ScriptShowCalls*> scriptShowCalls{&yov::Installed<yov::ScriptShowCalls>};
    Kept<yov::ScriptReadServices*> scriptServices{&yov::Installed<yov::ScriptReadServices>};
    Remade<yov::LineReaders> lineReaders{&yov::lineReaders};
    Kept<yov::StockState> stock{&yov::stockState};
    Kept<yov::PictureBuildState> pictureBuild{&yov::pictureBuildState};
    Kept<yov::VehicleBuildState> vehicleBuild{&yov::vehicleBuild};
    Kept<yov::PictureSlotTable> pictureSlots{&yov::pictureSlots};
    Kept<yov::PlacedPictureLoader*> placedLoader{&yov::Installed<yov::PlacedPictureLoader>};

    // The trains.
    Kept<yov::TrainStartState> start{&yov::trainStart};
    Kept<yov::TrainPictureTable> trainPictures{&yov::trainPictures};
    Kept<yov::TrainBuildState> trainBuild{&yov::trainBuild};
    Kept<yov::UnitBuilders*> builders{&yov::Installed<yov::UnitBuilders>};
    Kept<yov::TrainPictureSources*> trainPictureSources{&yov::Installed<yov::TrainPictureSources>};

    // The show: its records (state and display, run queue, trains, wheel, sections), input
    // and clock.
    yov::FreshShowRecords records;
    Kept<yov::ClipSpan> clip{&yov::clipSpan};
    Kept<yov::PanelState> panel{&yov::panelState};
    Kept<yov::ShowInputState> input{&yov::showInput};
    Kept<yov::ProgramClock*> clock{&yov::Installed<yov::ProgramClock>};
    Kept<yov::FrameMovers*> movers{&yov::Installed<yov::FrameMovers>};
    Kept<yov::FrameStepper*> stepper{&yov::Installed<yov::FrameStepper>};
};

FreshShowFamilies* MakeFreshShowFamilies() { return new FreshShowFamilies; }
void GiveBack(FreshShowFamilies* fresh) { delete fresh; }

FreshProgramState::FreshProgramState() : shows_(MakeFreshShowFamilies()), windows_(MakeFreshWindowFamilies()) {}

FreshProgramState::~FreshProgramState() {
    // A service window a test left loaded goes with the test: a later test's windows would
    // take it for their owner.
    yov::UnloadServiceWindow();
    GiveBack(windows_);
    GiveBack(shows_);
    // What a test left for the event loop to delete goes now, not during a later test: a
    // window deleted late takes the dialog a later test opened over it along. The engine's
    // colour translation outlives a program start in the process: back to none, as at the
    // process's start.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    yov::lv::SetXColMethod(0, 0, 0, 0);
}

}  // namespace program_test
