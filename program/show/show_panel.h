// The show's speed and limits panel: the speed of the scene and three limits on how busy it
// may get (active tracks, total vehicle length on screen, processor load), for the running
// show at once, for the rest of the program run (O.K.) and for later shows (Save, the
// settings "Speed", "LimLin...", "LimLen...", "LimProc..." with the mode's "W" or "F").
//
// Rows 0 speed, 1 tracks, 2 vehicle length (the slider counts hundreds of pixels), 3 load.
// The panel's controls belong to the current show window; they reach the logic here through
// ShowPanelControls. Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace yov {

inline constexpr int kPanelRows = 4;

// The controls of one show window's panel. Setting a slider to another value calls
// HandleSliderChange and setting a text calls ScrValueChange, as the controls' own change
// events do.
class ShowPanelControls {
public:
    virtual ~ShowPanelControls() = default;
    virtual void layOut() = 0;  // the rows, once per program run
    virtual void centre() = 0;  // the container centred on the screen
    virtual void setSliderRange(int row, int32_t minimum, int32_t maximum) = 0;
    virtual int32_t sliderMinimum(int row) const = 0;
    virtual int32_t sliderMaximum(int row) const = 0;
    virtual int32_t sliderValue(int row) const = 0;
    virtual void setSliderValue(int row, int32_t value) = 0;
    virtual std::u16string text(int row) const = 0;
    virtual void setText(int row, const std::u16string& text) = 0;
    virtual bool checked(int row) const = 0;  // rows 1 to 3
    virtual void setChecked(int row, bool on) = 0;
    virtual void setRowEnabled(int row, bool on) = 0;
    virtual void setAcceptEnabled(bool on) = 0;  // O.K. and Save
    virtual void setPanelVisible(bool on) = 0;
};

struct PanelState {
    uint8_t PanelOpen = 0;
    uint8_t LaidOut = 0;
    uint8_t InvalidBits = 0;  // bit i: row i's text is outside its slider's range
    int32_t LinesOnScreen = 1;
    // The values at opening, for Cancel.
    int32_t SavedSpeed = 0;  // slider value
    uint8_t SavedLenB = 0;
    int32_t SavedLenV = 0;
    uint8_t SavedLinB = 0;
    int32_t SavedLinV = 0;
    uint8_t SavedProcB = 0;
    float SavedProcV = 0;
};

PanelState& panelState();

// The panel of the current show window (null when there is none).
void SetPanelControls(ShowPanelControls* controls);
ShowPanelControls* PanelControls();

void ScrPanelInit();
void ScrLimitCheck(int row);
// 1 Cancel, 2 O.K., 3 Save.
void ScrPanelCommand(int button);
void HandleSliderChange(int row);
void ScrValueChange(int row);

}  // namespace yov
