// The scene-script reader: one script file through the engine's timetable reader into the
// scene model (scene_records.h). "$" lines are keywords (script_keywords.cpp), every other
// line a script item; blocks close into PoolMemberTable (script_blocks.cpp) and become
// section records, pools and options.
//
// ScriptReader reaches the engine through TtCalls and the rest of the program through
// ScriptHooks, so it runs without Qt: the fuzz target and the benchmark link it with the
// engine directly. The program's reader is scriptReader() (script_binding.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lumvatek/exports.h"
#include "program/core/params/param_expr.h"
#include "program/core/texts/script_place.h"
#include "program/core/params/param_table.h"
#include "program/scene/scene_records.h"

namespace yov {

// The engine's timetable and macro exports the reader uses.
struct TtCalls {
    LvResult (*InitTtRead)() = nullptr;
    LvResult (*FinishTtRead)() = nullptr;
    LvResult (*SetTtOption)(const char16_t* name, int32_t value) = nullptr;
    LvResult (*OpenTtFile)(const char* name, int32_t value, const char16_t* text) = nullptr;
    LvResult (*TtFileClose)() = nullptr;
    LvResult (*GetTtLine)(char16_t* buffer, int32_t* valueOut, int32_t* lineOut) = nullptr;
    LvResult (*GetTtPosition)(int32_t level, int32_t* kindOut, char16_t* nameOut, int32_t nameCapacity,
                              int32_t* lineOut, int32_t* columnOut, int32_t* paramIndexOut) = nullptr;
    LvResult (*MacIni)() = nullptr;
    LvResult (*DefMac)(const char16_t* name, const char16_t* value) = nullptr;
    LvResult (*SortMac)() = nullptr;
    LvResult (*MacFree)() = nullptr;
};

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

struct ScriptHooks {
    TtCalls tt;
    std::function<ScriptStart()> start;
    // A keyword's or block's error text: the key's text with "%1".."%9" replaced.
    std::function<std::u16string(std::u16string_view key, const std::vector<std::u16string>& params)> formatText;
    // "Error <n>: <message>" of a numbered engine error, with the file and line when given.
    std::function<std::u16string(int32_t number, std::u16string_view file, int32_t line)> errorNumberText;
    // The number and description of an error being handled.
    std::function<std::pair<int32_t, std::u16string>(const std::exception_ptr&)> describeError;
    // The failed read's message (the program's error report, information icon, logged).
    std::function<void(int32_t number, const std::u16string& message)> report;
    // Stock: SetStockName; LoadStock(0) with the stock index; the stock's picture height.
    std::function<void(const std::u16string& name)> setStockName;
    std::function<void()> loadStock;
    std::function<int32_t()> stockPictureHeight;
    // OpenPictureCache, clearing the entries' cached pictures when the cache is off.
    std::function<void()> openPictureCache;
    std::function<void(uint8_t mode)> setCacheMode;
    std::function<int32_t()> defaultBackground;
    // ParseShowOptions on the current parameter set.
    std::function<void()> parseShowOptions;
    // Settings: a text of the program key, and a number under "\Option".
    std::function<std::u16string(std::u16string_view name)> setting;
    std::function<int32_t(std::u16string_view name, int32_t defaultValue)> optionSetting;
    // Language codes 0..count, and the text of the current language out of per-language texts.
    std::function<std::vector<std::u16string>()> languageCodes;
    std::function<std::u16string(const std::vector<std::u16string>& texts, std::u16string_view context)> pickLangText;
    // The program's and the engine's version texts, which MINVER compares against.
    std::function<std::u16string()> programVersion;
    std::function<std::u16string()> engineVersion;
    std::function<void(uint8_t count)> setOpenSources;
    std::function<void()> pause;  // the 1 ms the reader yields while music plays
};

// Limits on what a script can make the reader do.
inline constexpr int32_t kMaxIncludeDepth = 32;      // script files open inside each other
inline constexpr int32_t kMaxScriptFiles = 1000;     // script files opened in one read
inline constexpr int32_t kMaxScriptItems = 1000000;  // items of one read
inline constexpr int32_t kMaxOptionLevel = 3;
inline constexpr int32_t kLineBufferSize = 10000;

class ScriptReader {
public:
    ScriptReader(ParamParser& parser, ParamTable& table) : parser_(parser), table_(table) {}

    ScriptHooks hooks;
    SceneScript S;

    // -1 when the script was read to its end (in header mode up to its first line that is
    // not a header keyword), 0 when an error was reported.
    int16_t ReadScript(std::u16string_view path, uint8_t headerMode);
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
    ScriptStart start_;
};

// --- The program's reader.
ScriptReader& scriptReader();
bool ReadScript(const std::u16string& path, uint8_t headerMode);

}  // namespace yov
