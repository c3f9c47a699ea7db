// The reading of action texts: scene commands, unclosed brackets, animation addresses and
// part actions with their door and pantograph words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program/show/scene_actions.h"

namespace {

using namespace yov;

TEST(SceneActions, ListKeepsEmptyPieces) {
    const std::vector<std::u16string_view> pieces = SplitActionList(u"OPEN,,[SNOW],");
    EXPECT_EQ(pieces, (std::vector<std::u16string_view>{u"OPEN", u"", u"[SNOW]", u""}));
}

TEST(SceneActions, Commands) {
    struct Case {
        std::u16string_view text;
        ActionKind kind;
        std::u16string_view rest;
        int32_t errorAt;
    };
    const Case cases[] = {
        {u"", ActionKind::Empty, u"", 0},
        {u"[SNOW]", ActionKind::StartSnow, u"", 0},
        {u"[ bs : I=10;S=0 ]", ActionKind::StartSnow, u"I=10;S=0", 0},
        {u"[STOP_SNOW:T=4]", ActionKind::EndSnow, u"T=4", 0},
        {u"grow", ActionKind::GrowSnow, u"", 0},
        {u"[RANDOM_ANIMATION: A=OPEN;P=50]", ActionKind::RandomAnimation, u"A=OPEN;P=50", 0},
        {u"[TGA]", ActionKind::TbgAfterTrains, u"", 0},
        {u"TEMPORARY_BACKGROUND_BEFORE", ActionKind::TbgBeforeTrains, u"", 0},
        {u"OPEN", ActionKind::Animation, u"OPEN", 0},
        {u"CL.open", ActionKind::Animation, u"CL.open", 0},
        {u"LIGHT:CYCLE", ActionKind::Animation, u"LIGHT:CYCLE", 0},
        {u"[OPEN]", ActionKind::Animation, u"OPEN", 0},
        {u"[]", ActionKind::Empty, u"", 0},
        {u"[SNOW", ActionKind::Unclosed, u"[SNOW", 6},
        {u"[", ActionKind::Unclosed, u"[", 2},
        {u"[GROW:TO=20", ActionKind::Unclosed, u"[GROW:TO=20", 12},
    };
    for (const Case& c : cases) {
        const SceneAction a = ParseSceneAction(c.text);
        const std::string name(c.text.begin(), c.text.end());
        EXPECT_EQ(a.Kind, c.kind) << name;
        EXPECT_EQ(a.Text, c.rest) << name;
        EXPECT_EQ(a.ErrorAt, c.errorAt) << name;
    }
}

TEST(SceneActions, Addresses) {
    struct Case {
        std::u16string_view text;
        int16_t dir;
        AnimTargetKind target;
        std::u16string_view member;
        bool fromFront;
        int32_t vehicle;
        std::u16string_view vehicleName;
        int32_t slot;
        std::u16string_view action;
    };
    using K = AnimTargetKind;
    const Case cases[] = {
        {u"OPEN", 0, K::AllMembers, u"", false, 0, u"", 0, u"OPEN"},
        {u"< OPEN", -1, K::AllMembers, u"", false, 0, u"", 0, u"OPEN"},
        {u">CLOSE", 1, K::AllMembers, u"", false, 0, u"", 0, u"CLOSE"},
        {u"CL.OPEN", 0, K::Leftmost, u"", false, 0, u"", 0, u"OPEN"},
        {u"CT.2.OPEN", 0, K::Tail, u"", false, 2, u"", 0, u"OPEN"},
        {u"FG.3.LAMP", 0, K::FgPart, u"", false, 3, u"", 0, u"LAMP"},
        {u"2.OPEN", 0, K::AllMembers, u"", false, 2, u"", 0, u"OPEN"},
        {u"@1.PU", 0, K::AllMembers, u"", true, 1, u"", 0, u"PU"},
        {u"LAST.2.OPEN", 0, K::AllMembers, u"", false, -1, u"", 2, u"OPEN"},
        {u"EXPRESS.L.OPEN", 0, K::Member, u"EXPRESS", false, -1, u"", 0, u"OPEN"},
        {u"COACH A.OPEN", 0, K::AllMembers, u"", false, 0, u"COACH A", 0, u"OPEN"},
        {u"EXPRESS.COACH.1.OPEN", 0, K::Member, u"EXPRESS", false, 0, u"COACH", 1, u"OPEN"},
    };
    const auto isMember = [](std::u16string_view name) { return name == u"EXPRESS"; };
    for (const Case& c : cases) {
        const AnimAddress a = ParseAnimAddress(c.text, isMember);
        const std::string name(c.text.begin(), c.text.end());
        EXPECT_EQ(a.Dir, c.dir) << name;
        EXPECT_EQ(a.Target, c.target) << name;
        EXPECT_EQ(a.MemberName, c.member) << name;
        EXPECT_EQ(a.FromFront, c.fromFront) << name;
        EXPECT_EQ(a.Vehicle, c.vehicle) << name;
        EXPECT_EQ(a.VehicleName, c.vehicleName) << name;
        EXPECT_EQ(a.Slot, c.slot) << name;
        EXPECT_EQ(a.Action, c.action) << name;
    }
}

TEST(SceneActions, PartActions) {
    struct Case {
        std::u16string_view text;
        bool member;
        int16_t dir;
        bool valid;
        std::u16string_view primary;
        std::u16string_view secondary;
        uint8_t mode;
        int32_t slot;
        int32_t vehicle;
        bool inner;
    };
    const Case cases[] = {
        {u"OPEN", true, 1, true, u"|OPEN:", u"|DOOR:", 2, 0, 0, false},
        {u"CLOSE", false, 1, true, u"|CLOSE:", u"|DOOR:", 3, 0, 0, false},
        {u"open", true, 1, true, u"|open:", u"", 0, 0, 0, false},
        {u"LIGHT:CYCLE", true, 1, true, u"|LIGHT:", u"", 4, 0, 0, false},
        {u"LIGHT:b", true, 1, true, u"|LIGHT:", u"", 3, 0, 0, false},
        {u"LIGHT:EXIT", true, 1, true, u"|LIGHT:", u"", 5, 0, 0, false},
        {u"LIGHT:SIDEWAYS", true, 1, false, u"|LIGHT:", u"", 0, 0, 0, false},
        {u"PU", true, 1, true, u"|PU:", u"|PAN:", 2, 0, 0, false},
        {u"PU", false, 1, true, u"|PU:", u"", 0, 0, 0, false},
        {u"PN", true, 1, true, u"|PN:", u"|PAN:", 3, 0, 0, false},
        {u"PLU", true, 1, true, u"|PLU:", u"|PAN:", 2, 1, 0, false},
        {u"P2D", true, 1, true, u"|P2D:", u"|PAN:", 3, 2, 0, false},
        {u"PFU", true, 1, true, u"|PFU:", u"|PAN:", 2, 2, 0, false},
        {u"PFU", true, -1, true, u"|PFU:", u"|PAN:", 2, 1, 0, false},
        {u"PBU", true, 1, true, u"|PBU:", u"|PAN:", 2, 1, 0, false},
        {u"PFIU", true, 1, true, u"|PFIU:", u"|PAN:", 2, 4, 0, true},
        {u"PBIU", true, 1, true, u"|PBIU:", u"|PAN:", 2, 3, 0, true},
        {u"PHU", true, 1, true, u"|PHU:", u"|PAN:", 2, 2, 3, false},
        {u"PHU", true, -1, true, u"|PHU:", u"|PAN:", 2, 1, 1, false},
        {u"PTD", true, 1, true, u"|PTD:", u"|PAN:", 3, 1, 1, false},
        {u"PXU", true, 1, true, u"|PXU:", u"", 0, 0, 0, false},
        {u"PANTO", true, 1, true, u"|PANTO:", u"", 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        const PartAction a = ParsePartAction(c.text, c.member, c.dir, 0, 0, 3);
        const std::string name(c.text.begin(), c.text.end());
        EXPECT_EQ(a.Valid, c.valid) << name;
        if (!c.valid) continue;
        EXPECT_EQ(a.Primary, c.primary) << name;
        EXPECT_EQ(a.Secondary, c.secondary) << name;
        EXPECT_EQ(a.Mode, c.mode) << name;
        EXPECT_EQ(a.Slot, c.slot) << name;
        EXPECT_EQ(a.Vehicle, c.vehicle) << name;
        EXPECT_EQ(a.InnerPan, c.inner) << name;
    }
}

TEST(SceneActions, SlotTagModes) {
    struct Case {
        std::u16string_view name;
        uint8_t mode;
        int16_t programStart;
    };
    const Case cases[] = {{u"|LAMP:", 1, 0},  {u"|LAMP: ", 1, 0}, {u"|LAMP:F", 2, 0},    {u"|LAMP:B", 3, 0},
                          {u"|LAMP:C", 4, 0}, {u"|LAMP:E", 5, 0}, {u"|LAMP:P12", 6, 12}, {u"|LAMP:Z", 1, 0}};
    for (const Case& c : cases) {
        int16_t start = 0;
        EXPECT_EQ(SlotTagMode(c.name, 6, start), c.mode) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(start, c.programStart);
    }
}

}  // namespace
