// The cases of the movement modes that build more than a through-running unit: each builds
// its units in a fixed order, reads the speeds and rates its step program needs, stores its
// step texts and gives the unit that carries the train its stop point and MotionState 12
// (CUT and CUT2, CHANGE, UNIT, PUT, GET, ECHG, HEAD, PUSH, TURN), or runs its train out in
// another way (FOLLOW, RCUT). Where the units stand is worked out so that those that meet
// at the stop stand end to end there, on the side the train runs to.
//
// Units are TrainPicture indices; no reference into the picture or train table is held
// across a build or a parameter read, either of which may take a frame step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yov {

struct TrainPicture;

class ModeCase {
public:
    ModeCase(int32_t train, int32_t sect);

    void Follow();
    void StopOrBack();
    void Open();
    void Cut(bool cut2);
    void Change();
    void Unit();
    void Put();
    void Get();
    void Echg();
    void Head();
    void Push();
    void Turn();
    void Rcut();

private:
    int32_t place(std::u16string_view c, std::u16string_view a, std::u16string_view b, std::u16string_view v,
                  std::u16string_view d);
    int32_t make(std::u16string_view key, int32_t member, uint8_t mirror = 0);
    void couple(int32_t first, int32_t second, int16_t side) const;
    static TrainPicture& unit(int32_t picture);
    static int32_t width(int32_t picture);
    int16_t dir() const;
    void setDir(int16_t d) const;
    float speed(std::u16string_view key, float fallback) const;
    float accel(std::u16string_view key) const;
    float decel(std::u16string_view key) const;
    std::u16string direction(std::u16string_view key, std::u16string_view fallback, int16_t current) const;
    void stepText(int32_t k, std::u16string text) const;
    // Stop point of a row of two units, the `left` unit's left edge first: the joint is the
    // reference point, so "P=*50" puts the joint in the middle of the line.
    int32_t rowStop(int32_t left, int32_t right) const;

    int32_t train_;
    std::u16string speedText_, accelText_, decelText_, directionText_;
};

// A real number as a step text: the shortest text that reads back as the same value.
std::u16string NumberStepText(float value);

}  // namespace yov
