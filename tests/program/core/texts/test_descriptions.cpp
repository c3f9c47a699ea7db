// Stock descriptions merged with their bases, item values and the browser's text.
#include "program/core/texts/descriptions.h"

#include <gtest/gtest.h>

#include <map>

#include "core_fixture.h"
#include "program/core/params/param_table.h"

namespace {

using core_test::addLanguage;
using core_test::CoreTest;

class Descriptions : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        addLanguage(u"E");
        addLanguage(u"C");
        auto& st = yov::programState();
        st.Shared.CurrentLanguage = 2;

        // Keys: the eight built-in ones, then POWER (L), KIND (S and L, coded), SEATS (S).
        const char16_t* builtin[] = {u"OTHER", u"AUTHNICK", u"AUTHFULL", u"NAME",
                                     u"FNAME", u"MACRO",    u"LENGTH",   u"BASED"};
        st.Arrays.DescKeys.redim(10);
        for (int k = 0; k <= 7; ++k) {
            st.Arrays.DescKeys[k].Key = builtin[k];
            st.Arrays.DescKeys[k].Flags = 8;
        }
        st.Arrays.DescKeys[3].Names[2] = u"N\u00E1zev";
        key(8, u"POWER", 0x18 | 2, u"kW");
        st.Arrays.DescKeys[8].Names[2] = u"V\u00FDkon";
        key(9, u"KIND", 0x18 | 1 | 2, u"");
        st.Arrays.DescKeys[9].FirstValue = 1;
        st.Arrays.DescKeys[9].LastValue = 2;
        key(10, u"SEATS", 0x18 | 1, u"seats");
        st.Shared.BuiltinDescKeys = 7;
        st.Shared.DescKeyCount = 10;

        st.Arrays.DescValues.redim(2);
        st.Arrays.DescValues[1].Key = u"E";
        st.Arrays.DescValues[1].Names[0] = u"Electric";
        st.Arrays.DescValues[1].Names[2] = u"Elektrick\u00E1";
        st.Arrays.DescValues[2].Key = u"D";
        st.Arrays.DescValues[2].S = u"Diesel";
        st.Arrays.DescValues[2].Names[0] = u"Diesel locomotive";
        st.Shared.DescValueCount = 2;

        st.Arrays.DescTexts.redim(3);
        st.Arrays.DescTexts[1] = u"%BASED BASE\r%POWER 3000\r%KIND e\r%%\r+Own {N=text;C=text CZ}\r\n";
        st.Arrays.DescTexts[2] = u"%POWER 1500\r%SEATS 80#\r%%\rBase text\r\n";
        st.Arrays.DescTexts[3] = u"%BASED SELF\r%POWER 1\r";
        st.Shared.DescTextCount = 3;

        st.Arrays.Authors.redim(1);
        st.Arrays.Authors[1].Name = u"Jan Nov\u00E1k";
        st.Arrays.Authors[1].ShortName = u"JN";
        st.Shared.AuthorCount = 1;
        st.Arrays.StockFiles.redim(1);
        st.Arrays.StockFiles[1].Name = u"CZ";
        st.Shared.StockFileCount = 1;

        st.Arrays.Stock.redim(4);
        entry(1, u"E499", 1, 1, 1, u"E499.GIF", 120, 40);
        entry(2, u"BASE", 2, 0, 1, u"BASE.GIF", 0, 0);
        entry(3, u"SELF", 3, 0, 1, u"SELF.GIF", 0, 0);
        entry(4, u"TRAIN1", 0, 0, 0x7FFF, u"E499+BASE", 0, 0);
        st.Shared.StockCount = 4;
    }

    void key(int k, std::u16string name, uint8_t flags, std::u16string unit) {
        auto& d = yov::programState().Arrays.DescKeys[k];
        d.Key = std::move(name);
        d.Flags = flags;
        d.Unit = std::move(unit);
    }
    void entry(int i, std::u16string name, int32_t desc, int16_t author, int16_t file, std::u16string text2, int16_t w,
               int16_t h) {
        auto& e = yov::programState().Arrays.Stock[i];
        e.Name = std::move(name);
        e.DescNumber = desc;
        e.Author = author;
        e.FileIndex = file;
        e.Text2 = std::move(text2);
        e.Width = w;
        e.Height = h;
    }
};

TEST_F(Descriptions, KeyedLines) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string key;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"a line", u"%A 1\r%B two words\r", u"B", u"two words"},
        {"missing", u"%A 1\r", u"B", u""},
        {"last line without CR", u"%A 1\r%B 2", u"B", u""},
        {"a longer key is another", u"%AB 1\r%A 2\r", u"A", u"2"},
        {"empty value", u"%A \r", u"A", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::GetKeyedLine(c.text, c.key), c.expected);
    }
}

TEST_F(Descriptions, AnEntryOverridesItsBase) {
    yov::LoadDescription(1);
    const yov::DescriptionState& d = yov::descriptionState();
    EXPECT_EQ(d.DescItems[8], u"3000");
    EXPECT_EQ(d.DescItemLevel[8], 0);
    EXPECT_EQ(d.DescItemSource[8], 0);
    EXPECT_EQ(d.DescItems[10], u"80#");
    EXPECT_EQ(d.DescItemLevel[10], 1);
    EXPECT_EQ(d.DescItemSource[10], 2);
    EXPECT_EQ(d.DescItems[7], u"BASE");
    EXPECT_EQ(d.DescItems[0], u"Base text\r\nOwn {N=text;C=text CZ}");
    EXPECT_EQ(d.DescLevelDesc[0], 1);
    EXPECT_EQ(d.DescLevelDesc[1], 2);
    EXPECT_EQ(d.DescBasedStock[1], 2);
    EXPECT_EQ(d.DescItemLevel[9], 0);
    EXPECT_EQ(d.DescItemLevel[6], -1);

    yov::LoadDescription(0);
    EXPECT_EQ(yov::descriptionState().DescItems[8], u"");
}

TEST_F(Descriptions, ADescriptionBasedOnItselfStopsAfterTenLevels) {
    yov::LoadDescription(3);
    const yov::DescriptionState& d = yov::descriptionState();
    EXPECT_EQ(d.DescItems[0], u"Too many BASED directives\r\n");
    for (int level = 0; level <= 10; ++level) EXPECT_EQ(d.DescLevelDesc[static_cast<size_t>(level)], 3);
    EXPECT_EQ(d.DescItems[8], u"1");
    EXPECT_EQ(d.DescItemLevel[8], 0);
}

TEST_F(Descriptions, ItemTexts) {
    yov::LoadDescription(1);
    struct Case {
        const char* name;
        int32_t key;
        std::u16string value;  // "" keeps the loaded one
        uint8_t mask;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"value with unit", 8, u"", 0, u"3000 kW"},
        {"hash suppresses the unit", 10, u"", 0, u"80"},
        {"code: language text when no plain text", 9, u"", 0, u"Elektrick\u00E1"},
        {"code: plain text first", 9, u"d", 0, u"Diesel"},
        {"code: language text with mask 2", 9, u"D", 2, u"Diesel locomotive"},
        {"code: language text with mask 8", 9, u"e", 8, u"Elektrick\u00E1"},
        {"unknown code stays", 9, u"x", 0, u"x"},
        {"no value", 6, u"", 0, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.value.empty()) yov::descriptionState().DescItems[static_cast<size_t>(c.key)] = c.value;
        EXPECT_EQ(yov::GetDescItemText(c.key, c.mask), c.expected);
    }
}

TEST_F(Descriptions, TheBrowsersDescriptionText) {
    EXPECT_EQ(yov::GetDescriptionText(1, 42, u"\r\n"),
              u"Picture author: Jan Nov\u00E1k (JN)\r\n"
              u"N\u00E1zev: E499\r\n"
              u"Picture source: CZ/E499.GIF\r\n"
              u"Size: 120 \u00D7 40\r\n"
              u"Description based on: BASE\r\n"
              u"V\u00FDkon: 3000 kW\r\n"
              u"KIND: Elektrick\u00E1\r\n"
              u"SEATS: 80\r\n"
              u"Base text\r\nOwn text CZ\r\n");
    // The hover tip's mask: only keys shown in the large list, no built-in lines.
    EXPECT_EQ(yov::GetDescriptionText(1, 34, u"; "), u"V\u00FDkon: 3000 kW; KIND: Elektrick\u00E1; ");
    EXPECT_EQ(yov::GetDescriptionText(4, 8, u"|"), u"N\u00E1zev: TRAIN1|Macro: E499+BASE|");
    EXPECT_EQ(yov::GetDescriptionText(9, 42, u"|"), u"");
}

TEST_F(Descriptions, FieldsInTheCurrentLanguage) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"language's own value", u"a {N=Car;C=V\u016Fz} b", u"a V\u016Fz b"},
        {"general value", u"[N=Car]", u"Car"},
        {"braces before brackets", u"[N=b] {N=a}", u"b a"},
        {"a value in parentheses keeps its braces", u"{N=(x{y})}", u"x{y}"},
        {"unclosed field stops", u"{N=x [N=y]", u"{N=x [N=y]"},
        {"no field", u"plain", u"plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::ExpandTextFields(c.text), c.expected);
    }
}

// A stock's typing error inside a field must not end the window that shows the text.
TEST_F(Descriptions, AFieldThatIsNoParameterListStaysAsWritten) {
    EXPECT_EQ(yov::ExpandTextFields(u"a [E=en)lish;N=general] {N=ok} [N=b]"), u"a [E=en)lish;N=general] ok b");
}

}  // namespace
