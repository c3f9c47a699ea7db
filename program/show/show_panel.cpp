#include "program/show/show_panel.h"

#include <algorithm>
#include <cmath>

#include "platform/numbers.h"
#include "program/core/settings/settings.h"
#include "program/core/settings/window_placement.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"

namespace yov {

namespace {

ShowPanelControls* g_controls = nullptr;

constexpr int kSpeedRow = 0;
constexpr int kTracksRow = 1;
constexpr int kLengthRow = 2;
constexpr int kLoadRow = 3;
constexpr int32_t kLengthUnit = 100;  // pixels per step of the length slider

size_t modeIndex() { return programState().run.ShowMode == 0 ? 0 : 1; }
std::u16string modeLetter() { return programState().run.ShowMode == 0 ? u"W" : u"F"; }
bool speedFixed() { return scriptReader().S.Run.SpeedSet != 0; }

int32_t rounded(double v) { return plat::clampToInt32(v); }

// Screen height over the line pitch: the vehicle height with the script's extra heights
// above and below a line.
int32_t linesOnScreen() {
    const RunSettings& run = scriptReader().S.Run;
    const int64_t pitch = int64_t{programState().Shared.PictureHeight} + run.LayerAbove + run.LayerBelow;
    if (pitch <= 0) return 1;
    return static_cast<int32_t>(std::max<int64_t>(1, screenSizePx().height() / pitch));
}

void setSlider(ShowPanelControls& c, int row, int32_t value) {
    c.setSliderValue(row, std::clamp(value, c.sliderMinimum(row), c.sliderMaximum(row)));
    // The text follows the slider also when the value did not change.
    HandleSliderChange(row);
}

}  // namespace

PanelState& panelState() {
    static PanelState state;
    return state;
}

void SetPanelControls(ShowPanelControls* controls) { g_controls = controls; }
ShowPanelControls* PanelControls() { return g_controls; }

void ScrPanelInit() {
    ShowPanelControls* c = g_controls;
    if (c == nullptr) return;
    PanelState& p = panelState();
    ShowState& ss = showState();
    ShowSettings& s = programState().settings.Show;
    const size_t m = modeIndex();
    p.LinesOnScreen = linesOnScreen();
    if (p.LaidOut == 0) {
        c->layOut();
        p.LaidOut = 1;
    }
    c->centre();
    c->setRowEnabled(kSpeedRow, !speedFixed());

    // The values first: a slider whose range changes may move, which rewrites them.
    const int32_t speed = std::clamp(rounded(double{ss.SpeedFactor} * 1000.0), 1, 100);
    p.SavedSpeed = speed;
    ss.SpeedFactor = static_cast<float>(speed) * 0.001f;
    p.SavedLenB = s.LimLenB[m];
    p.SavedLenV = s.LimLenV[m];
    p.SavedLinB = s.LimLinB[m];
    p.SavedLinV = s.LimLinV[m];
    p.SavedProcB = s.LimProcB[m];
    p.SavedProcV = s.LimProcV[m];
    c->setSliderRange(kSpeedRow, 1, 100);
    setSlider(*c, kSpeedRow, speed);

    c->setSliderRange(kTracksRow, 1, p.LinesOnScreen);
    setSlider(*c, kTracksRow, p.SavedLinV);
    const int64_t lengthMax = int64_t{p.LinesOnScreen} * screenSizePx().width() / kLengthUnit;
    c->setSliderRange(kLengthRow, 1, static_cast<int32_t>(std::clamp<int64_t>(lengthMax, 1, INT32_MAX)));
    setSlider(*c, kLengthRow, p.SavedLenV / kLengthUnit);
    c->setSliderRange(kLoadRow, 1, 300);
    setSlider(*c, kLoadRow, rounded(double{p.SavedProcV} * 10.0));

    c->setChecked(kTracksRow, p.SavedLinB != 0);
    ScrLimitCheck(kTracksRow);
    c->setChecked(kLengthRow, p.SavedLenB != 0);
    ScrLimitCheck(kLengthRow);
    c->setChecked(kLoadRow, p.SavedProcB != 0);
    ScrLimitCheck(kLoadRow);

    p.InvalidBits = 0;
    c->setAcceptEnabled(true);
    c->setPanelVisible(true);
    p.PanelOpen = 1;
}

void ScrLimitCheck(int row) {
    ShowPanelControls* c = g_controls;
    if (c == nullptr || row < kTracksRow || row > kLoadRow) return;
    const bool on = c->checked(row);
    c->setRowEnabled(row, on);
    ShowSettings& s = programState().settings.Show;
    const size_t m = modeIndex();
    const uint8_t flag = on ? 1 : 0;
    if (row == kTracksRow) s.LimLinB[m] = flag;
    if (row == kLengthRow) s.LimLenB[m] = flag;
    if (row == kLoadRow) s.LimProcB[m] = flag;
}

void HandleSliderChange(int row) {
    ShowPanelControls* c = g_controls;
    if (c == nullptr || row < 0 || row >= kPanelRows) return;
    int64_t v = c->sliderValue(row);
    if (row == kLengthRow) v *= kLengthUnit;
    c->setText(row, decimal(v));
}

void ScrValueChange(int row) {
    ShowPanelControls* c = g_controls;
    if (c == nullptr || row < 0 || row >= kPanelRows) return;
    PanelState& p = panelState();
    // A text that is no number (half typed, empty) changes nothing.
    const std::u16string text = c->text(row);
    if (!plat::isNumeric(text)) return;
    const double v = plat::val(text);
    const double slider = row == kLengthRow ? std::trunc(plat::roundHalfEven(v) / kLengthUnit) : plat::roundHalfEven(v);
    const uint8_t bit = static_cast<uint8_t>(1u << row);
    if (!(slider >= c->sliderMinimum(row) && slider <= c->sliderMaximum(row))) {
        p.InvalidBits |= bit;
    } else {
        p.InvalidBits = static_cast<uint8_t>(p.InvalidBits & ~bit);
        // Moving the slider rewrites the text, which comes back here before v is applied.
        if (c->sliderValue(row) != static_cast<int32_t>(slider)) c->setSliderValue(row, static_cast<int32_t>(slider));
        ShowSettings& s = programState().settings.Show;
        const size_t m = modeIndex();
        switch (row) {
        case kSpeedRow: showState().SpeedFactor = static_cast<float>(v * 0.001); break;
        case kTracksRow: s.LimLinV[m] = rounded(v); break;
        case kLengthRow: s.LimLenV[m] = rounded(v); break;
        default: s.LimProcV[m] = static_cast<float>(v / 10.0); break;
        }
    }
    c->setAcceptEnabled(p.InvalidBits == 0);
}

void ScrPanelCommand(int button) {
    PanelState& p = panelState();
    ShowSettings& s = programState().settings.Show;
    const size_t m = modeIndex();
    const std::u16string letter = modeLetter();
    const bool fixed = speedFixed();
    const float running = showState().SpeedFactor;
    switch (button) {
    case 1:
        if (!fixed) s.Speed[m] = static_cast<float>(p.SavedSpeed) * 0.001f;
        s.LimLenB[m] = p.SavedLenB;
        s.LimLenV[m] = p.SavedLenV;
        s.LimLinB[m] = p.SavedLinB;
        s.LimLinV[m] = p.SavedLinV;
        s.LimProcB[m] = p.SavedProcB;
        s.LimProcV[m] = p.SavedProcV;
        break;
    case 2:
        if (!fixed) s.Speed[m] = running;
        break;
    case 3:
        if (!fixed) {
            const int32_t slider =
                g_controls != nullptr ? g_controls->sliderValue(kSpeedRow) : rounded(running * 1000.0);
            SaveRegNumber(u"Speed" + letter, slider);
            s.Speed[m] = running;
        }
        SaveRegNumber(u"LimLenB" + letter, s.LimLenB[m]);
        SaveRegString(u"LimLenV" + letter, decimal(s.LimLenV[m]));
        SaveRegNumber(u"LimLinB" + letter, s.LimLinB[m]);
        SaveRegNumber(u"LimLinV" + letter, s.LimLinV[m]);
        SaveRegNumber(u"LimProcB" + letter, s.LimProcB[m]);
        SaveRegNumber(u"LimProcV" + letter, rounded(double{s.LimProcV[m]} * 10.0));
        break;
    default: break;
    }
    p.PanelOpen = 0;
    if (g_controls != nullptr) g_controls->setPanelVisible(false);
}

}  // namespace yov
