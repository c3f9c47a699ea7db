// The core's services that the folders above fill in at start-up.
#include "program/core/startup/core_wiring.h"

#include <gtest/gtest.h>

#include "program/core/startup/core_hooks.h"

namespace {

// Descriptions and language names read parameters through the core's hooks; after the
// start-up wiring those reach the program's parameter table.
TEST(CoreWiring, ParameterHooksReachTheParameterTable) {
    yov::WireCoreServices();
    yov::CoreHooks& core = yov::coreHooks();
    ASSERT_TRUE(core.getParam);
    ASSERT_TRUE(core.withParams);
    std::u16string inside, missing;
    core.withParams(u"N=General;D=Deutsch", [&] {
        inside = core.getParam(u"X,D", u"-");
        missing = core.getParam(u"Q", u"default");
    });
    EXPECT_EQ(inside, u"Deutsch");
    EXPECT_EQ(missing, u"default");
}

}  // namespace
