// A picture reference through the real engine library: a stock entry's GIF found in the
// stock folder, loaded on the engine's loader thread while event 204 keeps arriving, cached,
// and drawn with its mask into the program's own device contexts.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <filesystem>
#include <string>

#include "picture_ref_fixture.h"
#include "platform/raster_test_util.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/picture_ref.h"
#include "program/core/startup/program_state.h"

namespace {

std::atomic<int> g_waits{0};
int32_t CountWaits(DllEventRec* record) noexcept {
    if (record->Code == 204) ++g_waits;
    return 0;
}

class PictureRefEngine : public picref_test::PictureRefEngineTest {
protected:
    void SetUp() override {
        g_waits = 0;
        engineEvents = &CountWaits;
        PictureRefEngineTest::SetUp();
    }
};

TEST_F(PictureRefEngine, AStockGifIsLoadedCachedAndDrawnWithItsMask) {
    QTemporaryDir stockDir;
    const std::string folder = stockDir.path().toStdString();
    std::filesystem::copy_file(std::string(YOV_TEST_DATA) + "/gif/hat.gif", folder + "/Hat.gif");
    const int32_t file = AddFile(1, picref_test::u16(folder));
    const int32_t entry = AddEntry(u"HAT", file, u"HAT");

    std::u16string name = u"HAT";
    yov::OpenPictureRef(name, 0, 0);
    const yov::PictureRef& r = yov::pictureRef();
    EXPECT_EQ(r.PicRefStock, entry);
    EXPECT_EQ(r.PicRefOpenWidth, 90);
    EXPECT_EQ(r.PicRefOpenHeight, 112);
    EXPECT_GT(r.PicRefCache, 0);
    EXPECT_EQ(Entry(entry).PictureRef, r.PicRefCache);
    EXPECT_GE(g_waits.load(), 1) << "the show was offered frame steps during the load";

    rastertest::Canvas picture(90, 112, 32);
    rastertest::Canvas mask(90, 112, 1);
    rastertest::Canvas reference(90, 112, 32);
    yov::DrawPicturePart(r.PicRefCache, picture.dc.id, mask.dc.id, 0, 0, 0, r.PicRefOpenHeight, u"HAT", 0);
    ASSERT_EQ(yov::lv::GetPart(r.PicRefCache, reference.dc.id, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(picture.Values(), reference.Values());
    for (uint32_t bit : mask.Values()) ASSERT_EQ(bit, 1u) << "no transparency: every pixel opaque";

    // A second reference finds the entry's cache reference and loads nothing.
    const int waitsBefore = g_waits.load();
    yov::OpenPictureRef(name, 0, 0);
    EXPECT_EQ(g_waits.load(), waitsBefore);
}

}  // namespace
