#include "program/core/pictures/sprite_program.h"

#include <string>

#include "platform/text.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/msgbox.h"
#include "program/core/texts/number_text.h"
#include "program/core/pictures/picture_slot_table.h"

namespace yov {
namespace {

constexpr int32_t kStyleOk = 64;

enum Op : uint8_t {
    kHighestJump = 249,
    kWait8 = 250,
    kWait16 = 251,
    kMoveTo = 252,
    kLoopBegin = 253,
    kLoopEnd = 254,
    kEnd = 255,
};

// A program that cannot go on is an error of the picture's description: it is logged and
// the animation ends on the frame it shows.
int32_t ProgramFault(int32_t slot, const PictureSlot& s, std::u16string_view what) {
    WriteErrorLog(u"AnimStep: " + std::u16string(what) + u" in the animation program of picture slot " + decimal(slot) +
                  u" \"" + s.Name + u"\"");
    return 0;
}

class ProgramRun {
public:
    ProgramRun(int32_t slot, PictureSlot& s) : slot_(slot), s_(s) {}

    int32_t Step() {
        for (int32_t budget = kMaxProgramOpsPerStep; budget > 0; --budget) {
            uint8_t op;
            if (!Fetch(op)) return Fault(u"a read past the end");
            if (op <= kHighestJump) {
                if (op > s_.LastFrame) return Fault(u"a jump beyond the last frame");
                s_.AnimFrame = op;
                s_.AnimTarget = op;
                return s_.StepDelay;
            }
            uint8_t lo;
            uint8_t hi;
            switch (op) {
            case kWait8:
                if (!Fetch(lo)) return Fault(u"a read past the end");
                return lo;
            case kWait16:
                // Both bytes unsigned: waits up to 65535 ticks.
                if (!Fetch(lo) || !Fetch(hi)) return Fault(u"a read past the end");
                return hi * 256 + lo;
            case kMoveTo:
                if (!Fetch(lo)) return Fault(u"a read past the end");
                if (lo > s_.LastFrame) return Fault(u"a move beyond the last frame");
                s_.AnimTarget = lo;
                return s_.StepDelay;
            case kLoopBegin:
                if (!Fetch(lo) || !Fetch(hi)) return Fault(u"a read past the end");
                if (s_.LoopDepth >= kMaxAnimLoops) {
                    WriteErrorLog(GetText(u"ACYC"));
                    return 0;
                }
                s_.LoopCount[s_.LoopDepth] = static_cast<uint16_t>(hi * 256 + lo);
                s_.LoopStart[s_.LoopDepth] = s_.AnimPC;
                ++s_.LoopDepth;
                break;
            case kLoopEnd: {
                if (s_.LoopDepth == 0) return 0;
                const size_t inner = static_cast<size_t>(s_.LoopDepth - 1);
                if (s_.LoopCount[inner] != 0 && --s_.LoopCount[inner] == 0) {
                    --s_.LoopDepth;
                } else {
                    s_.AnimPC = s_.LoopStart[inner];
                }
                break;
            }
            default:  // kEnd
                return 0;
            }
        }
        return Fault(u"no frame, wait or end within " + decimal(kMaxProgramOpsPerStep) + u" instructions");
    }

private:
    bool Fetch(uint8_t& b) {
        if (s_.AnimPC < 0 || static_cast<size_t>(s_.AnimPC) >= s_.AnimProgram.size()) return false;
        b = s_.AnimProgram[static_cast<size_t>(s_.AnimPC)];
        ++s_.AnimPC;
        return true;
    }

    int32_t Fault(std::u16string_view what) { return ProgramFault(slot_, s_, what); }

    int32_t slot_;
    PictureSlot& s_;
};

}  // namespace

int32_t AnimStep(int32_t slot) {
    PictureSlotTable& t = pictureSlots();
    if (!t.valid(slot)) return 0;
    PictureSlot& s = t[slot];
    switch (s.State) {
    case 1:
    case 2:  // forward once
        if (s.AnimFrame < s.LastFrame) {
            ++s.AnimFrame;
            return s.StepDelay;
        }
        return 0;
    case 3:  // backward once
        if (s.AnimFrame > 0) {
            --s.AnimFrame;
            return s.StepDelay;
        }
        return 0;
    case 4:  // cyclic
        s.AnimFrame = s.AnimFrame < s.LastFrame ? static_cast<uint8_t>(s.AnimFrame + 1) : 0;
        return s.StepDelay;
    case 5:  // one cycle back to frame 0
        if (s.AnimFrame == 0) return 0;
        s.AnimFrame = s.AnimFrame < s.LastFrame ? static_cast<uint8_t>(s.AnimFrame + 1) : 0;
        return s.StepDelay;
    case 6:
        // Moving towards the target comes first; the program runs when it is reached.
        if (s.AnimFrame < s.AnimTarget) {
            ++s.AnimFrame;
            return s.StepDelay;
        }
        if (s.AnimFrame > s.AnimTarget) {
            --s.AnimFrame;
            return s.StepDelay;
        }
        return ProgramRun(slot, s).Step();
    default: ShowMsgBox(u"AnimStep Type Else", kStyleOk, u""); return 0;
    }
}

}  // namespace yov
