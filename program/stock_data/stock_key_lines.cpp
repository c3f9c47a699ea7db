#include "program/stock_data/stock_key_lines.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/params/param_expr.h"
#include "program/core/startup/main_module.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/error_report.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/progress.h"
#include "program/core/params/param_table.h"
#include "program/stock_data/stock_state.h"
#include "program/stock_data/stock_tables.h"

namespace yov {

namespace {

constexpr int32_t kStockPartSite = 31008;
constexpr int32_t kDescPartSite = 31009;
constexpr int32_t kStockPartQuestion = 0x10000C4;  // Yes to All, O.K., Cancel
constexpr int32_t kDescPartQuestion = 0x1000085;   // Yes, Yes to All, Cancel
constexpr int32_t kQuietReport = 0x1000000;        // after Yes to All: no box, no log line
constexpr int32_t kMaxLanguages = kLanguageSlots - 1;
constexpr int32_t kMinPictureHeight = 30;
constexpr int32_t kMaxPictureHeight = 300;

using Handler = int32_t (*)(const std::u16string& arg, int32_t line);
struct KeyLine {
    const char16_t* keyword;
    Handler handle;
};

[[noreturn]] void raiseDeclaration(const std::u16string& message) {
    throw ProgramError(error_number::kStockDeclaration, message);
}

// Each key line reads its parameters as a set of their own (`WithParams`), so that a load
// from inside script reading leaves the script line's parameters as they were.
std::u16string param(std::u16string_view name) { return paramTable().GetParam(name, u""); }

double number(std::u16string_view text) { return plat::roundHalfEven(plat::val(text)); }

void languageNames(LvString (&names)[kLanguageSlots]) {
    std::vector<std::u16string> v;
    GetLanguageNames(v);
    for (size_t i = 0; i < v.size() && i < static_cast<size_t>(kLanguageSlots); ++i) names[i] = std::move(v[i]);
}

char16_t firstChar(const std::u16string& s) { return s.empty() ? char16_t{0} : s.front(); }

void checkRoom(int32_t count, const char16_t* what) {
    if (count >= kMax16BitIndex) raiseDeclaration(u"Too many " + std::u16string(what));
}

// Messages of the description part go on with the load after an O.K. box.
void descMessage(std::u16string_view key, std::initializer_list<FormatArg> params) {
    ShowStockMessage(FormatText(key, params));
}

const std::u16string& stockName() { return stockState().StockName; }

void registerAuthor(const std::u16string& key, int32_t number) { lv::LSetAuth(plat::utf16ToUtf8(key).c_str(), number); }

// The author's fields in the order of the positional form and of their keyword letters.
constexpr std::array<LvString AuthorEntry::*, 6> kAuthorFields = {&AuthorEntry::Key,      &AuthorEntry::ShortName,
                                                                  &AuthorEntry::Name,     &AuthorEntry::Mail,
                                                                  &AuthorEntry::HomePage, &AuthorEntry::Description};
constexpr std::array<LvString LibInfoEntry::*, 5> kLibFields = {&LibInfoEntry::Key, &LibInfoEntry::Name,
                                                                &LibInfoEntry::Author, &LibInfoEntry::HomePage,
                                                                &LibInfoEntry::Description};

void storeAuthor(AuthorEntry author) {
    checkRoom(programState().Shared.AuthorCount, u"authors");
    const int32_t i = AddAuthor();
    const std::u16string key = author.Key;
    programState().Arrays.Authors[i] = std::move(author);
    registerAuthor(key, i);
}

// --- The stock part.

int32_t onAuth(const std::u16string& arg, int32_t) {
    static constexpr std::array<const char16_t*, 6> kContexts = {u" $AUTH Key",   u" $AUTH Short", u" $AUTH Name",
                                                                 u" $AUTH EMail", u" $AUTH Home",  u" $AUTH Desc"};
    std::u16string list = arg;
    AuthorEntry author;
    for (size_t k = 0; k < kAuthorFields.size(); ++k)
        author.*kAuthorFields[k] = paramParser().NextListItem(list, kContexts[k]);
    storeAuthor(std::move(author));
    return kKeyLineGoOn;
}

int32_t onAuthK(const std::u16string& arg, int32_t) {
    AuthorEntry author;
    paramTable().WithParams(arg, [&] {
        static constexpr std::array<const char16_t*, 6> kNames = {u"K", u"S", u"N", u"E", u"H", u"D"};
        for (size_t k = 0; k < kAuthorFields.size(); ++k) author.*kAuthorFields[k] = param(kNames[k]);
        author.X = param(u"X");
        author.W = firstChar(param(u"W"));
        author.T = firstChar(param(u"T"));
        author.FLength = static_cast<uint8_t>(std::min<size_t>(param(u"F").size(), 255));
    });
    storeAuthor(std::move(author));
    return kKeyLineGoOn;
}

template <StockTable table>
int32_t onCountHint(const std::u16string& arg, int32_t) {
    AllocateForHint(table, plat::val(arg));
    return kKeyLineGoOn;
}

int32_t onCat(const std::u16string& arg, int32_t) {
    CategoryEntry c;
    paramTable().WithParams(arg, [&] {
        c.Level = plat::clampToInt16(number(param(u"L")));
        c.Key = param(u"K");
        c.Text = param(u"T");
        languageNames(c.Names);
    });
    ProgramState& st = programState();
    c.FirstEntry = st.Shared.StockCount + 1;
    c.Number = ++stockState().CategoryNumber;
    st.Arrays.Categories[AddCategory()] = std::move(c);
    return kKeyLineGoOn;
}

int32_t onEndStock(const std::u16string&, int32_t) {
    if (stockState().LoadMode == kLoadFull) progressDisplay().ShowProgress(u"", GetText(u"LDDSC"));
    EnsureStockIndex();
    return kKeyLineStockDone;
}

int32_t onImgY(const std::u16string& arg, int32_t line) {
    const double v = number(arg);
    const int32_t height = static_cast<int32_t>(std::clamp<double>(v, kMinPictureHeight, kMaxPictureHeight));
    // The canvas unit, the buffer classes and the sheet cells all derive from it.
    if (height != v)
        WriteErrorLog(u"$IMGY " + arg + u" in " + stockName() + u" line " + decimal(line) + u" is outside " +
                      decimal(kMinPictureHeight) + u"-" + decimal(kMaxPictureHeight) + u"; " + decimal(height) +
                      u" is used");
    programState().Shared.PictureHeight = height;
    return kKeyLineGoOn;
}

void storeLibInfo(LibInfoEntry info) {
    info.Key = plat::ucase(info.Key);
    programState().Arrays.LibInfos[AddLibInfo()] = std::move(info);
}

int32_t onLib(const std::u16string& arg, int32_t) {
    static constexpr std::array<const char16_t*, 5> kContexts = {u" $LIB Key", u" $LIB Name", u" $LIB Author",
                                                                 u" $LIB Home", u" $LIB Desc"};
    std::u16string list = arg;
    LibInfoEntry info;
    for (size_t k = 0; k < kLibFields.size(); ++k) info.*kLibFields[k] = paramParser().NextListItem(list, kContexts[k]);
    storeLibInfo(std::move(info));
    return kKeyLineGoOn;
}

int32_t onLibK(const std::u16string& arg, int32_t) {
    static constexpr std::array<const char16_t*, 5> kNames = {u"K", u"N", u"A", u"H", u"D"};
    LibInfoEntry info;
    paramTable().WithParams(arg, [&] {
        for (size_t k = 0; k < kLibFields.size(); ++k) info.*kLibFields[k] = param(kNames[k]);
    });
    storeLibInfo(std::move(info));
    return kKeyLineGoOn;
}

int32_t onTxt(const std::u16string& arg, int32_t) {
    LangTextEntry text;
    paramTable().WithParams(arg, [&] {
        text.Key = param(u"K");
        if (stockState().TextKeys.count(text.Key) != 0) raiseDeclaration(FormatText(u"MDEF", {u"$TXT K=" + text.Key}));
        languageNames(text.Texts);
    });
    stockState().TextKeys.insert(text.Key);
    programState().Arrays.LangTexts[AllocLangText()] = std::move(text);
    return kKeyLineGoOn;
}

int32_t onTxtEnd(const std::u16string&, int32_t) {
    programState().scene.StockOk = true;
    return stockState().LoadMode != kLoadFull ? kKeyLineTextsDone : kKeyLineGoOn;
}

int32_t onLang(const std::u16string& arg, int32_t) {
    ProgramState& st = programState();
    if (st.Shared.LanguageCount >= kMaxLanguages) raiseDeclaration(GetText(u"MLANG"));
    LanguageEntry lang;
    paramTable().WithParams(arg, [&] {
        lang.Code = plat::ucase(param(u"K"));
        for (int32_t i = 0; i <= st.Shared.LanguageCount; ++i) {
            if (st.Arrays.Languages[i].Code == lang.Code)
                raiseDeclaration(FormatText(u"MDEF", {u"$LANG K=" + lang.Code}));
        }
        lang.LangTR = param(u"TR");
    });
    lang.LangParams = arg;
    st.Arrays.Languages[++st.Shared.LanguageCount] = std::move(lang);
    return kKeyLineGoOn;
}

int32_t onBackground(const std::u16string& arg, int32_t) {
    int32_t colour = 0;
    paramTable().WithParams(arg, [&] {
        int shift = 0;
        for (const char16_t* name : {u"R", u"G", u"B"}) {
            colour |= static_cast<int32_t>(std::clamp<double>(number(param(name)), 0, 255)) << shift;
            shift += 8;
        }
    });
    stockState().Background = colour;
    return kKeyLineGoOn;
}

constexpr KeyLine kStockPart[] = {
    {u"AUTH", onAuth},
    {u"AUTHK", onAuthK},
    {u"AUTHCNT", onCountHint<StockTable::Authors>},
    {u"CAT", onCat},
    {u"CATCNT", onCountHint<StockTable::Categories>},
    {u"ENDSTOCK", onEndStock},
    {u"IMGY", onImgY},
    {u"LIB", onLib},
    {u"LIBK", onLibK},
    {u"LIBCNT", onCountHint<StockTable::LibInfos>},
    {u"STOCKCNT", onCountHint<StockTable::Entries>},
    {u"TXT", onTxt},
    {u"TXTCNT", onCountHint<StockTable::Texts>},
    {u"TXTEND", onTxtEnd},
    {u"LANG", onLang},
    {u"LANGUAGE", onLang},
    {u"BACKGROUND", onBackground},
    {u"BGCOLOR", onBackground},
};

// --- The description part.

int32_t onDesc(const std::u16string& arg, int32_t line) {
    stockState().DescriptionsPresent = true;
    if (arg.empty()) {
        descMessage(u"NN", {u"DESC", stockName(), line});
        return kKeyLineGoOn;
    }
    const int32_t n = AddDescText();
    for (const std::u16string& name : plat::split(plat::ucase(arg), u",")) {
        // A name that is not in the stock links nothing.
        const int32_t entry = FindStockEntry(plat::trim(name));
        if (entry > 0) programState().Arrays.Stock[entry].DescNumber = n;
    }
    return kKeyLineGoOn;
}

int32_t onDescKey(const std::u16string& arg, int32_t line) {
    stockState().DescriptionsPresent = true;
    DescKeyEntry fields;
    std::u16string s, l;
    paramTable().WithParams(arg, [&] {
        fields.Key = param(u"K");
        languageNames(fields.Names);
        fields.Abbrev = param(u"A");
        fields.Unit = param(u"U");
        s = paramTable().GetParam(u"S", u"");
        l = paramTable().GetParam(u"L", u"Y");
    });
    if (fields.Key.empty()) {
        descMessage(u"NN", {u"DESCKEY", stockName(), line});
        return kKeyLineGoOn;
    }
    ProgramState& st = programState();
    const int32_t builtins = st.Shared.BuiltinDescKeys;
    int32_t index = 0;
    for (int32_t k = 1; k <= st.Shared.DescKeyCount; ++k) {
        if (st.Arrays.DescKeys[k].Key == fields.Key) {
            index = k;
            break;
        }
    }
    if (index > builtins) descMessage(u"MDEF", {u"$DESCKEY " + fields.Key, stockName(), line});
    if (index == 0) index = AddDescKey();
    if (s.empty()) s = index == 1 ? u"Y" : u"N";
    fields.Flags = index <= builtins ? kBuiltinKeyFlags : kStockKeyFlags;
    if (paramParser().ParseBoolean(s) != 0) fields.Flags |= 1;
    if (paramParser().ParseBoolean(l) != 0) fields.Flags |= 2;
    fields.FirstValue = plat::clampToInt16(st.Shared.DescValueCount + 1);
    fields.LastValue = 0;
    st.Arrays.DescKeys[index] = std::move(fields);
    return kKeyLineGoOn;
}

int32_t onDescValue(const std::u16string& arg, int32_t line) {
    ProgramState& st = programState();
    if (st.Shared.DescKeyCount <= 0) {
        descMessage(u"ILDV", {stockName(), line});
        return kKeyLineGoOn;
    }
    DescValueEntry value;
    paramTable().WithParams(arg, [&] {
        value.Key = plat::ucase(param(u"K"));
        value.S = param(u"S");
        languageNames(value.Names);
        value.Abbrev = param(u"A");
    });
    checkRoom(st.Shared.DescValueCount, u"description values");
    const int32_t i = AddDescValue();
    st.Arrays.DescValues[i] = std::move(value);
    st.Arrays.DescKeys[st.Shared.DescKeyCount].LastValue = static_cast<int16_t>(i);
    return kKeyLineGoOn;
}

int32_t onEndDesc(const std::u16string&, int32_t) { return kKeyLineDescDone; }

constexpr KeyLine kDescPart[] = {
    {u"DESC", onDesc},
    {u"DESCCNT", onCountHint<StockTable::DescTexts>},
    {u"DESCKEY", onDescKey},
    {u"DESCKEYCNT", onCountHint<StockTable::DescKeys>},
    {u"DESCVALCNT", onCountHint<StockTable::DescValues>},
    {u"DESCVALUE", onDescValue},
    {u"ENDDESC", onEndDesc},
};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Inside the handler of the key line's error: the question, remembered for the load.
int32_t reportKeyLineError(bool stockPart, int32_t line) {
    StockState& ss = stockState();
    const std::u16string text = FormatText(u"IFL", {ss.StockName, line}) + GetText(u"DWC");
    const bool yesToAll = (ss.ErrorAnswer & msgbox::kYesToAll) != 0;
    const int32_t flags = yesToAll ? kQuietReport : stockPart ? kStockPartQuestion : kDescPartQuestion;
    const int32_t answer =
        ReportError(stockPart ? kStockPartSite : kDescPartSite, text, flags, GetText(stockPart ? u"LDSTK" : u"LDDSC"));
    if (!yesToAll) ss.ErrorAnswer = answer;
    if ((answer & msgbox::kCancel) == 0) return kKeyLineGoOn;
    ss.Aborted = true;
    return kKeyLineAbort;
}

template <size_t N>
int32_t handleKeyLine(const KeyLine (&table)[N], bool stockPart, std::u16string_view line, int32_t lineNumber) {
    size_t from = line.find(u'$');
    from = from == std::u16string_view::npos ? 0 : from + 1;
    size_t end = from;
    while (end < line.size() && !isBlank(line[end])) ++end;
    const std::u16string_view keyword = line.substr(from, end - from);
    for (const KeyLine& k : table) {
        if (!plat::equalsNoCase(keyword, k.keyword)) continue;
        std::u16string arg(line.substr(end));
        while (!arg.empty() && isBlank(arg.front())) arg.erase(0, 1);
        while (!arg.empty() && isBlank(arg.back())) arg.pop_back();
        try {
            return k.handle(arg, lineNumber);
        } catch (...) {
            return reportKeyLineError(stockPart, lineNumber);
        }
    }
    return kKeyLineGoOn;
}

}  // namespace

int32_t OnStockKeyLine(std::u16string_view line, int32_t lineNumber) {
    return handleKeyLine(kStockPart, true, line, lineNumber);
}

int32_t OnDescKeyLine(std::u16string_view line, int32_t lineNumber) {
    return handleKeyLine(kDescPart, false, line, lineNumber);
}

}  // namespace yov
