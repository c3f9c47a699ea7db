// The log line of an action the show cannot read: an unclosed "[" names the column where "]"
// was missing and the script line the action came from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/scene/script_reader.h"
#include "program/show/part_anims.h"
#include "program/trains/train_records.h"

namespace {

using namespace yov;

class ActionErrors : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        core_test::defaultTexts()[u"MISW"] = u"Missing ] in %1";
        core_test::defaultTexts()[u"IFL"] = u"in %1 line %2";
        saved = scriptReader().S;
        SceneScript& s = scriptReader().S;
        s.FileNames = {u"", u"scene.ttt"};
        s.FileCount = 1;
        s.Members.resize(4);
        s.Members[3].FileIndex = 1;
        s.Members[3].Line = 17;
        s.MemberCount = 3;
    }
    void TearDown() override {
        scriptReader().S = saved;
        CoreTest::TearDown();
    }
    SceneScript saved;
};

TEST_F(ActionErrors, AnUnclosedActionNamesItsColumnAndScriptLine) {
    struct Case {
        int32_t line;
        const char* logged;
    };
    const Case cases[] = {
        {3, "Missing ] in [BS:I=10 (column 9) in scene.ttt line 17"},
        {0, "Missing ] in [BS:I=10 (column 9)"},  // a record of no script line
    };
    for (const Case& c : cases) {
        TrainRec train;
        train.Line = c.line;
        const size_t before = logLines().size();
        DoActionList(train, u"[BS:I=10");
        const std::vector<std::string> lines = logLines();
        ASSERT_GT(lines.size(), before);
        EXPECT_TRUE(lines.back().ends_with(c.logged)) << lines.back();
        EXPECT_EQ(train.Flags & train_flag::kFallingSnow, 0) << "nothing else happens";
    }
}

}  // namespace
