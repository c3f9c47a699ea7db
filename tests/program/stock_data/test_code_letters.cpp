// Code letters of stock entries: the height a letter stands for, its short form and its
// caption from the way menu.
#include <gtest/gtest.h>

#include <string>

#include "program/core/startup/program_state.h"
#include "program/stock_data/code_letters.h"
#include "program/stock_data/stock_state.h"
#include "stock_loading_fixture.h"

namespace stock_load_test {
namespace {

using CodeLetters = StockLoadTest;

// The letter at a 1-based position of the type-code letter string.
char16_t At(int p) { return yov::programState().tables.TypeCodeLetters[static_cast<size_t>(p - 1)]; }

TEST_F(CodeLetters, ValueShortFormAndCaption) {
    Shared().PictureHeight = 58;
    struct Case {
        int position;
        int32_t value;
        const char* shortForm;  // "" for the letter itself
        const char* caption;
    };
    const Case cases[] = {
        {1, 0, "", "Unspecified"},      {2, 0, "", "Railway"},         {3, 58, "", "Electric"},
        {6, 58, "", "Tramway"},         {7, 31, "", "Favourite"},      {12, 0, "", "Background"},
        {13, 57, "E57", "Electric 57"}, {14, 57, "T57", "Tramway 57"}, {15, 56, "E56", "Electric 56"},
        {146, -9, "T-9", "Tramway -9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        char16_t letter = At(c.position);
        EXPECT_EQ(yov::CodeLetterValue(letter), c.value);
        EXPECT_EQ(yov::stockState().CodeLetterPosition, c.position);
        const std::string expected = *c.shortForm ? c.shortForm : utf8(std::u16string(1, letter));
        EXPECT_EQ(utf8(yov::FormatCodeLetter(letter)), expected);
        EXPECT_EQ(letter, At(c.position));
        EXPECT_EQ(utf8(yov::GetCodeLetterCaption(letter)), c.caption);
    }
}

TEST_F(CodeLetters, ALetterOutsideTheTableIsNoLetter) {
    char16_t letter = u'!';
    EXPECT_EQ(yov::CodeLetterValue(letter), 0);
    EXPECT_EQ(yov::stockState().CodeLetterPosition, 0);
    EXPECT_EQ(utf8(yov::FormatCodeLetter(letter)), " ");
    EXPECT_EQ(letter, u' ');
}

}  // namespace
}  // namespace stock_load_test
