// The show records' accessors are inline loads of pointers that FreshShowRecords re-points:
// every accessor, the ones declared below the show included, must follow the records in use,
// or a test (and the program) would read one object's train table and another's sections.
#include <gtest/gtest.h>

#include "program/show/anim_wheel.h"
#include "program/show/show_records.h"
#include "program/show_data/display_state.h"
#include "program/show_data/show_state.h"
#include "program/trains/section_table.h"
#include "program/trains/timed_events.h"
#include "program/trains/train_records.h"

namespace {

using yov::ShowRecords;

// Whether every accessor reaches the members of records.
void ExpectAccessorsReach(const ShowRecords& records) {
    EXPECT_EQ(&yov::showState(), &records.Show);
    EXPECT_EQ(&yov::displayState(), &records.Show.Display);
    EXPECT_EQ(&yov::runQueue(), &records.Queue);
    EXPECT_EQ(&yov::trains(), &records.Trains);
    EXPECT_EQ(&yov::animWheel(), &records.Wheel);
    EXPECT_EQ(&yov::sectTable(), &records.Sections);
}

TEST(ShowRecordsInUse, AFreshObjectIsReachedThroughEveryAccessorAndTheOldOneComesBack) {
    ShowRecords& before = yov::showRecords();
    ExpectAccessorsReach(before);
    const int32_t keptItem = before.Sections.CurItem;
    before.Sections.CurItem = 7;
    {
        yov::FreshShowRecords fresh;
        ShowRecords& inUse = yov::showRecords();
        ASSERT_NE(&inUse, &before);
        ExpectAccessorsReach(inUse);
        EXPECT_EQ(yov::sectTable().CurItem, 0);
        {
            yov::FreshShowRecords nested;
            ExpectAccessorsReach(yov::showRecords());
        }
        EXPECT_EQ(&yov::showRecords(), &inUse);
        ExpectAccessorsReach(inUse);
    }
    EXPECT_EQ(&yov::showRecords(), &before);
    ExpectAccessorsReach(before);
    EXPECT_EQ(yov::sectTable().CurItem, 7);
    before.Sections.CurItem = keptItem;
}

}  // namespace
