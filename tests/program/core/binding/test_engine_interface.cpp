// The engine's entry points go through the one engine interface: a fake installed for a
// scope answers the calls it overrides, every other call still reaches the library, and the
// library is back when the scope ends.
#include <gtest/gtest.h>

#include "program/core/binding/engine.h"
#include "program/core/binding/engine_binding.h"

namespace {

class VersionFake : public yov::BoundEngine {
public:
    int32_t calls = 0;
    LvResult GetPalNumEntries() override {
        ++calls;
        return 77;
    }
};

TEST(EngineInterface, AFakeAnswersWhatItOverridesAndTheLibraryTheRest) {
    const int32_t real = yov::lv::GetPalNumEntries();
    ASSERT_NE(real, 77) << "no current picture has 77 palette entries";
    {
        VersionFake fake;
        yov::ScopedEngine use(fake);
        EXPECT_EQ(yov::lv::GetPalNumEntries(), 77);
        EXPECT_EQ(fake.calls, 1);
        EXPECT_EQ(&yov::engine(), &fake);
        EXPECT_GT(yov::lv::GetBitsPixel(), -100000) << "an export the fake leaves alone reaches the library";
    }
    EXPECT_EQ(yov::lv::GetPalNumEntries(), real) << "the library again once the fake's scope ends";
}

}  // namespace
