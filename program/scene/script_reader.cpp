#include "program/scene/script_reader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_text.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/core/texts/program_error.h"
#include "program/scene/script_reader_calls.h"
#include "program/stock_data/stock_state.h"

namespace yov {
namespace {

constexpr int32_t kErrMessage = 6002;
constexpr int32_t kErrScript = 6003;
constexpr int32_t kErrRequirement = 6015;
// Lines one read takes from the reader, "$" lines included. Finite files end long before;
// this ends a macro that keeps producing lines.
constexpr int64_t kMaxScriptLines = 4000000;
// Levels of the reader named in an error's position lines.
constexpr int32_t kMaxPositionLevels = 64;
constexpr int32_t kNameCapacity = 1024;

bool IsCommentStart(char16_t c) { return c == u';' || c == u'#' || c == u'/' || c == u'*'; }

}  // namespace

void ScriptReader::Fail(int32_t number, const std::u16string& description) { parser_.Raise(number, description); }

std::u16string ScriptReader::Format(std::u16string_view key, const std::vector<std::u16string>& params) {
    const std::vector<FormatArg> args(params.begin(), params.end());
    return FormatText(key, std::span<const FormatArg>(args));
}

void ScriptReader::FailKey(std::u16string_view key, const std::vector<std::u16string>& params) {
    Fail(kErrScript, Format(key, params));
}

void ScriptReader::RaiseLineError(int32_t member, std::u16string_view message) {
    Fail(kErrMessage, std::u16string(message) + u" " + LinePlace(member));
}

std::u16string ScriptReader::LinePlace(int32_t member) {
    std::u16string file;
    int32_t line = 0;
    if (member >= 1 && member < static_cast<int32_t>(S.Members.size())) {
        const ScriptItem& item = S.Members[static_cast<size_t>(member)];
        if (item.FileIndex >= 1 && item.FileIndex <= S.FileCount)
            file = S.FileNames[static_cast<size_t>(item.FileIndex)];
        line = item.Line;
    }
    return Format(u"IFL", {file, decimal(line)});
}

ScriptPlace ScriptReader::PlaceOf(int32_t member) const {
    if (member < 1 || member >= static_cast<int32_t>(S.Members.size())) return {};
    const ScriptItem& item = S.Members[static_cast<size_t>(member)];
    return PlaceOf(item.FileIndex, item.Line);
}

ScriptPlace ScriptReader::PlaceOf(int32_t file, int32_t line) const {
    if (file < 1 || file > S.FileCount || file >= static_cast<int32_t>(S.FileNames.size())) return {};
    return ScriptPlace{S.FileNames[static_cast<size_t>(file)], line};
}

void ScriptReader::SetTtOption(std::u16string_view name, int32_t value) {
    const EngineText text(name);
    lv::SetTtOption(text.get(), value);
}

void ScriptReader::SetTtOptionPair(std::u16string_view longName, std::u16string_view shortName, int32_t value) {
    SetTtOption(longName, value);
    SetTtOption(shortName, value);
}

int32_t ScriptReader::OpenSourceDepth() {
    int32_t files = 0;
    // Macro levels are bounded by the engine; a few more than its limit covers every file.
    for (int32_t level = 0; level < 4096; ++level) {
        int32_t kind = 0;
        if (lv::GetTtPosition(level, &kind, nullptr, 0, nullptr, nullptr, nullptr) < 0) break;
        if (kind == 1 || kind == 2) ++files;
    }
    return files;
}

void ScriptReader::OpenScriptFile(std::u16string_view name) {
    // Includes are bounded twice: by depth (a file that includes itself) and by the number
    // of opens (a file that includes itself twice doubles at every level).
    if (openDepth_ >= kMaxScriptFiles || OpenSourceDepth() >= kMaxIncludeDepth) {
        Fail(kErrScript, u"Script files included too deeply: " + std::u16string(name));
    }
    ++openDepth_;
    // One entry per file whatever the letter case; messages show the first spelling.
    const std::u16string lowered = plat::lcase(name);
    int32_t index = 0;
    for (int32_t i = 1; i <= S.FileCount; ++i) {
        if (plat::lcase(S.FileNames[static_cast<size_t>(i)]) == lowered) {
            index = i;
            break;
        }
    }
    if (index == 0) {
        index = ++S.FileCount;
        S.FileNames.emplace_back(name);
        S.FileDirs.push_back(plat::utf8ToUtf16(plat::folderOf(plat::utf16ToUtf8(name))));
    }
    // Names are spelled as on Windows: found without regard to case.
    const std::string spelled = plat::utf16ToUtf8(name);
    std::string path = plat::resolvePath(spelled);
    if (path.empty()) path = spelled;
    // A device, pipe or folder would never end or never answer: refused unread.
    if (plat::fileKindOf(path) == plat::FileKind::NotRegular)
        Fail(kErrScript, u"File " + std::u16string(name) + u" is not a regular file");
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) S.TotalLength += static_cast<int64_t>(size);
    const int32_t r = lv::OpenTtFile(path.c_str(), index, nullptr);
    if (r == -1) Fail(kErrScript, u"File " + std::u16string(name) + u" not found");
    if (r < 0) Fail(kErrScript, u"#" + decimal(r));
}

void ScriptReader::ResetForRead() {
    start_ = CurrentScriptStart();
    const ScriptStart& st = start_;
    const double seed = S.RandomSeed;
    S = SceneScript{};
    S.RandomSeed = seed;
    RunSettings& run = S.Run;
    run.SequenceMode = std::min<uint8_t>(st.Random, 3);
    run.SkipErrors = st.SkipErr;
    run.SpeedFactor = st.Speed;
    run.UseDefDir = st.UseDefDir;
    run.LayerBelow = 7 + st.LabelHeight;
    table_.ClearItems();
    table_.DefaultSpeed = 0;
    openDepth_ = 0;
    CurrentFile = 0;
    CurrentLine = 0;
    programState().Shared.OpenSources = 0;
}

std::u16string ScriptReader::PositionText() {
    std::u16string s;
    std::u16string name(kNameCapacity, u'\0');
    for (int32_t level = 0; level < kMaxPositionLevels; ++level) {
        int32_t kind = 0, line = 0, column = 0, param = 0;
        const int32_t n = lv::GetTtPosition(level, &kind, name.data(), kNameCapacity, &line, &column, &param);
        if (n < 0) break;
        const std::u16string shown = name.substr(0, static_cast<size_t>(std::min(n, kNameCapacity)));
        // The engine numbers files 1, texts 2, macro bodies 3, macro arguments 4.
        // Once a line has been read the reader stands at column 0 of the next one, yet what
        // failed is the line just read: name that one, as a user counts lines.
        if ((kind == 1 || kind == 2) && column == 0 && line > 1) --line;
        switch (kind) {
        case 1:
        case 2: s += u"\r\nfile " + shown + u" line " + decimal(line) + u" column " + decimal(column); break;
        case 3: s += u"\r\nmacro " + shown + u" line " + decimal(line) + u" column " + decimal(column); break;
        case 4:
            s += u"\r\nparameter " + decimal(param + 1) + u" of macro " + shown + u" character " + decimal(column);
            break;
        default: break;
        }
    }
    return s;
}

int16_t ScriptReader::ReadScript(std::u16string_view path, uint8_t headerMode, StockLine stockLine) {
    headerMode_ = headerMode != 0;
    stockLine_ = stockLine;
    bool ok = true;
    auto reportFailure = [&](const std::exception_ptr& error, bool withPosition) {
        const PendingError e = pendingErrorOf(error);
        std::u16string message = e.description + u": ";
        if (withPosition && !headerMode_ && e.number != kErrRequirement) message += PositionText();
        ok = false;
        scriptReadServices().report(e.number, message);
    };

    std::u16string buffer(kLineBufferSize, u' ');
    const EngineText lineBuffer(buffer);
    char16_t* const text = const_cast<char16_t*>(lineBuffer.get());

    // Messages raised while a line is read name it (see script_place.h).
    const ScriptPlaceScope place({});
    try {
        ResetForRead();
        table_.PushBlock(u"$D", ItemPosition());
        lv::InitTtRead();
        lv::MacIni();
        const ScriptStart& st = start_;
        SetTtOptionPair(u"SEQUENCE", u"SEQ", S.Run.SequenceMode);
        SetTtOptionPair(u"WINDOWWIDTH", u"WINX", st.WindowWidth);
        SetTtOptionPair(u"WINDOWHEIGHT", u"WINY", st.WindowHeight);
        SetTtOptionPair(u"SCREENWIDTH", u"SCREENX", st.ScreenWidth);
        SetTtOptionPair(u"SCREENHEIGHT", u"SCREENY", st.ScreenHeight);
        SetTtOptionPair(u"WINDOWMODE", u"WIN", st.InWindow ? -1 : 0);
        SetTtOptionPair(u"FULLSCREENMODE", u"FULL", st.FullScreen ? -1 : 0);
        OpenScriptFile(path);

        bool headerEnded = false;
        for (int64_t pass = 1; !headerEnded; ++pass) {
            if (pass > kMaxScriptLines) Fail(kErrScript, u"Script too long: " + std::u16string(path));
            if (st.Music != 0 && pass % 100 == 0) scriptReadServices().pause();
            int32_t file = 0, line = 0;
            const int32_t n = lv::GetTtLine(text, &file, &line);
            if (n == 0) continue;
            if (n == -1) break;
            CurrentFile = file;
            CurrentLine = line;
            scriptPlace() = PlaceOf(file, line);
            if (n < 0) {
                const std::u16string where =
                    file >= 1 && file <= S.FileCount ? S.FileNames[static_cast<size_t>(file)] : std::u16string();
                Fail(kErrScript, GetErrorNumberText(-n, where, line));
            }
            const std::u16string lineText =
                plat::trim(std::u16string_view(text, static_cast<size_t>(std::min(n, kLineBufferSize))));
            if (lineText.empty() || IsCommentStart(lineText.front())) continue;
            if (lineText.front() == u'$') {
                if (InterpretScriptLine(lineText) == 0 && headerMode_) headerEnded = true;
                continue;
            }
            if (headerMode_) break;
            if (table_.ItemCount >= kMaxScriptItems) Fail(kErrScript, u"Script too long: " + std::u16string(path));
            table_.AddScriptItem(lineText, ItemPosition());
            ++S.PlainLines;
        }
        if (!headerMode_ && S.PlainLines == 0) FailKey(u"NOTR");
    } catch (...) {
        reportFailure(std::current_exception(), true);
    }

    lv::FinishTtRead();
    if (headerMode_) {
        lv::MacFree();
        return ok ? -1 : 0;
    }

    // Close what the script left open, innermost first; after a failure the closing only
    // tidies up, and every block is popped whatever it raises.
    for (int32_t guard = table_.BlockCount; table_.BlockCount > 0 && guard >= 0; --guard) {
        try {
            CloseBlock();
        } catch (...) {
            if (ok) reportFailure(std::current_exception(), false);
        }
    }
    // The root header closes the member table.
    ++S.MemberCount;
    S.Members.resize(static_cast<size_t>(S.MemberCount) + 1);
    S.Members[static_cast<size_t>(S.MemberCount)] = table_.ItemCount >= 1 ? table_.Items[1] : ScriptItem{};
    table_.Items.assign(1, ScriptItem{});
    table_.ItemAlloc = 0;
    table_.ItemCount = 0;

    S.Sections.assign(static_cast<size_t>(std::max(S.SectionCount, 0)) + 1, SectRec{});
    S.SectionFill = 0;
    S.LastLines = GetRegString(u"L");
    S.LastLinesPos = 0;
    if (!ok) return 0;

    try {
        lv::SortMac();
        if (!S.Run.DeferredShowOptions.empty()) {
            table_.ParseParams(S.Run.DeferredShowOptions);
            scriptShowCalls().parseShowOptions();
            S.Run.DeferredShowOptions.clear();
        }
        scriptReadServices().loadStock();
        // The stock's default background ("$BACKGROUND" of the stock, black without one).
        if (S.Run.BgColor == -1) S.Run.BgColor = stockState().Background;
        S.Run.VehicleHeight = std::max(S.Run.VehicleHeight, programState().Shared.PictureHeight);
        S.BaseHeight = S.Run.VehicleHeight;
        if (S.Run.CoupleDistance == 0) S.Run.CoupleDistance = S.BaseHeight / 6;
        const int32_t root = S.MemberCount;
        if (root >= 1 && S.Members[static_cast<size_t>(root)].Text.size() > 2) BuildSection(root, 0);
        S.SectionCount = S.SectionFill;
        scriptReadServices().openPictureCache();
    } catch (...) {
        reportFailure(std::current_exception(), false);
    }
    return ok ? -1 : 0;
}

}  // namespace yov
