// Train records: the table with its free list and limit, the active list ordered by band top,
// what removing a train releases, the line area inside its parent, the zones of a band, and
// the start of a scene's lines; then random sequences of adds, inserts, removes and releases
// checked against a recount after every operation.
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "show_fixture.h"
#include "program/core/texts/program_error.h"
#include "program/scene/picture_slot.h"
#include "program/trains/show_queues.h"
#include "program/trains/train_picture.h"

namespace {

using show_test::ShowTest;
using namespace yov;

class TrainRecords : public ShowTest {};

TEST_F(TrainRecords, EqualBandTopsFollowInTheOrderInserted) {
    const int32_t root = Root();
    const int32_t a = Train(root, 100, 20);
    const int32_t first = Train(root, 40, 20);
    const int32_t b = Train(root, 100, 20);
    const int32_t last = Train(root, 300, 20);
    EXPECT_EQ(Active(), (std::vector<int32_t>{first, a, b, last}));
    EXPECT_EQ(runQueue().at(root).ActiveTrains, 4);
}

TEST_F(TrainRecords, PictureParts) {
    struct Case {
        const char* name;
        int16_t flags;
        bool parts;
    };
    const std::vector<Case> cases = {
        {"plain", 0, true},
        {"dependent", train_flag::kDependent, false},
        {"scene record", train_flag::kSceneRecord, false},
        {"sign-widened", static_cast<int16_t>(0x8010), true},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t t = NewTrainRec(c.flags);
        const TrainRec& r = trains().at(t);
        EXPECT_EQ(showState().CurTrain, t) << c.name;
        EXPECT_EQ(r.Index, t) << c.name;
        EXPECT_EQ(r.Flags, int32_t{c.flags}) << c.name;
        EXPECT_EQ(r.BgPart != 0 && r.FgPart != 0, c.parts) << c.name;
        if (c.parts) {
            EXPECT_EQ(picParts()[r.BgPart].Kind, kBgPartKind) << c.name;
            EXPECT_EQ(picParts()[r.FgPart].Kind, kFgPartKind) << c.name;
            EXPECT_EQ(picParts()[r.BgPart].Train, t) << c.name;
        }
        TearDown();
    }
}

TEST_F(TrainRecords, GrowsByThirtyUpTo255) {
    for (int i = 1; i <= 31; ++i) NewTrainRec(train_flag::kDependent);
    EXPECT_EQ(trains().Alloc, 60);
    for (int i = 32; i <= kMaxTrainRecords; ++i) NewTrainRec(train_flag::kDependent);
    EXPECT_EQ(trains().Count, kMaxTrainRecords);
    try {
        NewTrainRec(train_flag::kDependent);
        ADD_FAILURE() << "a 256th record";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), error_number::kOverflow);
    }
    EXPECT_EQ(trains().Count, kMaxTrainRecords);
    RemoveTrain(17);
    EXPECT_EQ(NewTrainRec(train_flag::kDependent), 17) << "a freed record is taken before the limit counts";
}

TEST_F(TrainRecords, RemovingReleasesEverythingOnce) {
    const int32_t root = Root();
    const int32_t sect = Section(2, root, 0, 200);
    const int32_t t = NewTrainRec(0);
    const int32_t e = AddTimedEvent(event_kind::kTrainLine, t, sect, 0, 40);
    InsertActiveTrain(t);
    TrainRec& r = trains().at(t);
    r.TextSurface = 101;
    r.TextBuffer = 201;
    r.FgPieces.resize(3);
    r.FgPieceCount = 2;
    r.FgPieces[1] = {0, 0, {}, 202, 102};
    r.FgPieces[2] = {0, 0, {}, 0, 103};
    r.TgPieces.resize(2);
    r.TgPieceCount = 1;
    r.TgPieces[1] = {0, 0, {}, 203, 104};
    r.GrowPieces.resize(2);
    r.GrowPieceCount = 1;
    r.GrowPieces[1] = {0, 0, {}, 204, 105};
    r.SnowSurface = 106;
    r.SnowBuffer = 205;
    r.MemberCount = 2;
    r.Members[1] = 7;
    r.Members[2] = 8;
    ResetTrainPictures();
    trainPictures().Entries.resize(9);
    trainPictures().Count = trainPictures().Alloc = 8;
    trainPictures()[7].MotionState = kPictureBuilt;
    trainPictures()[8].MotionState = kPictureBuilt;
    QueueObjectStep(t);

    RemoveTrain(t);
    RemoveTrain(t);  // a second removal changes nothing
    EXPECT_EQ(freedSurfaces, (std::vector<int32_t>{101, 102, 103, 104, 105, 106}));
    EXPECT_EQ(freedBuffers, (std::vector<int32_t>{201, 202, 203, 204, 205}));
    EXPECT_EQ(trainPictures()[7].MotionState, kPictureFree);
    EXPECT_EQ(trainPictures()[8].MotionState, kPictureFree);
    EXPECT_EQ(trains().at(t).Members[1], 0);
    EXPECT_EQ(trains().at(t).State, train_state::kFree);
    EXPECT_EQ(trains().FreeHead, t);
    EXPECT_EQ(trains().at(t).NextActive, 0);
    EXPECT_EQ(runQueue().at(e).Kind, event_kind::kFree);
    EXPECT_TRUE(Children(sect).empty());
    EXPECT_EQ(runQueue().at(root).ActiveTrains, 0);
    EXPECT_EQ(showState().Lists.StepHead, 0) << "a freed record is on no list";
    EXPECT_TRUE(Active().empty());
}

TEST_F(TrainRecords, RemovingAnInactiveTrainLeavesTheCountsAlone) {
    const int32_t root = Root();
    Train(root, 0, 20);
    const int32_t idle = NewTrainRec(train_flag::kDependent);
    AddTimedEvent(event_kind::kTrainLine, idle, root, 100, 20);
    RemoveTrain(idle);
    EXPECT_EQ(runQueue().at(root).ActiveTrains, 1);
}

TEST_F(TrainRecords, LineArea) {
    struct Case {
        const char* name;
        std::u16string x, dx, dy;
        int32_t left, width, height;
    };
    // Parent: left 50, width 800, height 300, vehicle height 40.
    const std::vector<Case> cases = {
        {"whole parent", u"", u"", u"", 50, 800, 300},
        {"equal margins", u"10%", u"", u"", 130, 640, 300},
        {"margin on the left only", u"400", u"", u"", 450, 400, 300},
        {"left edge held at 90 per cent", u"790", u"", u"", 770, 80, 300},
        {"width given", u"100", u"300", u"", 150, 300, 300},
        {"too wide from x", u"200", u"800", u"", 210, 640, 300},
        {"centred", u"", u"300", u"", 300, 300, 300},
        {"wider than the parent", u"", u"1000", u"", 50, 800, 300},
        {"full height", u"", u"", u"F", 50, 800, 300},
        {"FULL", u"", u"", u"full", 50, 800, 300},
        {"height given", u"", u"", u"50%", 50, 800, 150},
        {"raised to the vehicles", u"", u"", u"10", 50, 800, 42},
        {"lowered to the parent", u"", u"", u"900", 50, 800, 300},
    };
    LineSection parent;
    parent.Left = 50;
    parent.Width = 800;
    parent.Height = 300;
    parent.Vehicle = 40;
    for (const Case& c : cases) {
        LineSection line;
        line.X = c.x;
        line.DX = c.dx;
        line.DY = c.dy;
        EXPECT_EQ(ComputeLineArea(line, parent), c.height) << c.name;
        EXPECT_EQ(line.Left, c.left) << c.name;
        EXPECT_EQ(line.Width, c.width) << c.name;
        EXPECT_EQ(line.Height, c.height) << c.name;
    }
}

TEST_F(TrainRecords, ZonesOfTheBand) {
    struct Case {
        const char* name;
        int32_t height, above, vehicles, below;
        int32_t aboveBase, belowBase, vehicleHeight;
    };
    const std::vector<Case> cases = {
        {"fits", 100, 20, 30, 20, 50, 20, 30},
        {"excess shared", 60, 20, 30, 20, 45, 15, 30},
        {"excess by size", 50, 10, 30, 30, 35, 15, 30},
        {"half to even", 45, 10, 30, 10, 37, 8, 30},
        {"no outer zones: vehicles cut", 60, 0, 80, 0, 60, 0, 60},
    };
    for (const Case& c : cases) {
        SetUp();
        const int32_t root = Root();
        const int32_t t = NewTrainRec(train_flag::kDependent);
        AddTimedEvent(event_kind::kTrainLine, t, root, 100, c.height);
        LineSection sect;
        sect.Index = 4;
        sect.Left = 10;
        sect.Width = 500;
        sect.Height = c.height;
        sect.Above = 99;
        sect.DirectionText = u"L";
        InitTrainFromSect(t, sect, c.above, c.vehicles, c.below);
        const TrainRec& r = trains().at(t);
        EXPECT_EQ(r.AboveBase, c.aboveBase) << c.name;
        EXPECT_EQ(r.BelowBase, c.belowBase) << c.name;
        EXPECT_EQ(r.VehicleHeight, c.vehicleHeight) << c.name;
        EXPECT_EQ(r.OriginY, 100 + c.aboveBase) << c.name;
        EXPECT_EQ(r.OriginX, 10) << c.name;
        EXPECT_EQ(r.Sect, 4) << c.name;
        EXPECT_EQ(r.Direction, -1) << c.name;
        EXPECT_EQ(Active(), std::vector<int32_t>{t}) << c.name;
        TearDown();
    }
}

TEST_F(TrainRecords, NegativeZonesComeFromTheSection) {
    const int32_t root = Root();
    const int32_t t = NewTrainRec(train_flag::kDependent);
    AddTimedEvent(event_kind::kTrainLine, t, root, 0, 100);
    LineSection sect;
    sect.Height = 100;
    sect.Above = 11;
    sect.Vehicle = 33;
    sect.Below = 7;
    sect.Flags = kSectPaintAtSetUp;
    sect.FgLine = 12;
    InitTrainFromSect(t, sect, -1, -1, -1);
    EXPECT_EQ(trains().at(t).AboveBase, 44);
    EXPECT_EQ(trains().at(t).BelowBase, 7);
    EXPECT_EQ(trains().at(t).FgLine, 12) << "painted with the section's layers";
    EXPECT_NE(trains().at(t).Flags & train_flag::kAreaPainted, 0);
}

TEST_F(TrainRecords, ASceneLineStartsOnce) {
    const int32_t root = Root();
    LineSection scene;
    scene.Event = Section(2, root, 0, 400);
    scene.Width = 800;
    scene.Height = 400;
    LineSection line;
    line.Top = 20;
    line.Height = 60;
    line.Vehicle = 30;
    int32_t used = 0;
    StartSectLine(line, scene, 3, 50, 60, used);
    StartSectLine(line, scene, 3, 50, 60, used);
    StartSectLine(line, scene, 32, 50, 60, used);  // beyond the mask: nothing
    EXPECT_EQ(used, 8);
    EXPECT_EQ(trains().Count, 1);
    const TrainRec& r = trains().at(1);
    EXPECT_EQ(r.State, train_state::kAwaitLine);
    EXPECT_EQ(r.BandTop, 170);
    EXPECT_EQ(Due(), std::vector<int32_t>{r.Event});
    EXPECT_NE(r.Flags & train_flag::kQueued, 0);
    EXPECT_EQ(runQueue().at(scene.Event).ActiveTrains, 1);
}

TEST_F(TrainRecords, ClipToAZone) {
    struct Case {
        const char* name;
        int16_t zone;
        int32_t y, h;
        bool overlaps;
        int32_t start, length;
    };
    // Vehicles 0..30, above 30..50, below -10..0.
    const std::vector<Case> cases = {
        {"inside the vehicles", band_zone::kVehicles, 5, 10, true, 5, 10},
        {"across the top", band_zone::kAbove, 20, 40, true, 30, 20},
        {"below the base", band_zone::kBelow, -20, 15, true, -10, 5},
        {"outside", band_zone::kAbove, 0, 10, false, 30, 0},
    };
    pictureSlots().Slots.resize(2);
    pictureSlots().Count = 1;
    const int32_t root = Root();
    const int32_t t = NewTrainRec(train_flag::kDependent);
    AddTimedEvent(event_kind::kTrainLine, t, root, 0, 60);
    trains().at(t).VehicleHeight = 30;
    trains().at(t).AboveBase = 50;
    trains().at(t).BelowBase = 10;
    for (const Case& c : cases) {
        pictureSlots()[1].PosY = c.y;
        pictureSlots()[1].FrameHeight = c.h;
        EXPECT_EQ(ClipPictureSpan(t, 1, c.zone), c.overlaps) << c.name;
        EXPECT_EQ(clipSpan().ClipStart, c.start) << c.name;
        EXPECT_EQ(clipSpan().ClipLength, c.length) << c.name;
    }
    pictureSlots() = PictureSlotTable{};
}

// Random sequences of operations; after each the band counts equal a recount, child and
// active lists are sorted and stable, and no record or entry is on two lists.
TEST_F(TrainRecords, RandomSequencesKeepTheInvariants) {
    std::mt19937 rng(7);
    for (int run = 0; run < 20; ++run) {
        SetUp();
        const int32_t root = Root(1000);
        std::vector<int32_t> bands{root};      // section entries alive
        std::map<int32_t, int64_t> insertSeq;  // train -> order of insertion
        std::map<int32_t, int64_t> entrySeq;   // entry -> order of adding
        int64_t seq = 0;
        int32_t nextSect = 2;
        for (int step = 0; step < 300; ++step) {
            const int op = static_cast<int>(rng() % 4);
            const int32_t band = bands[rng() % bands.size()];
            if (op == 0 && bands.size() < 40) {
                const int32_t h = 5 + static_cast<int32_t>(rng() % 60);
                const int32_t top = FindBandPosition(band, h, u"");
                if (top >= 0) {
                    const int32_t freeHead = runQueue().FreeHead;
                    const int32_t e = Section(nextSect++, band, top, h, static_cast<int32_t>(rng() % 4));
                    if (freeHead != 0) {
                        EXPECT_EQ(e, freeHead) << "freed entries first";
                    }
                    bands.push_back(e);
                    entrySeq[e] = ++seq;
                }
            } else if (op == 1) {
                const int32_t h = 1 + static_cast<int32_t>(rng() % 20);
                const int32_t top = FindBandPosition(band, h, (rng() % 3 == 0) ? u"*" : u"");
                if (top >= 0 && trains().Count - 0 < kMaxTrainRecords) {
                    const int32_t freeHead = trains().FreeHead;
                    const int32_t t = NewTrainRec(train_flag::kDependent);
                    if (freeHead != 0) {
                        EXPECT_EQ(t, freeHead) << "freed records first";
                    }
                    const int32_t e = AddTimedEvent(event_kind::kTrainLine, t, band, top, h);
                    entrySeq[e] = ++seq;
                    InsertActiveTrain(t);
                    insertSeq[t] = ++seq;
                    if (rng() % 2 == 0)
                        QueueObjectStep(t);
                    else
                        QueueTrainStart(t);
                }
            } else if (op == 2) {
                const std::vector<int32_t> active = Active();
                if (!active.empty()) {
                    const int32_t t = active[rng() % active.size()];
                    RemoveTrain(t);
                    insertSeq.erase(t);
                }
            } else {
                // Sections end when their bands are empty.
                if (band != root && runQueue().at(band).FirstChild == 0) {
                    ReleaseTimedEvent(band);
                    bands.erase(std::find(bands.begin(), bands.end(), band));
                }
            }

            // Band counts against a recount: every active train counts at its entry and above.
            std::map<int32_t, int32_t> recount;
            for (const int32_t t : Active()) {
                for (int32_t e = trains().at(t).Event, hops = 0; e != 0 && hops < 100;
                     e = runQueue().at(e).Parent, ++hops) {
                    ++recount[e];
                }
            }
            for (int32_t e = 1; e <= runQueue().Count; ++e) {
                const TimedEvent& ev = runQueue().at(e);
                if (ev.Kind == event_kind::kFree) continue;
                ASSERT_EQ(ev.ActiveTrains, recount[e]) << "entry " << e << " step " << step;
                const std::vector<int32_t> kids = Children(e);
                for (size_t i = 1; i < kids.size(); ++i) {
                    const TimedEvent& a = runQueue().at(kids[i - 1]);
                    const TimedEvent& b = runQueue().at(kids[i]);
                    ASSERT_TRUE(a.Top < b.Top || (a.Top == b.Top && entrySeq[kids[i - 1]] < entrySeq[kids[i]]));
                }
                for (const int32_t k : kids) ASSERT_NE(runQueue().at(k).Kind, event_kind::kFree);
            }
            // The active list: sorted, stable, only live records, none free.
            const std::vector<int32_t> active = Active();
            std::set<int32_t> activeSet(active.begin(), active.end());
            ASSERT_EQ(activeSet.size(), active.size());
            for (size_t i = 1; i < active.size(); ++i) {
                const TrainRec& a = trains().at(active[i - 1]);
                const TrainRec& b = trains().at(active[i]);
                ASSERT_TRUE(a.BandTop < b.BandTop ||
                            (a.BandTop == b.BandTop && insertSeq[active[i - 1]] < insertSeq[active[i]]));
            }
            std::set<int32_t> freeSet;
            for (int32_t t = trains().FreeHead, hops = 0; t != 0 && hops < 300; t = trains().at(t).NextActive, ++hops) {
                ASSERT_TRUE(freeSet.insert(t).second) << "free list loops";
                ASSERT_EQ(activeSet.count(t), 0u) << "record " << t << " is free and active";
                ASSERT_EQ(trains().at(t).OnList, train_list::kNone);
            }
            // The two shared-link lists hold distinct, live records.
            std::set<int32_t> queued;
            for (int32_t head : {showState().Lists.StepHead, showState().Lists.StartHead}) {
                for (int32_t t = head, hops = 0; t != 0 && hops < 300; t = trains().at(t).NextQueued, ++hops) {
                    ASSERT_TRUE(queued.insert(t).second) << "record " << t << " on two lists";
                    ASSERT_EQ(freeSet.count(t), 0u);
                }
            }
        }
        TearDown();
    }
}

}  // namespace
