// The movement modes of a train line ("M"): what a train does on its line, turned at its
// start into units, their motion values, the step texts its step program reads and the
// program's first state. Nothing moves here; the frame step runs the program from that state
// (program/show/object_steps.h), whose phase table starts each mode one state after its first
// (the start's wait uses the first state up).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "program/core/startup/installed.h"

namespace yov {

enum class MovementMode : uint8_t {
    None,
    Simple,
    Follow,
    Stop,
    Back,
    Cut,
    Cut2,
    Change,
    Open,
    Unit,
    Put,
    Get,
    Echg,
    Head,
    Push,
    Turn,
    Rcut,
};

inline constexpr size_t kMovementModes = 17;

// One row of the mode table: its words (the first is the "M" number), the first program
// state, the train start kind the picture composition reads, and the units it builds.
struct MovementModeRow {
    MovementMode Mode;
    std::array<std::u16string_view, 4> Words;
    uint8_t FirstState;
    uint8_t StartKind;
    uint8_t Units;
};

const std::array<MovementModeRow, kMovementModes>& movementModeTable();
const MovementModeRow& movementModeRow(MovementMode mode);

// The mode of an upper-cased mode word; the empty word is SIMPLE. Raises "UTC" with the
// position of the script line being started for any other word.
MovementMode SelectMovementMode(std::u16string_view word);
// The first state of the mode's step program.
uint8_t FirstProgramState(MovementMode mode);

// Runs the mode's case for the train being started (CurTrain) on its section: builds and
// places its units, sets their motion values and StepText, and sets TrainStartKind.
void SetUpMovementMode(MovementMode mode, int32_t train, int32_t sect);

// What the cases (and the step program's couplings) build units with: the train placement's
// own (PlaceTrain, MakeTrainPicture, CoupleTrainPictures, PaintObject). Tests of the cases
// put builders of their own in its place (`ScopedInstall<UnitBuilders>`).
class UnitBuilders {
public:
    virtual ~UnitBuilders() = default;
    // The first unit from the named parameters (composition, acceleration, braking, speed,
    // direction; an empty name is not read), entered as member 1 and placed on the line.
    virtual int32_t placeTrain(int32_t train, std::u16string_view c, std::u16string_view a, std::u16string_view b,
                               std::u16string_view v, std::u16string_view d);
    // A further unit from the composition parameter, as the given member, its direction
    // negated when mirrored.
    virtual int32_t makeTrainPicture(std::u16string_view key, int32_t member, uint8_t mirror);
    // first carries second; unless noMove, the two are put end to end (side < 0: first on the
    // left) and their end pictures linked.
    virtual void coupleTrainPictures(int32_t first, int32_t second, int16_t side, uint8_t noMove);
    // Paints the line area of a train without units (NONE) with the background.
    virtual void paintEmptyLine(int32_t train, const std::u16string& bg);
};

inline UnitBuilders& unitBuilders() { return *Installed<UnitBuilders>(); }

}  // namespace yov
