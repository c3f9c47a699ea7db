// The "$" lines of a scene script: blocks, run settings, reader options and macros,
// includes, version requirements, and the header the settings dialog reads.
#include <algorithm>
#include <array>
#include <unordered_map>

#include "platform/codepage.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/binding/engine_calls.h"
#include "program/core/binding/engine_text.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/number_text.h"
#include "program/scene/script_keyword_kinds.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"

namespace yov {
namespace {

constexpr int32_t kErrMessage = 6002;
constexpr int32_t kErrScript = 6003;
constexpr int32_t kErrRequirement = 6015;
// Blocks open inside each other; building the sections recurses once per level.
constexpr int32_t kMaxBlockDepth = 1000;

enum class Kw {
    Scene,
    Sect,
    Group,
    Line,
    Path,
    Pool,
    EndSect,
    EndPool,
    EndPath,
    EndLine,
    EndGroup,
    EndScene,
    Above,
    Accel,
    Background,
    Below,
    Decel,
    CoupleDistance,
    CoupleSpeed,
    Env,
    InitialSpeed,
    VehicleHeight,
    MaxLines,
    MinSpace,
    PhaseStep,
    Random,
    Randomize,
    SkipErr,
    Speed,
    Text,
    TextBackground,
    TextColor,
    TextX,
    TextY,
    UseDefDir,
    UseCache,
    Way,
    WayDef,
    NoStopClick,
    NoStopKey,
    NoStopMove,
    NoRail,
    NoCat,
    NoAuth,
    Def,
    Set,
    CSet,
    Include,
    Require,
    End,
    Stock,
    Splash,
    Error,
    Info,
    Version,
    HelpWeb,
    MinVer,
    Opt,
    OptCmd,
    OptSub,
    OptEnd,
    OptGDef,
};

// Keywords as scripts spell them, the misspellings included.
const std::unordered_map<std::u16string, Kw>& Keywords() {
    static const std::unordered_map<std::u16string, Kw> table = [] {
        std::unordered_map<std::u16string, Kw> t;
        auto add = [&](Kw k, std::initializer_list<const char16_t*> names) {
            for (const char16_t* n : names) t.emplace(n, k);
        };
        add(Kw::Scene, {u"SCENE"});
        add(Kw::Sect, {u"SECT", u"SECTION"});
        add(Kw::Group, {u"GRP", u"GROUP"});
        add(Kw::Line, {u"LINE"});
        add(Kw::Path, {u"SLINE", u"SCENELINE", u"PATH"});
        add(Kw::Pool, {u"POOL"});
        add(Kw::EndSect, {u"ES", u"ENDS", u"ESECT", u"ESECTION", u"ENDSECTION"});
        add(Kw::EndPool, {u"EO", u"EPOOL", u"ENDPOOL"});
        add(Kw::EndPath, {u"EP", u"ENDP", u"EPATH", u"ESLINE", u"ENDSCENELINE", u"ENDPATH"});
        add(Kw::EndLine, {u"EL", u"ENDL", u"ELINE", u"ENDLINE"});
        add(Kw::EndGroup, {u"EG", u"ENDG", u"EGRP", u"EGROUP", u"ENDGROUP"});
        add(Kw::EndScene, {u"EC", u"ENDC", u"ESCENE", u"ENDSCENE"});
        add(Kw::Above, {u"AB", u"ABOVE"});
        add(Kw::Accel, {u"A", u"AC", u"ACCELERATION", u"ACCEL"});
        add(Kw::Background, {u"BACKGROUND", u"BGCOLOR"});
        add(Kw::Below, {u"BL", u"BELOW"});
        add(Kw::Decel, {u"B", u"BR", u"DECELERATION", u"BRAKE"});
        add(Kw::CoupleDistance, {u"CD", u"COPDIST", u"COUPLE_DISTANCE"});
        add(Kw::CoupleSpeed, {u"CV", u"COPSPEED", u"COUPLE_SPEED"});
        add(Kw::Env, {u"ENV", u"ENVIRONEMENT"});
        add(Kw::InitialSpeed, {u"IV", u"INITIAL_SPEED", u"STARTSPEED"});
        add(Kw::VehicleHeight, {u"VH", u"IMGY", u"VEHICLE_HEIGHT"});
        add(Kw::MaxLines, {u"ML", u"MAXLINE"});
        add(Kw::MinSpace, {u"MS", u"MINSPACE"});
        add(Kw::PhaseStep, {u"PH", u"PHSTEP", u"PHASESTEP"});
        add(Kw::Random, {u"RANDOM", u"SEQ", u"SEQUENCE"});
        add(Kw::Randomize, {u"RANDOMIZE"});
        add(Kw::SkipErr, {u"SKIPERR"});
        add(Kw::Speed, {u"SPEED"});
        add(Kw::Text, {u"TX", u"TEXT"});
        add(Kw::TextBackground, {u"TXB", u"TEXTBACKGROUNDCOLOR"});
        add(Kw::TextColor, {u"TXC", u"TEXTCOLOR"});
        add(Kw::TextX, {u"TXX", u"TXHPOS", u"TEXTPOSITION"});
        add(Kw::TextY, {u"TXY", u"TXVPOS", u"TEXTVERTICALPOSITION"});
        add(Kw::UseDefDir, {u"UD", u"USEDEFDIR", u"USE_DEFAULT_DIRECTION"});
        add(Kw::UseCache, {u"USECACHE"});
        add(Kw::Way, {u"WAY"});
        add(Kw::WayDef, {u"WA", u"WE", u"WM", u"WR", u"WT", u"WL"});
        add(Kw::NoStopClick, {u"NOSTOPONCLICK"});
        add(Kw::NoStopKey, {u"NOSTOPONKEY"});
        add(Kw::NoStopMove, {u"NOSTOPONMOVE"});
        add(Kw::NoRail, {u"NORAIL"});
        add(Kw::NoCat, {u"NOCAT", u"NOCATENARY"});
        add(Kw::NoAuth, {u"NOAUTH", u"NOAUTHORS"});
        add(Kw::Def, {u"DEF", u"DEFINE", u"DEFINE_MACRO"});
        add(Kw::Set, {u"SET"});
        add(Kw::CSet, {u"CSET"});
        add(Kw::Include, {u"INC", u"INCLUDE"});
        add(Kw::Require, {u"REQ", u"REQUIRE"});
        add(Kw::End, {u"END", u"EXIT"});
        add(Kw::Stock, {u"STOCK"});
        add(Kw::Splash, {u"SPLASH"});
        add(Kw::Error, {u"ERR", u"ERROR"});
        add(Kw::Info, {u"INFO"});
        add(Kw::Version, {u"VERSION"});
        add(Kw::HelpWeb, {u"HLPWEB", u"URL"});
        add(Kw::MinVer, {u"MINVER"});
        add(Kw::Opt, {u"OPT", u"OPTION"});
        add(Kw::OptCmd, {u"OPTCMD", u"OPTION_COMMAND"});
        add(Kw::OptSub, {u"OPTSUB", u"OPTION_SUBMENU"});
        add(Kw::OptEnd, {u"OPTEND", u"OPTION_SUBMENU_END"});
        add(Kw::OptGDef, {u"OPTGDEF", u"OPTION_GENERAL_DEFAULT"});
        return t;
    }();
    return table;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// "1.2.3" into its numbers; missing ones are 0.
std::array<int32_t, 3> VersionNumbers(ParamParser& parser, std::u16string_view text) {
    std::array<int32_t, 3> v{0, 0, 0};
    const std::vector<std::u16string> parts = plat::split(text, u".");
    for (size_t i = 0; i < parts.size() && i < v.size(); ++i) {
        const std::u16string part = plat::trim(parts[i]);
        if (!part.empty()) v[i] = plat::clampToInt32(parser.EvalNumber(part).number());
    }
    return v;
}

// The numbers and points a version text starts with.
std::u16string LeadingVersion(std::u16string_view text) {
    size_t n = 0;
    while (n < text.size() && ((text[n] >= u'0' && text[n] <= u'9') || text[n] == u'.')) ++n;
    return std::u16string(text.substr(0, n));
}

}  // namespace

void ScriptReader::LanguageCaptions(std::array<std::u16string, kLanguageSlots>& captions) {
    // The languages the stock declared, 0 to their count.
    const ProgramState& st = programState();
    for (int32_t i = 0;
         i <= st.Shared.LanguageCount && i < st.Arrays.Languages.length() && i < static_cast<int32_t>(captions.size());
         ++i) {
        const std::u16string code = st.Arrays.Languages[i].Code;
        captions[static_cast<size_t>(i)] = code.empty() ? std::u16string() : table_.GetParam(plat::ucase(code), u"");
    }
}

void ScriptReader::AddOptionEntry(uint8_t kind) {
    ++S.OptionCount;
    if (static_cast<int32_t>(S.Options.size()) <= S.OptionCount)
        S.Options.resize(static_cast<size_t>(S.OptionCount) + 10);
    OptionEntry& e = S.Options[static_cast<size_t>(S.OptionCount)];
    e = OptionEntry{};
    LanguageCaptions(e.Captions);
    e.Level = static_cast<uint8_t>(S.OptionLevel);
    e.Kind = kind;
}

void ScriptReader::Option(std::u16string_view argument) {
    table_.ParseParams(argument);
    const std::u16string key = plat::ucase(table_.GetParam(u"K,KEY", u""));
    if (!key.empty()) {
        for (int32_t i = 1; i <= S.OptionCount; ++i) {
            if (S.Options[static_cast<size_t>(i)].Key == key) Fail(kErrScript, Format(u"MDEF", {u"$OPT K=" + key}));
        }
    }
    AddOptionEntry(option_kind::kOption);
    const int32_t at = S.OptionCount;
    S.Options[static_cast<size_t>(at)].Key = key;
    for (const std::u16string& c : S.Options[static_cast<size_t>(at)].Captions) {
        if (!c.empty() && c.front() == u'-') {
            S.Options[static_cast<size_t>(at)].Kind = option_kind::kSeparator;
            return;
        }
    }
    if (key.empty()) {
        --S.OptionCount;
        Fail(kErrMessage, u"Option without a key (K=): " + std::u16string(argument));
    }
    OptionEntry& e = S.Options[static_cast<size_t>(at)];
    e.Default = parser_.ParseBoolean(table_.GetParam(u"V", u""));
    const int32_t stored = GetRegNumber(key, e.Default, u"\\Option");
    e.Value = stored != 0 ? 1 : 0;
    e.Command = plat::ucase(table_.GetParam(u"C,CMD,COMMAND", u""));
    SetTtOption(key, e.Value);
}

void ScriptReader::Include(std::u16string_view argument, bool once) {
    std::u16string name = plat::trim(argument);
    if (name.size() >= 2 &&
        ((name.front() == u'"' && name.back() == u'"') || (name.front() == u'<' && name.back() == u'>'))) {
        name = name.substr(1, name.size() - 2);
    }
    // The name keeps its separators as written; an earlier include is the same file in any
    // letter case.
    const bool absolute =
        (name.size() >= 2 && name[1] == u':') || (!name.empty() && (name.front() == u'\\' || name.front() == u'/'));
    if (!absolute && CurrentFile >= 1 && CurrentFile <= S.FileCount) {
        name = plat::utf8ToUtf16(
            plat::joinPath(plat::utf16ToUtf8(S.FileDirs[static_cast<size_t>(CurrentFile)]), plat::utf16ToUtf8(name)));
    }
    bool listed = false;
    for (int32_t i = 1; i <= S.IncludeCount; ++i) {
        if (plat::equalsNoCase(S.Includes[static_cast<size_t>(i)], name)) {
            listed = true;
            break;
        }
    }
    if (!listed) {
        ++S.IncludeCount;
        S.Includes.push_back(name);
    }
    if (listed && once) return;
    OpenScriptFile(name);
}

void ScriptReader::Minver(std::u16string_view argument) {
    table_.ParseParams(argument);
    const std::u16string program = table_.GetParam(u"P,PRG,PROGRAM", u"");
    const std::u16string ours = LeadingVersion(kProgramVersion);
    if (!program.empty() && VersionNumbers(parser_, program) > VersionNumbers(parser_, ours)) {
        Fail(kErrRequirement, Format(u"PRGV", {program}));
    }
    const std::u16string library = table_.GetParam(u"D,DLL", u"");
    if (!library.empty()) {
        const std::u16string have = LeadingVersion(engine_calls::versionText());
        if (VersionNumbers(parser_, library) > VersionNumbers(parser_, have))
            Fail(kErrRequirement, Format(u"DLLV", {library}));
    }
}

int32_t ScriptReader::InterpretScriptLine(std::u16string_view line) {
    const std::u16string_view rest = line.substr(std::min<size_t>(1, line.size()));
    size_t blank = 0;
    while (blank < rest.size() && !IsBlank(rest[blank])) ++blank;
    const std::u16string keyword = plat::ucase(rest.substr(0, blank));
    const std::u16string arg = blank < rest.size() ? plat::trim(rest.substr(blank + 1)) : std::u16string();
    const auto found = Keywords().find(keyword);
    if (found == Keywords().end()) return 0;

    RunSettings& run = S.Run;
    auto closeIf = [&](std::u16string_view kinds) {
        if (table_.BlockHasKind(kinds) != 0) CloseBlock();
    };
    auto closeOrFail = [&](std::u16string_view kinds, std::u16string_view key) {
        if (table_.BlockHasKind(kinds) == 0) FailKey(key);
        CloseBlock();
    };
    auto push = [&](std::u16string_view kind) {
        if (table_.BlockCount >= kMaxBlockDepth) Fail(kErrScript, u"Blocks nested too deeply");
        table_.PushBlock(u"$" + std::u16string(kind) + arg, ItemPosition());
    };
    // Numbers the show computes with are held; RANDOMIZE takes any seed, USECACHE is capped.
    auto number = [&] { return parser_.LeadingNumber(arg); };
    auto whole = [&] { return plat::clampToInt32(number()); };
    auto relative = [&] { return parser_.EvalRelativeValue(arg).number(); };
    const int32_t files = OpenSourceDepth();

    switch (found->second) {
    case Kw::Scene:
        closeIf(u"GLO");
        push(u"C");
        return 0;
    case Kw::Sect:
        closeIf(u"OL");
        push(u"S");
        return 0;
    case Kw::Group:
        closeIf(u"GLO");
        push(u"G");
        return 0;
    case Kw::Line:
        closeIf(u"GLO");
        push(u"L");
        return 0;
    case Kw::Path:
        closeIf(u"P");
        if (table_.BlockHasKind(u"C") == 0) FailKey(u"PATE");
        push(u"P");
        return 0;
    case Kw::Pool:
        closeIf(u"OL");
        if (table_.BlockHasKind(u"GSCP") == 0) FailKey(u"POLE");
        push(u"O");
        return 0;
    case Kw::EndSect:
        closeIf(u"GL");
        closeOrFail(u"S", u"ESEC");
        return 0;
    case Kw::EndPool: closeOrFail(u"O", u"EPOOL"); return 0;
    case Kw::EndPath: closeOrFail(u"P", u"EPAT"); return 0;
    case Kw::EndLine: closeOrFail(u"L", u"ELIN"); return 0;
    case Kw::EndGroup: closeOrFail(u"G", u"EGRP"); return 0;
    case Kw::EndScene:
        closeIf(u"P");
        closeOrFail(u"C", u"ESCE");
        return 0;

    case Kw::Above: run.LayerAbove = plat::clampToInt32(relative()); return 0;
    case Kw::Accel: run.Accel = arg; return 0;
    case Kw::Background: run.BgColor = parser_.ParseColor(arg, 0); return 0;
    case Kw::Below: run.LayerBelow = plat::clampToInt32(relative()); return 0;
    case Kw::Decel: run.Decel = arg; return 0;
    case Kw::CoupleDistance: run.CoupleDistance = plat::clampToInt32(relative()); return 0;
    case Kw::CoupleSpeed: run.CoupleSpeed = static_cast<float>(relative()); return 0;
    case Kw::Env: run.Environment = arg; return 0;
    case Kw::InitialSpeed: run.InitialSpeed = static_cast<float>(number()); return 0;
    case Kw::VehicleHeight: run.VehicleHeight = whole(); return 0;
    case Kw::MaxLines: run.MaxLines = whole(); return 0;
    case Kw::MinSpace: run.MinSpace = whole(); return 0;
    case Kw::PhaseStep: run.PhaseStep = static_cast<float>(number()); return 0;
    case Kw::Random: {
        // The words count modes from 1, the script from 0.
        const uint8_t mode = ParseSequenceMode(arg, static_cast<uint8_t>(start_.Random + 1), 0);
        run.SequenceMode = static_cast<uint8_t>(std::min(std::max<int>(mode, 1) - 1, 3));
        return 0;
    }
    case Kw::Randomize: S.RandomSeed = plat::val(arg); return 0;
    case Kw::SkipErr: run.SkipErrors = parser_.ParseBoolean(arg); return 0;
    case Kw::Speed:
        run.SpeedFactor = static_cast<float>(number() * 0.001);
        if (run.SpeedFactor == 0) run.SpeedFactor = 0.025f;
        run.SpeedSet = 1;
        return 0;
    case Kw::Text: run.LabelText = arg; return 0;
    case Kw::TextBackground: run.LabelBackground = parser_.ParseColor(arg, 0); return 0;
    case Kw::TextColor: run.LabelColor = parser_.ParseColor(arg, 0); return 0;
    case Kw::TextX: run.LabelX = arg; return 0;
    case Kw::TextY: run.LabelY = whole(); return 0;
    case Kw::UseDefDir: run.UseDefDir = parser_.ParseBoolean(arg); return 0;
    case Kw::UseCache:
        programState().scene.CacheMode = std::min<uint8_t>(plat::clampToByte(plat::val(arg)), 3);
        return 0;
    case Kw::Way:
        table_.ParseParams(arg);
        for (size_t i = 0; i < kWayLetters.size(); ++i) {
            run.WayDefs[i] = table_.GetParam(kWayLetters.substr(i, 1), run.WayDefs[i]);
        }
        return 0;
    case Kw::WayDef: run.WayDefs[kWayLetters.find(keyword[1])] = arg; return 0;
    case Kw::NoStopClick: run.NoStopOnClick = parser_.ParseBoolean(arg); return 1;
    case Kw::NoStopKey: run.NoStopOnKey = parser_.ParseBoolean(arg); return 1;
    case Kw::NoStopMove: run.NoStopOnMove = parser_.ParseBoolean(arg); return 1;
    case Kw::NoRail: run.Suppress |= 3; return 1;
    case Kw::NoCat: run.Suppress |= 2; return 1;
    case Kw::NoAuth: run.Suppress |= 4; return 1;

    case Kw::Def: {
        const size_t eq = arg.find(u'=');
        if (eq == std::u16string::npos) return 0;
        const EngineText name(plat::ucase(plat::trim(std::u16string_view(arg).substr(0, eq))));
        const EngineText value(plat::trim(std::u16string_view(arg).substr(eq + 1)));
        const int32_t r = lv::DefMac(name.get(), value.get());
        if (r < 0) Fail(kErrScript, GetErrorNumberText(-r));
        return 0;
    }
    case Kw::Set:
    case Kw::CSet: {
        const size_t eq = arg.find(u'=');
        std::u16string name = plat::ucase(plat::trim(std::u16string_view(arg).substr(0, eq)));
        const int32_t value =
            eq == std::u16string::npos ? 1 : parser_.ParseBoolean(plat::trim(std::u16string_view(arg).substr(eq + 1)));
        if (found->second == Kw::CSet) {
            for (int32_t i = 1; i <= S.OptionCount; ++i) {
                if (!name.empty() && S.Options[static_cast<size_t>(i)].Key == name) return 0;
            }
        }
        SetTtOption(name, value);
        return 0;
    }
    case Kw::Include: Include(arg, false); return 0;
    case Kw::Require: Include(arg, true); return 0;
    case Kw::End: lv::TtFileClose(); return 0;
    case Kw::Stock: {
        // A stock named relative to the script is found beside it.
        std::u16string name = arg;
        const bool absolute =
            (name.size() >= 2 && name[1] == u':') || (!name.empty() && (name.front() == u'\\' || name.front() == u'/'));
        if (!absolute && !name.empty() && CurrentFile >= 1 && CurrentFile <= S.FileCount) {
            name = plat::utf8ToUtf16(plat::joinPath(plat::utf16ToUtf8(S.FileDirs[static_cast<size_t>(CurrentFile)]),
                                                    plat::utf16ToUtf8(name)));
        }
        if (stockLine_ == StockLine::Named) scriptReadServices().nameStock(name);
        return 0;
    }
    case Kw::Splash:
        if (!start_.ScreenSaverFullScreen) return 0;
        table_.ParseParams(arg);
        run.SplashPicture = table_.GetParam(u"C", u"");
        if (run.SplashPicture.find_first_of(u".\\/") != std::u16string::npos) {
            scriptShowCalls().parseShowOptions();
        } else {
            run.DeferredShowOptions = arg;
        }
        return 0;
    case Kw::Error: {
        table_.ParseParams(arg);
        std::array<std::u16string, kLanguageSlots> texts;
        LanguageCaptions(texts);
        LvString all[kLanguageSlots];
        for (size_t i = 0; i < texts.size(); ++i) all[i] = texts[i];
        const std::u16string message = PickLangText(all, u"$ERROR");
        Fail(kErrRequirement, message);
    }

    case Kw::Info:
        if (files == 1) {
            std::u16string text = arg;
            if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') text = text.substr(1, text.size() - 2);
            run.InfoText += text + u"\r\n";
        }
        return 1;
    case Kw::Version:
        if (files == 1) run.VersionText = arg;
        return 1;
    case Kw::HelpWeb:
        if (S.LinkCount < kMaxHelpLinks) {
            table_.ParseParams(arg);
            HelpLink& link = S.Links[static_cast<size_t>(++S.LinkCount)];
            link = HelpLink{};
            link.Url = table_.GetParam(u"URL", u"");
            LanguageCaptions(link.Captions);
        }
        return 1;
    case Kw::MinVer: Minver(arg); return 1;
    case Kw::Opt:
    case Kw::OptCmd:
    case Kw::OptSub:
    case Kw::OptEnd:
        if (files > 1) return 0;
        if (found->second == Kw::Opt) {
            Option(arg);
        } else if (found->second == Kw::OptCmd) {
            table_.ParseParams(arg);
            AddOptionEntry(option_kind::kCommand);
            S.Options[static_cast<size_t>(S.OptionCount)].Command = plat::ucase(table_.GetParam(u"C,CMD,COMMAND", u""));
        } else if (found->second == Kw::OptSub) {
            if (S.OptionLevel >= kMaxOptionLevel) Fail(kErrMessage, u"Option submenu level too deep");
            table_.ParseParams(arg);
            AddOptionEntry(option_kind::kSubmenu);
            ++S.OptionLevel;
        } else {
            if (S.OptionLevel <= 0) Fail(kErrMessage, u"Option submenu end outside a submenu");
            --S.OptionLevel;
        }
        return 1;
    case Kw::OptGDef: SetTtOption(u"=", parser_.ParseBoolean(arg)); return 0;
    }
    return 0;
}

ScriptKeywordKind KindOfScriptKeyword(std::u16string_view word) {
    const auto it = Keywords().find(plat::ucase(word));
    if (it == Keywords().end()) return ScriptKeywordKind::None;
    switch (it->second) {
    case Kw::Scene:
    case Kw::Sect:
    case Kw::Group:
    case Kw::Line:
    case Kw::Path:
    case Kw::Pool: return ScriptKeywordKind::BlockBegin;
    case Kw::EndSect:
    case Kw::EndPool:
    case Kw::EndPath:
    case Kw::EndLine:
    case Kw::EndGroup:
    case Kw::EndScene: return ScriptKeywordKind::BlockEnd;
    default: return ScriptKeywordKind::Other;
    }
}

}  // namespace yov
