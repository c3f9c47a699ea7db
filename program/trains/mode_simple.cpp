#include "program/trains/mode_simple.h"

#include "program/trains/movement_modes.h"
#include "program/trains/part_states.h"
#include "program/trains/train_picture.h"
#include "program/trains/train_placement.h"
#include "program/trains/train_start_state.h"

namespace yov {
namespace {

constexpr int16_t kRunThrough = 6;
constexpr uint8_t kFirstState = 12;

}  // namespace

uint8_t SetupSimpleMode(int32_t train) {
    trainStart().TrainStartKind = 2;
    const int32_t unit = unitBuilders().placeTrain(train, u"C", u"A", u"B", u"V", u"D");
    LinkPartChain(unit, 0);
    trainPictures()[unit].MotionState = kRunThrough;
    return kFirstState;
}

}  // namespace yov
