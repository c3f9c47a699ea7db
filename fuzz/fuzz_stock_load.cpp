// Stock files of any bytes loaded into the program's tables as the program loads them: the
// engine's readers hand every "$" key line, file, entry and description to the program's
// own procedures (authors, libraries, categories, languages, translated texts, picture
// height, background, description keys, values and texts). Then every translated text is
// looked up and formatted in every language the file declared, and the description of
// each entry is merged with its bases and written out as the stock browser shows it.
//
// The name has no ".STK" ending, so the binary reader is asked first, as for any stock
// named so. The questions of bad key lines are answered "Yes to all" or, when the input's
// last byte is a multiple of 4, "Cancel". Refused lines and stocks are expected; a crash,
// a hang or an exception out of the load is a finding.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "program/core/binding/engine_events.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/startup_tables.h"
#include "program/core/texts/descriptions.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/windows/msgbox.h"
#include "tests/program/answering_msgbox.h"
#include "tests/program/stock_load_pumps.h"
#include "program/core/windows/progress.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "scratch_folder.h"

namespace {

constexpr int32_t kMaxDescribed = 64;  // entries whose descriptions are written, per input

std::string g_file;
int32_t g_answer = yov::msgbox::kYesToAll;
program_test::AnsweringMsgBox* g_boxes = nullptr;

void Setup() {
    g_file = (ScratchFolder("fuzz_stock_load") / "fuzz.stock").string();
    yov::ProgramState& st = yov::programState();
    st.road.ProgramKey = u"Software\\Vantrel\\Yov";
    st.files.ErrorLogPath = u"/dev/null";
    yov::BuildStartupTables();
    yov::progressDisplay().Suppress = 1;
    static const program_test::CountedEventPumps noEvents;  // no window system: nothing to run
    // A question that offers the input's answer gets it, every other box O.K.; no window.
    static program_test::AnsweringMsgBox boxes([](const program_test::MsgBoxRequest& box) {
        return (box.style & g_answer) != 0 ? g_answer : yov::msgbox::kOk;
    });
    g_boxes = &boxes;
    if (yov::InitEngineOnProgramArrays(nullptr, nullptr) != 0) std::abort();
}

// What the program reads back out of a loaded stock: texts and descriptions.
void ReadBack() {
    yov::ProgramState& st = yov::programState();
    SharedState& sh = st.Shared;
    const SharedArrays& a = st.Arrays;
    const uint8_t chosen = sh.CurrentLanguage;
    for (int32_t lang = 0; lang <= sh.LanguageCount && lang < kLanguageSlots; ++lang) {
        sh.CurrentLanguage = static_cast<uint8_t>(lang);
        for (int32_t i = 1; i <= sh.LangTextCount && a.LangTexts.has(i); ++i) {
            const std::u16string key = a.LangTexts[i].Key;
            (void)yov::GetText(key);
            (void)yov::FormatText(key, {u"one", 2, 3.5});
        }
        for (int32_t i = 1; i <= sh.CategoryCount && a.Categories.has(i); ++i)
            (void)yov::PickLangText(a.Categories[i].Names, a.Categories[i].Text);
    }
    sh.CurrentLanguage = chosen;
    const int32_t entries = std::min(sh.StockCount, kMaxDescribed);
    for (int32_t i = 1; i <= entries && a.Stock.has(i); ++i) {
        (void)yov::GetDescriptionText(i, 0xFF, u"\r\n");
        (void)yov::GetDescriptionText(i, 2 | 8 | 32, u"; ");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    FILE* f = std::fopen(g_file.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    g_answer = size > 0 && data[size - 1] % 4 == 0 ? yov::msgbox::kCancel : yov::msgbox::kYesToAll;
    g_boxes->requests.clear();  // only this input's boxes are kept

    yov::stockState() = {};
    yov::programState().scene.StockOk = false;
    yov::programState().Shared.CancelLoad = 0;
    yov::SetStockName(plat::utf8ToUtf16(g_file));
    yov::LoadStock(yov::kLoadFull);
    ReadBack();
    return 0;
}
