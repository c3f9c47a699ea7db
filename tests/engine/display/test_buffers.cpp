// Off-screen buffers: slices of strips in height classes, merging, widening, running out of
// strips, and the guards against misuse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/display/buffers.h"
#include "engine/base/events.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"
#include "platform/raster.h"

namespace {

using Slice = std::vector<int32_t>;  // x, width, used

class Buffers : public ::testing::Test {
protected:
    void SetUp() override { ShutdownBuffer(0, nullptr, nullptr, nullptr); }
    void TearDown() override { ShutdownBuffer(0, nullptr, nullptr, nullptr); }

    void Init(std::vector<int32_t> heights, int32_t minWidth, const int32_t* stripCounts = nullptr) {
        ASSERT_EQ(InitBuffer(0, minWidth, static_cast<int32_t>(heights.size()), heights.data(), stripCounts, nullptr),
                  0);
    }
    static std::vector<Slice> Slices(LvHandle buffer) {
        int32_t raw[64][3];
        const int n = lvk::StripSlices(buffer, raw, 64);
        std::vector<Slice> out;
        for (int i = 0; i < n; ++i) out.push_back({raw[i][0], raw[i][1], raw[i][2]});
        return out;
    }
    static std::vector<int32_t> Strips(int c) {
        int32_t widths[16];
        const int n = lvk::StripWidths(c, widths, 16);
        return std::vector<int32_t>(widths, widths + n);
    }
};

TEST_F(Buffers, ABufferIsTheRightmostSliceOfANewStripAndFreeingMergesItBack) {
    Init({10, 20}, 200);
    LvHandle buffer = AllocBuffer(30, 15, 77);
    ASSERT_NE(buffer, 0u);
    LvHandle pictureDc = 0, maskDc = 0;
    int32_t x = -1, y = -1;
    uint8_t* maskBits = nullptr;
    EXPECT_EQ(GetBufferData(buffer, &pictureDc, &maskDc, &x, &y, &maskBits), 0);
    EXPECT_EQ(x, 170);
    EXPECT_EQ(y, 5) << "buffers sit at the bottom of their strip";
    EXPECT_NE(pictureDc, 0u);
    EXPECT_NE(maskDc, 0u);
    EXPECT_NE(maskBits, nullptr);
    EXPECT_EQ(Slices(buffer), (std::vector<Slice>{{0, 170, 0}, {170, 30, 1}}));
    EXPECT_EQ(Strips(1), (std::vector<int32_t>{200}));

    EXPECT_EQ(FreeBuffer(&buffer), 0);
    EXPECT_EQ(buffer, 0u);
    EXPECT_EQ(lvk::GetBufferStats().records, 1) << "one free record covers the strip again";
    EXPECT_EQ(lvk::GetBufferStats().strips, 1) << "a strip as wide as its class stays";
}

TEST_F(Buffers, NeighboursFreedInEitherOrderLeaveOneFreeRecord) {
    for (bool leftFirst : {true, false}) {
        Init({10}, 100);
        LvHandle right = AllocBuffer(20, 10, 0);
        LvHandle middle = AllocBuffer(30, 10, 0);
        ASSERT_EQ(Slices(middle), (std::vector<Slice>{{0, 50, 0}, {50, 30, 1}, {80, 20, 1}}));
        FreeBuffer(leftFirst ? &middle : &right);
        FreeBuffer(leftFirst ? &right : &middle);
        EXPECT_EQ(lvk::GetBufferStats().records, 1) << (leftFirst ? "left first" : "right first");
        ShutdownBuffer(0, nullptr, nullptr, nullptr);
    }
}

TEST_F(Buffers, AFreedSliceIsReusedAndSplitAgain) {
    Init({10}, 100);
    LvHandle a = AllocBuffer(40, 10, 0);
    LvHandle b = AllocBuffer(40, 10, 0);
    FreeBuffer(&a);
    LvHandle c = AllocBuffer(25, 10, 0);
    EXPECT_EQ(Slices(c), (std::vector<Slice>{{0, 20, 0}, {20, 40, 1}, {60, 15, 0}, {75, 25, 1}}));
    LvHandle d = AllocBuffer(30, 10, 0);
    EXPECT_EQ(lvk::GetBufferStats().strips, 2) << "no slice of 30 was left: a second strip";
    FreeBuffer(&b);
    FreeBuffer(&c);
    FreeBuffer(&d);
}

TEST_F(Buffers, AWiderBufferWidensItsClassAndRetiresNarrowerStrips) {
    Init({10}, 100);
    LvHandle held = AllocBuffer(60, 10, 0);
    ASSERT_TRUE(lvk::AddCache(0));
    EXPECT_EQ(Strips(0), (std::vector<int32_t>{100, 100}));

    LvHandle wide = AllocBuffer(150, 10, 0);
    ASSERT_NE(wide, 0u);
    EXPECT_EQ(Strips(0), (std::vector<int32_t>{150, 100})) << "the empty strip went at once";
    FreeBuffer(&held);
    EXPECT_EQ(Strips(0), (std::vector<int32_t>{150})) << "the older strip went with its last buffer";
    FreeBuffer(&wide);
    EXPECT_EQ(Strips(0), (std::vector<int32_t>{150}));
}

TEST_F(Buffers, HeightsPickTheLowestClassThatHoldsThem) {
    Init({10, 20, 40}, 50);
    struct Case {
        int32_t height;
        int expectedClass;  // -1: no buffer
    };
    for (const Case& c : {Case{1, 0}, Case{10, 0}, Case{11, 1}, Case{40, 2}, Case{41, -1}}) {
        LvHandle b = AllocBuffer(5, c.height, 0);
        if (c.expectedClass < 0) {
            EXPECT_EQ(b, 0u) << c.height;
            continue;
        }
        ASSERT_NE(b, 0u) << c.height;
        int32_t y = -1;
        GetBufferData(b, nullptr, nullptr, nullptr, &y, nullptr);
        const int32_t classHeights[] = {10, 20, 40};
        EXPECT_EQ(y, classHeights[c.expectedClass] - c.height) << c.height;
        FreeBuffer(&b);
    }
}

TEST_F(Buffers, SizesOfZeroOrLessAndMissingClassesGiveNoBuffer) {
    EXPECT_EQ(AllocBuffer(10, 10, 0), 0u) << "no classes yet";
    Init({10}, 50);
    EXPECT_EQ(AllocBuffer(0, 5, 0), 0u);
    EXPECT_EQ(AllocBuffer(5, 0, 0), 0u);
    EXPECT_EQ(AllocBuffer(-5, 5, 0), 0u);
    EXPECT_EQ(AllocBuffer(5, -1, 0), 0u);
    EXPECT_EQ(lvk::GetBufferStats().strips, 0);
}

TEST_F(Buffers, AFreedIdIsDeadEvenWhenItsRecordServesAgain) {
    Init({10}, 100);
    LvHandle first = AllocBuffer(100, 10, 0);  // the whole strip: the record itself is handed out
    const LvHandle copy = first;
    FreeBuffer(&first);
    LvHandle second = AllocBuffer(100, 10, 0);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, copy);

    LvHandle stale = copy;
    EXPECT_EQ(FreeBuffer(&stale), 0);
    EXPECT_EQ(stale, 0u);
    int32_t x = -1;
    EXPECT_EQ(GetBufferData(second, nullptr, nullptr, &x, nullptr, nullptr), 0) << "still in use";
    EXPECT_EQ(GetBufferData(copy, nullptr, nullptr, &x, nullptr, nullptr), -1);

    LvHandle again = second;
    FreeBuffer(&second);
    FreeBuffer(&again);  // a double free
    EXPECT_EQ(lvk::GetBufferStats().records, 1);
    FreeBuffer(nullptr);
    LvHandle zero = 0;
    FreeBuffer(&zero);
}

TEST_F(Buffers, GetBufferDataStoresOnlyWhatIsAskedFor) {
    Init({10}, 100);
    LvHandle b = AllocBuffer(10, 4, 0);
    int32_t x = -1, y = -1;
    EXPECT_EQ(GetBufferData(b, nullptr, nullptr, &x, nullptr, nullptr), 0);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, -1);
    int32_t untouched = -1;
    EXPECT_EQ(GetBufferData(0, nullptr, nullptr, &untouched, &untouched, nullptr), 0);
    EXPECT_EQ(untouched, -1);
    FreeBuffer(&b);
}

TEST_F(Buffers, StripsAskedForAreMadeAndTheSameClassesAreKept) {
    const int32_t counts[] = {2, 1};
    Init({10, 20}, 64, counts);
    EXPECT_EQ(lvk::GetBufferStats().strips, 3);
    LvHandle held = AllocBuffer(10, 20, 0);
    const int32_t more[] = {3, 1};
    Init({10, 20}, 64, more);
    EXPECT_EQ(lvk::GetBufferStats().strips, 4) << "same classes: kept, one strip added";
    int32_t x = -1;
    EXPECT_EQ(GetBufferData(held, nullptr, nullptr, &x, nullptr, nullptr), 0);

    Init({10, 30}, 64);  // other heights: everything goes, and the process lives on
    EXPECT_EQ(lvk::GetBufferStats().strips, 0);
    EXPECT_EQ(lvk::GetBufferStats().classes, 2);
    EXPECT_EQ(GetBufferData(held, nullptr, nullptr, &x, nullptr, nullptr), -1);
}

TEST_F(Buffers, ClassesThatCannotBeAreRefused) {
    const int32_t descending[] = {20, 10};
    const int32_t zero[] = {0, 10};
    const int32_t equal[] = {10, 10};
    EXPECT_EQ(InitBuffer(0, 10, 2, descending, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(InitBuffer(0, 10, 2, zero, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(InitBuffer(0, 10, 2, equal, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(InitBuffer(0, 10, 2, nullptr, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(InitBuffer(0, 10, -1, descending, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(lvk::GetBufferStats().classes, 0);
}

TEST_F(Buffers, WidthsAndMinimumWidth) {
    const int32_t heights[] = {10, 20, 30};
    const int32_t widths[] = {50, 500, -4};
    ASSERT_EQ(InitBuffer(0, 100, 3, heights, nullptr, widths), 0);
    int32_t out[3] = {};
    int32_t counts[3] = {-1, -1, -1};
    EXPECT_EQ(ShutdownBuffer(0, nullptr, counts, out), 0);
    EXPECT_EQ((std::vector<int32_t>(out, out + 3)), (std::vector<int32_t>{100, 500, 100}));
    EXPECT_EQ(counts[0], -1) << "with count 0 the strip counts are not written";
    ASSERT_EQ(InitBuffer(0, -7, 1, heights, nullptr, nullptr), 0);
    LvHandle b = AllocBuffer(1, 1, 0);
    EXPECT_NE(b, 0u) << "a minimum width of 0 or less makes strips of at least 1";
    FreeBuffer(&b);
}

TEST_F(Buffers, ShutdownCountsTheStripsOfMatchingClasses) {
    const int32_t heights[] = {10, 20};
    const int32_t make[] = {2, 3};
    ASSERT_EQ(InitBuffer(0, 64, 2, heights, make, nullptr), 0);
    LvHandle b = AllocBuffer(100, 10, 0);  // widens class 0 and makes a third strip there
    int32_t counts[2] = {}, widths[2] = {};
    EXPECT_EQ(ShutdownBuffer(2, heights, counts, widths), 0);
    EXPECT_EQ((std::vector<int32_t>{counts[0], counts[1]}), (std::vector<int32_t>{1, 3}))
        << "the two empty strips of class 0 went when it widened";
    EXPECT_EQ((std::vector<int32_t>{widths[0], widths[1]}), (std::vector<int32_t>{100, 64}));
    EXPECT_EQ(lvk::GetBufferStats().classes, 0);
    EXPECT_EQ(lvk::GetBufferStats().recordBlocks, 0);
    int32_t x = -1;
    EXPECT_EQ(GetBufferData(b, nullptr, nullptr, &x, nullptr, nullptr), -1);
}

TEST_F(Buffers, AStripTheRasterCannotMakeIsReportedAndGivesNoBuffer) {
    static std::vector<std::string> messages;
    messages.clear();
    lvk::InitEventRecord();
    lvk::SetEventCallback([](DllEventRec* rec) noexcept -> int32_t {
        if (rec->Code == lv_event::kMessage) {
            std::string text;
            for (const char16_t* p = rec->Text1; *p != 0; ++p) text += static_cast<char>(*p);
            messages.push_back(text);
        }
        return 0;
    });
    Init({10}, 100);
    EXPECT_EQ(AllocBuffer(3'000'000, 10, 0), 0u);
    lvk::SetEventCallback(nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("AddCache: Picture CreateCompatibleBitmap error ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("DX=3000000, DY=10"), std::string::npos) << messages[0];
    EXPECT_EQ(lvk::GetBufferStats().strips, 0);
    LvHandle b = AllocBuffer(50, 10, 0);
    EXPECT_NE(b, 0u) << "the class did not keep the width it could not have";
    FreeBuffer(&b);
}

TEST_F(Buffers, ABufferDrawsIntoItsSliceOfTheStrip) {
    Init({8}, 64);
    LvHandle b = AllocBuffer(16, 4, 0);
    LvHandle pictureDc = 0, maskDc = 0;
    int32_t x = 0, y = 0;
    uint8_t* bits = nullptr;
    GetBufferData(b, &pictureDc, &maskDc, &x, &y, &bits);
    ASSERT_EQ(x, 48);
    ASSERT_EQ(y, 4);
    EXPECT_TRUE(plat::PatBlt(plat::HDC(maskDc), x, y, 16, 4, plat::WHITENESS));
    EXPECT_EQ(IsVisible(0, 64, 8, bits, x, y, 16, 4), 1);
    EXPECT_EQ(IsVisible(0, 64, 8, bits, 0, 0, 48, 8), 0);
    EXPECT_EQ(IsVisible(0, 64, 8, bits, 48, 0, 16, 4), 0) << "the rows above the buffer";
    EXPECT_EQ(bits[6], 0xFF) << "bottom-up: the strip's last row comes first";
    EXPECT_EQ(bits[7], 0xFF);
    EXPECT_EQ(bits[8 * 3 + 6], 0xFF);
    EXPECT_EQ(bits[8 * 4 + 6], 0x00) << "the fifth row in memory lies above the buffer";
    EXPECT_TRUE(plat::SetPixelV(plat::HDC(pictureDc), x, y, plat::RGB(1, 2, 3)));
    EXPECT_EQ(plat::GetPixel(plat::HDC(pictureDc), x, y), plat::RGB(1, 2, 3));
    FreeBuffer(&b);
}

// Every wider buffer widens its class and takes a strip of its own while the narrower
// strips still hold theirs: a description can ask for more strips than the table has.
TEST_F(Buffers, RunningOutOfStripsRefusesTheBufferAndTheTablesGoOn) {
    Init({10}, 1);
    std::vector<LvHandle> held;
    for (int32_t width = 1; width <= lvk::kMaxBufferStrips; ++width) {
        held.push_back(AllocBuffer(width, 10, 0));
        ASSERT_NE(held.back(), 0u) << width;
        ASSERT_EQ(GetBufferError(), 0);
    }
    int32_t strips = 0, buffers = 0;
    EXPECT_EQ(GetBufferCounts(&strips, &buffers), 0);
    EXPECT_EQ(strips, lvk::kMaxBufferStrips);
    EXPECT_EQ(buffers, lvk::kMaxBufferStrips);

    EXPECT_EQ(AllocBuffer(lvk::kMaxBufferStrips + 1, 10, 0), 0u);
    EXPECT_EQ(GetBufferError(), lvk::kErrBufferStrips);
    LvHandle fits = AllocBuffer(1, 10, 0);
    EXPECT_EQ(fits, 0u) << "every strip is full: a narrow buffer needs a new strip too";
    EXPECT_EQ(GetBufferError(), lvk::kErrBufferStrips);
    int32_t x = -1;
    EXPECT_EQ(GetBufferData(held.back(), nullptr, nullptr, &x, nullptr, nullptr), 0) << "what was given stays";

    // A narrower strip goes with its last buffer, and its entry serves the next one.
    FreeBuffer(&held.front());
    LvHandle again = AllocBuffer(lvk::kMaxBufferStrips + 1, 10, 0);
    EXPECT_NE(again, 0u);
    EXPECT_EQ(GetBufferError(), 0);
    GetBufferCounts(&strips, &buffers);
    EXPECT_EQ(strips, lvk::kMaxBufferStrips);
    FreeBuffer(&again);
    for (LvHandle& b : held) FreeBuffer(&b);
    GetBufferCounts(&strips, &buffers);
    EXPECT_EQ(buffers, 0);
    EXPECT_EQ(strips, 1) << "only the strip as wide as the class stays";
}

TEST_F(Buffers, StripsAskedForBeyondTheTableAreRefused) {
    const int32_t height[1] = {10};
    const int32_t tooMany[1] = {lvk::kMaxBufferStrips + 1};
    EXPECT_EQ(InitBuffer(0, 1, 1, height, tooMany, nullptr), lvk::kErrBufferStrips);
    EXPECT_EQ(lvk::GetBufferStats().strips, lvk::kMaxBufferStrips);
    LvHandle b = AllocBuffer(1, 10, 0);
    EXPECT_NE(b, 0u) << "the strips made serve";
    FreeBuffer(&b);
}

TEST_F(Buffers, WhyNoBufferWasGiven) {
    Init({10}, 100);
    EXPECT_EQ(AllocBuffer(10, 11, 0), 0u);
    EXPECT_EQ(GetBufferError(), lvk::kErrBufferSize);
    EXPECT_EQ(AllocBuffer(0, 5, 0), 0u);
    EXPECT_EQ(GetBufferError(), lvk::kErrBufferSize);
    EXPECT_EQ(AllocBuffer(3'000'000, 10, 0), 0u);
    EXPECT_EQ(GetBufferError(), lvk::kErrBufferRaster);
    LvHandle b = AllocBuffer(10, 10, 0);
    EXPECT_EQ(GetBufferError(), 0) << "a buffer given clears the reason";
    FreeBuffer(&b);
}

// Misuse is the caller's to hear about; the process and the buffers it holds live on.
TEST_F(Buffers, ClassesThatAreNotTheBuffersOwnAreRefused) {
    const int32_t eleven[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    EXPECT_EQ(InitBuffer(0, 10, 11, eleven, nullptr, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(lvk::GetBufferStats().classes, 0);

    const int32_t two[2] = {10, 20};
    const int32_t other[2] = {10, 21};
    ASSERT_EQ(InitBuffer(0, 10, 2, two, nullptr, nullptr), 0);
    LvHandle held = AllocBuffer(5, 20, 0);
    int32_t counts[2] = {-1, -1};
    EXPECT_EQ(ShutdownBuffer(1, two, counts, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(ShutdownBuffer(2, other, counts, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(ShutdownBuffer(2, nullptr, counts, nullptr), lvk::kErrBufferClasses);
    EXPECT_EQ(counts[0], -1) << "nothing counted, nothing freed";
    int32_t x = -1;
    EXPECT_EQ(GetBufferData(held, nullptr, nullptr, &x, nullptr, nullptr), 0);
    EXPECT_EQ(ShutdownBuffer(2, two, counts, nullptr), 0);
    EXPECT_EQ(counts[1], 1);
}

}  // namespace
