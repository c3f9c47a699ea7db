#include "program/core/startup/instance_control.h"

#include <cstdio>
#include <cstring>

#include "program/core/startup/program_state.h"

namespace yov {

namespace {

// A lock file that cannot be made at all is not another copy: say why, since the copy then
// ends without a window.
void reportFailure(const plat::NamedMutex& m, const std::string& name) {
    if (m.GetStatus() != plat::NamedMutex::Status::Failed) return;
    std::fprintf(stderr, "yov: cannot use the lock \"%s\" (%s): %s\n", name.c_str(), m.Path().c_str(),
                 std::strerror(m.Error()));
}

}  // namespace

std::string InstanceMutexName() { return "RolvaneScreensaver"; }

std::string SlotMutexName(int slot) { return "RolvaneScr" + std::to_string(slot); }

bool AcquireInstance() {
    ProgramState& ms = programState();
    ms.instance.InstanceMutex = plat::NamedMutex::Create(InstanceMutexName());
    // Any failure counts as another copy running: only the show roads care, and they then end.
    ms.instance.AnotherInstance = !ms.instance.InstanceMutex.Owned();
    reportFailure(ms.instance.InstanceMutex, InstanceMutexName());
    for (int slot = 0; slot < kInstanceSlots; ++slot) {
        plat::NamedMutex m = plat::NamedMutex::Create(SlotMutexName(slot));
        if (m.Owned()) {
            ms.instance.SlotMutex = std::move(m);
            ms.instance.InstanceSlot = slot;
            programState().road.InstanceLetter =
                slot == 0 ? std::u16string() : std::u16string(1, static_cast<char16_t>(u'A' + slot));
            return true;
        }
        reportFailure(m, SlotMutexName(slot));
    }
    return false;
}

void ReleaseInstance() {
    ProgramState& ms = programState();
    ms.instance.InstanceMutex.Close();
    ms.instance.SlotMutex.Close();
}

}  // namespace yov
