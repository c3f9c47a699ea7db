// Stock descriptions of any text, merged with their bases and written out as the stock
// browser shows them, against a small fixture stock: eight entries A..H whose descriptions
// are the input's parts, a macro entry, two languages and keys with coded values, so that
// "%BASED" chains (loops included), "%%" and "%%+" free texts, units, "#" endings and
// "{...}" / "[...]" language fields all meet the readers.
//
// Input: byte 0 picks the language (bits 0-1) and the display mask (the byte itself); the
// rest is split into descriptions at each byte 0x1E, one byte per character. A crash, a
// hang or an exception out of the readers is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "program/core/startup/program_state.h"
#include "program/core/texts/descriptions.h"
#include "program/core/windows/msgbox.h"
#include "tests/program/answering_msgbox.h"
#include "scratch_folder.h"

namespace {

constexpr int32_t kParts = 8;
constexpr int32_t kEntries = kParts + 1;  // the last one a macro without a description

program_test::AnsweringMsgBox* answeredBoxes = nullptr;

void Setup() {
    ScratchFolder("fuzz_descriptions");
    yov::ProgramState& st = yov::programState();
    st.road.ProgramKey = u"Software\\Vantrel\\Yov";
    st.files.ErrorLogPath = u"/dev/null";
    static program_test::AnsweringMsgBox boxes(yov::msgbox::kOk);  // every report answered O.K., no window
    answeredBoxes = &boxes;

    SharedArrays& a = st.Arrays;
    a.Languages.redim(kLanguageSlots - 1);
    a.Languages[0].Code = u"N";
    a.Languages[1].Code = u"E";
    a.Languages[2].Code = u"C";
    st.Shared.LanguageCount = 2;

    const char16_t* keys[] = {u"OTHER",  u"AUTHNICK", u"AUTHFULL", u"NAME", u"FNAME", u"MACRO",
                              u"LENGTH", u"BASED",    u"POWER",    u"KIND", u"SEATS"};
    a.DescKeys.redim(10);
    for (int k = 0; k <= 10; ++k) {
        a.DescKeys[k].Key = keys[k];
        a.DescKeys[k].Flags = static_cast<uint8_t>(k <= 7 ? 0x08 : 0x18 | k % 4);
        a.DescKeys[k].Names[1] = keys[k];
        a.DescKeys[k].Names[2] = u"{N=N;C=C}";
    }
    a.DescKeys[8].Unit = u"kW";
    a.DescKeys[9].FirstValue = 1;
    a.DescKeys[9].LastValue = 2;
    a.DescKeys[10].Unit = u"[N=seats]";
    st.Shared.BuiltinDescKeys = 7;
    st.Shared.DescKeyCount = 10;
    a.DescValues.redim(2);
    a.DescValues[1].Key = u"E";
    a.DescValues[1].Names[0] = u"Electric";
    a.DescValues[1].Names[2] = u"\\";
    a.DescValues[2].Key = u"D";
    a.DescValues[2].S = u"Diesel";
    st.Shared.DescValueCount = 2;

    a.Authors.redim(1);
    a.Authors[1].Name = u"Full {N=name}";
    a.Authors[1].ShortName = u"Nick";
    st.Shared.AuthorCount = 1;
    a.StockFiles.redim(1);
    a.StockFiles[1].Name = u"PICS";
    st.Shared.StockFileCount = 1;
    a.Stock.redim(kEntries);
    for (int32_t i = 1; i <= kEntries; ++i) {
        StockEntry& e = a.Stock[i];
        e.Name = std::u16string(1, static_cast<char16_t>(u'A' + i - 1));
        e.DescNumber = i <= kParts ? i : 0;
        e.Author = static_cast<int16_t>(i % 2);
        e.FileIndex = static_cast<int16_t>(i == kEntries ? 0x7FFF : i % 3 == 0 ? 0x7FFE : 1);
        e.Text2 = u"PIC" + e.Name;
        e.Width = static_cast<int16_t>(10 * i);
        e.Height = 20;
    }
    st.Shared.StockCount = kEntries;
    a.DescTexts.redim(kParts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    answeredBoxes->requests.clear();  // only this input's boxes are kept
    if (size < 1) return 0;
    yov::ProgramState& st = yov::programState();
    std::u16string all;
    int32_t part = 1;
    for (int32_t i = 1; i <= kParts; ++i) st.Arrays.DescTexts[i].clear();
    for (size_t i = 1; i < size; ++i) {
        all += static_cast<char16_t>(data[i]);
        if (data[i] == 0x1E) {
            if (part < kParts) ++part;
            continue;
        }
        st.Arrays.DescTexts[part] += static_cast<char16_t>(data[i]);
    }
    st.Shared.DescTextCount = part;
    st.Shared.CurrentLanguage = static_cast<uint8_t>(data[0] % 3);
    const auto mask = static_cast<uint8_t>(data[0]);

    for (int32_t i = 1; i <= kEntries; ++i) {
        (void)yov::GetDescriptionText(i, mask, u"\r\n");
        for (int32_t k = 0; k <= st.Shared.DescKeyCount; ++k) (void)yov::GetDescItemText(k, mask);
        (void)yov::GetDescItemsText(static_cast<uint8_t>(mask | 32), u"; ");
    }
    (void)yov::ExpandTextFields(all);
    (void)yov::GetKeyedLine(all, u"BASED");
    return 0;
}
