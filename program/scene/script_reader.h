// The scene-script reader: one script file through the engine's timetable reader into the
// scene model (scene_records.h). "$" lines are keywords (script_keywords.cpp), every other
// line a script item; blocks close into PoolMemberTable (script_blocks.cpp) and become
// section records, pools and options.
//
// The reader calls the engine's timetable reader and macro table through `lv::`, the
// program's texts, settings and stock directly, and what it asks of the show above it through
// ScriptShowCalls (script_reader_calls.h). The program's reader is scriptReader()
// (script_binding.cpp).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "program/core/params/param_expr.h"
#include "program/core/texts/script_place.h"
#include "program/core/params/param_table.h"
#include "program/scene/scene_records.h"

namespace yov {

// What a read starts from: the show's settings and geometry.
struct ScriptStart {
    uint8_t Random = 2;  // the show mode's "Random", 0..3
    uint8_t SkipErr = 1;
    float Speed = 0.025f;
    uint8_t UseDefDir = 1;
    uint8_t Music = 0;
    int32_t WindowWidth = 0, WindowHeight = 0;
    int32_t ScreenWidth = 0, ScreenHeight = 0;
    bool InWindow = true;
    bool FullScreen = false;
    bool ScreenSaverFullScreen = false;  // SPLASH acts only here
    int32_t LabelHeight = 0;             // the show's label text height, 0 before the first show
};

// What a read starts from now: the show mode's settings, the screen's size (until the show
// window exists its size is taken as the screen's), and the show's label height.
ScriptStart CurrentScriptStart();

// What a read does with a "$STOCK" line: name the stock, or pass over it.
enum class StockLine : uint8_t { Named, PassedOver };

// Limits on what a script can make the reader do.
inline constexpr int32_t kMaxIncludeDepth = 32;      // script files open inside each other
inline constexpr int32_t kMaxScriptFiles = 1000;     // script files opened in one read
inline constexpr int32_t kMaxScriptItems = 1000000;  // items of one read
inline constexpr int32_t kMaxOptionLevel = 3;
inline constexpr int32_t kLineBufferSize = 10000;

class ScriptReader {
public:
    ScriptReader(ParamParser& parser, ParamTable& table) : parser_(parser), table_(table) {}

    SceneScript S;

    // -1 when the script was read to its end (in header mode up to its first line that is
    // not a header keyword), 0 when an error was reported.
    int16_t ReadScript(std::u16string_view path, uint8_t headerMode, StockLine stockLine = StockLine::Named);
    void OpenScriptFile(std::u16string_view name);
    void SetTtOptionPair(std::u16string_view longName, std::u16string_view shortName, int32_t value);
    // 1 for a header keyword, else 0.
    int32_t InterpretScriptLine(std::u16string_view line);

    void CloseBlock();
    void BuildSection(int32_t member, int32_t parent);
    uint8_t ParseSequenceMode(std::u16string_view text, uint8_t defaultMode, int32_t item);
    void AddOptionEntry(uint8_t kind);
    // A script error naming the member's file and line.
    [[noreturn]] void RaiseLineError(int32_t member, std::u16string_view message);
    // "in FILE line N" of a member ("IFL"); for a member outside the script, with no file and
    // line 0.
    std::u16string LinePlace(int32_t member);
    // The file and line of a member, or of a file index and line, for ScriptPlaceScope; no
    // place for a member or file outside the script.
    ScriptPlace PlaceOf(int32_t member) const;
    ScriptPlace PlaceOf(int32_t file, int32_t line) const;

    // The reader's current file index and line, as the last line reported them.
    int32_t CurrentFile = 0;
    int32_t CurrentLine = 0;

private:
    // The position the items read now take.
    ScriptPosition ItemPosition() const {
        return {static_cast<int16_t>(std::clamp(CurrentFile, 0, 32767)), CurrentLine};
    }
    [[noreturn]] void Fail(int32_t number, const std::u16string& description);
    [[noreturn]] void FailKey(std::u16string_view key, const std::vector<std::u16string>& params = {});
    std::u16string Format(std::u16string_view key, const std::vector<std::u16string>& params);
    void SetTtOption(std::u16string_view name, int32_t value);
    void ResetForRead();
    std::u16string PositionText();
    void FinishRead(bool ok);
    void Include(std::u16string_view argument, bool once);
    void Minver(std::u16string_view argument);
    void Option(std::u16string_view argument);
    void LanguageCaptions(std::array<std::u16string, kLanguageSlots>& captions);
    int32_t OpenSourceDepth();
    void InheritParameters(SectRec& r, const SectRec& p, char16_t kind, int32_t member);

    ParamParser& parser_;
    ParamTable& table_;
    int32_t openDepth_ = 0;  // script files opened in this read
    bool headerMode_ = false;
    StockLine stockLine_ = StockLine::Named;
    ScriptStart start_;
};

// --- The program's reader.
ScriptReader& scriptReader();
bool ReadScript(const std::u16string& path, uint8_t headerMode, StockLine stockLine = StockLine::Named);

}  // namespace yov
