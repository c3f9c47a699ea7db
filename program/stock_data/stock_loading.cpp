#include "program/stock_data/stock_loading.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/settings/split_file_path.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/progress.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_key_lines.h"
#include "program/stock_data/stock_state.h"
#include "program/stock_data/stock_tables.h"

namespace yov {

namespace {

constexpr int32_t kBinaryLoaded = 0;
constexpr int32_t kBinaryMissing = 1;
constexpr int32_t kBinaryAsText = 2;
constexpr int32_t kBinaryUnusable = 4;
constexpr int32_t kEngineNoFile = -11801;
constexpr int32_t kEngineNotBinary = -11804;
constexpr int32_t kLoadStopped = -1;
constexpr int32_t kEntryPumpMask = 511;
constexpr int32_t kDescPumpMask = 255;

// Keeps the first limit a load ran into; the load is refused with it afterwards.
void noteFault(std::u16string text) {
    StockState& ss = stockState();
    if (ss.Fault.empty()) ss.Fault = std::move(text);
}

// Lets the window events run and tells whether the load was cancelled meanwhile.
bool pumpAndCheckCancel() {
    Installed<StockLoadEvents>()->pumpEvents();
    return programState().Shared.CancelLoad != 0;
}

bool endsWith(std::u16string_view s, std::u16string_view end) {
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// The engine's procedures: nothing may travel back into the engine.
template <class F>
int32_t guarded(int32_t onError, F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        try {
            noteFault(currentPendingError().description);
        } catch (...) {
            stockState().Aborted = true;
        }
        return onError;
    }
}

int32_t stockKeyLineProc(const char16_t* line, int32_t n) noexcept {
    return guarded(kKeyLineAbort, [&] { return OnStockKeyLine(LvTextString(line), n); });
}
int32_t stockFileProc(const StockFileEntry* file) noexcept {
    return guarded(0, [&] { return file == nullptr ? 0 : OnStockFile(*file); });
}
int32_t stockEntryProc(int32_t index, const StockEntry* entry) noexcept {
    return guarded(1, [&] { return entry == nullptr ? 1 : OnStockEntry(index, *entry); });
}
int32_t descKeyLineProc(const char16_t* line, int32_t n) noexcept {
    return guarded(kKeyLineAbort, [&] { return OnDescKeyLine(LvTextString(line), n); });
}
int32_t stockLinkProc(int32_t index, int32_t descNumber) noexcept {
    return guarded(0, [&] {
        OnStockLink(index, descNumber);
        return 0;
    });
}
int32_t descTextProc(int32_t number, const char16_t* text) noexcept {
    return guarded(1, [&] { return OnDescText(number, LvTextString(text)); });
}

// A stock that cannot be used: said in a box, the tables emptied, the show asked to stop.
void refuseStock(const std::u16string& message) {
    ShowStockMessage(message);
    programState().scene.StockOk = false;
    programState().run.StopRequest = 1;
    InitStockSections();
}

// The languages' own names, from the parameters of their "$LANG" lines named by the codes.
void readLanguageNames() {
    ProgramState& st = programState();
    for (int32_t i = 1; i <= st.Shared.LanguageCount && i < st.Arrays.Languages.length(); ++i) {
        std::vector<std::u16string> names;
        try {
            paramTable().WithParams(st.Arrays.Languages[i].LangParams, [&] { GetLanguageNames(names); });
        } catch (...) {
            continue;  // the line was read once already; a set that no longer parses names nothing
        }
        LanguageEntry& lang = st.Arrays.Languages[i];
        for (size_t k = 0; k < names.size() && k < static_cast<size_t>(kLanguageSlots); ++k) lang.Names[k] = names[k];
    }
}

void beginLoadState(int32_t mode) {
    StockState& ss = stockState();
    ss.LoadMode = mode;
    ss.ErrorAnswer = 0;
    ss.DescriptionsPresent = false;
    ss.Aborted = false;
    ss.Fault.clear();
    ss.TextKeys.clear();
}

template <class T>
void emptyTable(SharedArray<T>& table, int32_t& count, int32_t& alloc) {
    table.redim(-1);
    count = alloc = 0;
}

// Marks the load that runs for as long as it runs.
struct LoadingMark {
    LoadingMark() { stockState().Loading = true; }
    ~LoadingMark() { stockState().Loading = false; }
    LoadingMark(const LoadingMark&) = delete;
    LoadingMark& operator=(const LoadingMark&) = delete;
};

struct ProgressWindow {
    explicit ProgressWindow(bool open) : open_(open) {
        if (open_) progressDisplay().BeginProgress(GetText(u"LDSTK"));
    }
    ~ProgressWindow() {
        try {
            if (open_) progressDisplay().EndProgress();
        } catch (...) {
            // A window that cannot be closed must not end the program from a destructor.
        }
    }
    bool open_;
};

}  // namespace

void SetStockName(const std::u16string& path) {
    StockState& ss = stockState();
    ProgramState& st = programState();
    // Kept as written; the settings key matches an upper-cased one, as key names do.
    ss.StockName = path;
    SplitFilePath(ss.StockName);
    st.scene.StockDir = st.split.SplitDir;
    st.scene.CacheFile = JoinFilePath(st.split.SplitDir, st.split.SplitName + u".tca");
    std::u16string key = ss.StockName;
    std::replace(key.begin(), key.end(), u'\\', u'|');
    ss.StockKey = u"\\Stock\\" + key + u"\\";
}

int32_t LoadStockBinary(int32_t mode) {
    ProgramState& st = programState();
    SharedState& sh = st.Shared;
    SharedArrays& a = st.Arrays;
    // The reader leaves a text of length 0 as it finds it: every table starts empty.
    emptyTable(a.LangTexts, sh.LangTextCount, sh.LangTextAlloc);
    emptyTable(a.Authors, sh.AuthorCount, sh.AuthorAlloc);
    emptyTable(a.LibInfos, sh.LibInfoCount, sh.LibInfoAlloc);
    emptyTable(a.Categories, sh.CategoryCount, sh.CategoryAlloc);
    emptyTable(a.StockFiles, sh.StockFileCount, sh.StockFileAlloc);
    emptyTable(a.DescValues, sh.DescValueCount, sh.DescValueAlloc);
    emptyTable(a.DescTexts, sh.DescTextCount, sh.DescTextAlloc);
    a.DescKeys.redim(sh.BuiltinDescKeys);
    sh.DescKeyAlloc = sh.BuiltinDescKeys;
    InvalidateLangTexts();

    StockState& ss = stockState();
    int32_t colour = 0;
    const std::string file = openPath(ss.StockName);
    const int32_t r = lv::LoadStockBin(file.c_str(), static_cast<int16_t>(mode), &colour);
    InvalidateLangTexts();
    if (r == kEngineNotBinary) return kBinaryAsText;
    if (r == kEngineNoFile) return kBinaryMissing;
    if (r != 0) return kBinaryUnusable;
    ss.Background = colour;
    programState().scene.StockOk = true;
    SelectLanguage();
    for (int32_t i = 1; i <= sh.StockFileCount && a.StockFiles.has(i); ++i)
        a.StockFiles[i].Name = StockFileName(a.StockFiles[i].Kind, a.StockFiles[i].Path);
    for (int32_t i = 1; i <= sh.CategoryCount && a.Categories.has(i); ++i) a.Categories[i].Number = ++ss.CategoryNumber;
    return kBinaryLoaded;
}

void LoadStock(int32_t mode) {
    ProgramState& st = programState();
    StockState& ss = stockState();
    // Asked again from the events the load lets run: the tables are the running load's.
    if (ss.Loading) return;
    if (st.Shared.StockCount != 0) {
        if (plat::equalsNoCase(ss.LoadedName, ss.StockName)) return;
        // Renamed since the tables were read: the old entries' cache references and library
        // handles belong to the old stock.
        CloseLibraries();
    }
    const LoadingMark loading;
    beginLoadState(mode);
    const ProgressWindow progress(mode == kLoadFull);
    programState().scene.StockOk = false;
    InitStockSections();
    // A device, pipe or folder named as the stock would never end or never answer.
    if (plat::fileKindOf(openPath(ss.StockName)) == plat::FileKind::NotRegular) {
        refuseStock(u"Stock file " + ss.StockName + u" is not a regular file");
        return;
    }

    if (!endsWith(plat::ucase(ss.StockName), u".STK")) {
        switch (LoadStockBinary(mode)) {
        case kBinaryLoaded:
            ss.BinaryStock = true;
            ss.LoadedName = ss.StockName;
            if (mode == kLoadFull) ResetDescTables();
            return;
        case kBinaryMissing: return;
        case kBinaryAsText: break;
        default: refuseStock(FormatText(u"BADS", {ss.StockName})); return;
        }
    }

    ss.BinaryStock = false;
    ss.ErrorAnswer = 0;
    int32_t lineCount = 0;
    const std::string file = openPath(ss.StockName);
    const int32_t r = lv::LoadStockAscii(file.c_str(), stockKeyLineProc, stockFileProc, stockEntryProc, descKeyLineProc,
                                         stockLinkProc, descTextProc, &lineCount);
    if (!ss.Fault.empty()) {
        refuseStock(FormatText(u"BADS", {ss.StockName}) + u"\r\n" + ss.Fault);
        return;
    }
    if (r == kLoadStopped || ss.Aborted) {
        // Cancelled, or an error answered with Cancel: a half-read stock is no stock.
        ResetStockTables();
        programState().scene.StockOk = false;
        ss.LoadMode = kLoadCancelled;
        st.run.StopRequest = 1;
        return;
    }
    if (r < 0) {
        refuseStock(FormatText(u"FORMER", {ss.StockName, r, lineCount}));
        return;
    }
    ShrinkStockTables();
    programState().scene.StockOk = true;
    ss.LoadedName = ss.StockName;
    readLanguageNames();
    SelectLanguage();
    if (mode != kLoadFull) return;
    CheckStockFiles();
    ResetDescTables();
}

int32_t OnStockFile(const StockFileEntry& file) {
    if (programState().Shared.StockFileCount >= kMax16BitIndex) {
        noteFault(u"Too many picture files");
        return 0;
    }
    const int32_t i = AddStockFile();
    StockFileEntry& f = programState().Arrays.StockFiles[i];
    f.Kind = file.Kind;
    f.Path = file.Path;
    f.Name = StockFileName(file.Kind, file.Path);
    return i;
}

int32_t OnStockEntry(int32_t index, const StockEntry& entry) {
    if (!EnsureStockEntry(index)) {
        noteFault(u"Stock entry " + decimal(index) + u" cannot be kept");
        return 1;
    }
    StockEntry& e = programState().Arrays.Stock[index];
    e = entry;
    // Only the reader's fields come from the file; the rest starts afresh.
    e.PictureRef = 0;
    e.PicField16 = e.Width = e.PicField20 = e.Height = 0;
    e.DescNumber = 0;
    e.SelectMask = 0;
    e.SaveLink = 0;
    if ((index & kEntryPumpMask) == 0 && pumpAndCheckCancel()) return 1;
    return 0;
}

void OnStockLink(int32_t index, int32_t descNumber) {
    ProgramState& st = programState();
    if (index >= 1 && index <= st.Shared.StockCount && st.Arrays.Stock.has(index))
        st.Arrays.Stock[index].DescNumber = descNumber;
}

int32_t OnDescText(int32_t number, const std::u16string& text) {
    if (!EnsureDescText(number)) {
        noteFault(u"Description " + decimal(number) + u" cannot be kept");
        return 1;
    }
    programState().Arrays.DescTexts[number] = text;
    if ((number & kDescPumpMask) == 0 && pumpAndCheckCancel()) return 1;
    return 0;
}

}  // namespace yov
