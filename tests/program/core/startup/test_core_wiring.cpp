// The core's services that the folders above fill in at start-up.
#include "program/core/startup/core_wiring.h"

#include <gtest/gtest.h>

#include "program/core/startup/program_state.h"
#include "program/core/pictures/picture_ref.h"

namespace {

// Picture references read the start-up tables of picture kinds through their hooks.
TEST(CoreWiring, PictureKindTablesReachPictureReferences) {
    yov::WireCoreServices();
    yov::programState().tables.PicKindClass[9] = 4;
    yov::programState().tables.PicKindExt[9] = u".BMP";
    const yov::PictureRefHooks& refs = yov::pictureRefHooks();
    EXPECT_EQ(refs.kindClass(9), 4);
    EXPECT_EQ(refs.kindExtension(9), u".BMP");
    EXPECT_EQ(refs.kindClass(-1), 0);
    EXPECT_EQ(refs.kindExtension(yov::kPictureKinds), u"");
}

}  // namespace
