// Blocks of a scene script: closing a block moves its items into the member table, and
// after the read the section records are built from the closed headers, every parameter
// inherited from the enclosing block unless the block gives its own.
#include <algorithm>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/texts/number_text.h"
#include "program/scene/script_reader.h"

namespace yov {
namespace {

constexpr int32_t kErrMessage = 6002;
constexpr const char16_t* kAddParams = u"AP,PARS,PARAMETERS,ADDITIONAL_PARAMETERS";
constexpr const char16_t* kSequence = u"SEQ,SEQUENCE,RANDOM";

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool OneOf(std::u16string_view word, std::initializer_list<std::u16string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The header "$K first,lastPlain,last:params" of a closed block.
struct ClosedHeader {
    char16_t kind = 0;
    int32_t first = 0, lastPlain = 0, last = 0;
    std::u16string params;
};

ClosedHeader ReadHeader(std::u16string_view text) {
    ClosedHeader h;
    if (text.size() >= 2) h.kind = text[1];
    const size_t colon = text.find(u':');
    const std::u16string_view numbers = text.substr(
        std::min<size_t>(2, text.size()), colon == std::u16string_view::npos ? std::u16string_view::npos : colon - 2);
    const std::vector<std::u16string> parts = plat::split(numbers, u",");
    if (parts.size() == 3) {
        h.first = plat::clampToInt32(plat::val(parts[0]));
        h.lastPlain = plat::clampToInt32(plat::val(parts[1]));
        h.last = plat::clampToInt32(plat::val(parts[2]));
    }
    if (colon != std::u16string_view::npos) h.params = std::u16string(text.substr(colon + 1));
    return h;
}

}  // namespace

uint8_t ScriptReader::ParseSequenceMode(std::u16string_view text, uint8_t defaultMode, int32_t item) {
    const std::u16string w = plat::ucase(plat::trim(text));
    if (w.empty()) return defaultMode;
    if (OneOf(w, {u"F", u"FIX"})) return 1;
    if (OneOf(w, {u"C", u"CONTINUED"})) return 2;
    if (OneOf(w, {u"Q", u"RSEQ", u"RANDOM_SEQUENCE"})) return 3;
    if (OneOf(w, {u"R", u"RANDOM"})) return 4;
    if (OneOf(w, {u"D", u"DEFAULT"})) return static_cast<uint8_t>(std::min<int>(start_.Random, 3) + 1);
    if (OneOf(w, {u"MC", u"MAX_CONTINUED"})) return std::min<uint8_t>(2, defaultMode);
    if (OneOf(w, {u"MQ", u"MAX_RANDOM_SEQUNECE"})) return std::min<uint8_t>(3, defaultMode);
    if (plat::isNumeric(w)) {
        const double n = plat::val(w) + 1;
        if (n >= 1 && n <= 4 && n == static_cast<int>(n)) return static_cast<uint8_t>(n);
    }
    const std::u16string message = Format(u"ILSEQ", {std::u16string(text), u"SEQUENCE"});
    if (item > 0) RaiseLineError(item, message);
    Fail(kErrMessage, message);
}

void ScriptReader::CloseBlock() {
    if (table_.BlockCount < 1) return;
    // The block leaves the stack whatever happens here, so closing always ends.
    struct Pop {
        ParamTable& t;
        ~Pop() { t.BlockCount = std::max(t.BlockCount - 1, 0); }
    } pop{table_};

    const int32_t b = table_.Blocks[static_cast<size_t>(table_.BlockCount)];
    const std::u16string header = table_.Items[static_cast<size_t>(b)].Text;
    const char16_t kind = header.size() >= 2 ? header[1] : u'D';
    const std::u16string params = header.substr(std::min<size_t>(2, header.size()));

    int32_t pool = 0;
    if (kind == u'O') {
        table_.ParseParams(params);
        const std::u16string name = plat::ucase(table_.GetParam(u"N,NAME", u""));
        if (name.empty()) {
            table_.ItemCount = b - 1;
            FailKey(u"NPOOL");
        }
        pool = ++S.PoolCount;
        S.Pools.resize(static_cast<size_t>(pool) + 1);
        S.Pools[static_cast<size_t>(pool)].Name = name;
    }

    const int32_t count = table_.ItemCount - b;
    const int32_t first = S.MemberCount + 1;
    const int32_t last = S.MemberCount + std::max(count, 0);
    if (count <= 0) {
        table_.ItemCount = b - 1;
        if (kind == u'D') FailKey(u"NOTR");
        if (pool == 0) return;
    } else {
        int32_t lines = 0;
        for (int32_t i = b + 1; i <= table_.ItemCount; ++i) {
            if (StartsWith(table_.Items[static_cast<size_t>(i)].Text, u"$L")) ++lines;
        }
        if (static_cast<int32_t>(S.Members.size()) <= last) {
            S.Members.resize(static_cast<size_t>(last) + 100);
        }
        // Plain members in reading order, then the line blocks from the end backwards.
        int32_t plain = first;
        int32_t line = last;
        for (int32_t i = b + 1; i <= table_.ItemCount; ++i) {
            ScriptItem& item = table_.Items[static_cast<size_t>(i)];
            const int32_t to = StartsWith(item.Text, u"$L") ? line-- : plain++;
            S.Members[static_cast<size_t>(to)] = std::move(item);
            S.Members[static_cast<size_t>(to)].Flags = 0;
        }
        S.MemberCount = last;
        table_.ItemCount = b;
        if (pool == 0) {
            table_.Items[static_cast<size_t>(b)].Text = u"$" + std::u16string(1, kind) + decimal(first) + u"," +
                                                        decimal(last - lines) + u"," + decimal(last) + u":" + params;
            ++S.SectionCount;
            return;
        }
    }

    // A pool: its members follow in the table; an empty one gets an empty range.
    PoolEntry& p = S.Pools[static_cast<size_t>(pool)];
    p.First = first;
    p.Last = count > 0 ? last : first - 1;
    p.Current = p.Last;
    p.PickCounter = first - 1;
    p.SequenceMode =
        ParseSequenceMode(table_.GetParam(kSequence, u""), static_cast<uint8_t>(S.Run.SequenceMode + 1), 0);
    p.AddParams = table_.GetParam(kAddParams, u"");
    table_.ItemCount = b - 1;
}

void ScriptReader::InheritParameters(SectRec& r, const SectRec& p, char16_t kind, int32_t member) {
    auto text = [&](const char16_t* aliases, const std::u16string& inherited) {
        return table_.GetParam(aliases, inherited);
    };
    auto color = [&](const char16_t* aliases, int32_t inherited) {
        const std::u16string v = table_.GetParam(aliases, u"");
        return v.empty() ? inherited : parser_.ParseColor(v, 0);
    };
    auto whole = [&](const char16_t* aliases, int32_t reference) {
        return plat::clampToInt32(table_.GetParamNumber(aliases, reference));
    };

    r.BgColor = color(u"BGC,BGCOLOR,BACKGROUND_COLOR", p.BgColor);
    struct Layer {
        const char16_t* aliases;
        std::u16string SectRec::*text;
        int32_t SectRec::*owner;
    };
    for (const Layer& l :
         {Layer{u"BG,BACKGROUND", &SectRec::Background, &SectRec::BackgroundOwner},
          Layer{u"FG,FOREGROUND", &SectRec::Foreground, &SectRec::ForegroundOwner},
          Layer{u"TG,TBG,TEMPORARY_BACKGROUN", &SectRec::TempBackground, &SectRec::TempBackgroundOwner}}) {
        const std::u16string v = table_.GetParam(l.aliases, u"");
        if (!v.empty()) {
            r.*l.text = v;
            r.*l.owner = member;
        } else if (kind != u'P') {
            r.*l.text = p.*l.text;
            r.*l.owner = p.*l.owner;
        } else {
            (r.*l.text).clear();
            r.*l.owner = 0;
        }
    }
    r.Waypoints = table_.GetParam(u"WP,WAYPOINT,WAYPOINTS", u"");
    // A scene does not read its way, but passes its parent's on to its paths.
    r.Way = p.Way;
    r.WayDefs = p.WayDefs;
    if (kind != u'C') {
        r.Way = text(u"W,WAY", p.Way);
        for (size_t i = 0; i < kWayLetters.size(); ++i) {
            r.WayDefs[i] = text((u"W" + std::u16string(1, kWayLetters[i])).c_str(), p.WayDefs[i]);
        }
        if (!r.Background.empty() || !r.Foreground.empty() || !r.Way.empty() || !r.Waypoints.empty()) {
            r.Flags |= sect_flag::kOwnLayers;
        }
    }
    r.AnimBegin = text(u"TB,ANIMATION_AT_BEGIN", p.AnimBegin);
    r.AnimEnd = text(u"TE,ANIMATION_AT_END", p.AnimEnd);
    r.Direction = text(u"D,DIR,DIRECTION", p.Direction);
    r.Speed = text(u"V,SPEED", p.Speed);
    r.Accel = text(u"A,ACCEL,ACCELERATION", p.Accel);
    r.Decel = text(u"B,BRAKE,DECELERATION", p.Decel);
    r.CoupleDistance = whole(u"CD,COPDIST,COUPLE_DISTANCE", p.CoupleDistance);
    r.CoupleSpeed = table_.GetParamOrRandom(u"CV,COPSPEED,COUPLE_SPEED", p.CoupleSpeed, u"");
    r.InitialSpeed = table_.GetParamOrRandom(u"IV,STARTSPEED,INITIAL_SPEED", p.InitialSpeed, u"");
    r.XText = table_.GetParam(u"X,X0,LEFT", u"");
    r.YText = table_.GetParam(u"Y,Y0,BASE,BOTTOM,TOP", u"");
    r.DXText = table_.GetParam(u"DX,WIDTH", u"");
    r.VehicleHeight = whole(u"VH,IMGY,VEHICLE_HEIGHT", p.VehicleHeight);
    S.BaseHeight = std::max(S.BaseHeight, r.VehicleHeight);
    r.LabelY = whole(u"TXY,TXVPOS,TEXTVERTICALPOSITION", p.LabelY);
    r.LayerBelow = whole(u"BL,BELOW", p.LayerBelow);
    r.LayerAbove = whole(u"AB,ABOVE", p.LayerAbove);
    r.LabelText = text(u"TX,TEXT", p.LabelText);
    r.LabelX = text(u"TXX,TXHPOS,TEXTPOSITION", p.LabelX);
    const std::u16string env = table_.GetParam(u"ENV,ENVIRONEMENT", u"");
    if (env.empty())
        r.Environment = p.Environment;
    else if (env.front() == u'+')
        r.Environment = p.Environment + plat::trim(std::u16string_view(env).substr(1));
    else if (env.front() == u'-')
        r.Environment = plat::trim(std::u16string_view(env).substr(1)) + p.Environment;
    else
        r.Environment = env;
    r.LabelColor = color(u"TXC,TEXTCOLOR", p.LabelColor);
    r.LabelBackground = color(u"TXB,TEXTBACKGROUNDCOLOR", p.LabelBackground);
    r.SequenceMode = ParseSequenceMode(table_.GetParam(kSequence, u""), p.SequenceMode, member);
}

void ScriptReader::BuildSection(int32_t member, int32_t parent) {
    const int32_t idx = ++S.SectionFill;
    if (static_cast<int32_t>(S.Sections.size()) <= idx) S.Sections.resize(static_cast<size_t>(idx) + 1);
    const ClosedHeader h = ReadHeader(S.Members[static_cast<size_t>(member)].Text);
    const ScriptPlaceScope place(PlaceOf(member));
    table_.ParseParams(h.params);
    table_.ExpandParamText(table_.GetParam(kAddParams, u""));

    const SectRec p = S.Sections[static_cast<size_t>(parent)];
    SectRec r;
    r.Number = idx;
    r.Parent = parent;
    r.First = h.first;
    r.LastPlain = h.lastPlain;
    r.Last = h.last;
    r.AddParams = table_.GetParam(kAddParams, u"");
    const RunSettings& run = S.Run;
    if (h.kind == u'D') {
        r.Type = sect_type::kRoot;
        r.RunState = 1;
        r.LayerAbove = run.LayerAbove;
        r.LayerBelow = run.LayerBelow;
        r.VehicleHeight = run.VehicleHeight;
        r.MinSpace = run.MinSpace;
        r.MaxLines = run.MaxLines;
        r.SequenceMode = static_cast<uint8_t>(run.SequenceMode + 1);
        r.FinishMode = 2;
        r.CoupleDistance = run.CoupleDistance;
        r.CoupleSpeed = run.CoupleSpeed;
        r.InitialSpeed = run.InitialSpeed;
        r.LabelText = run.LabelText;
        r.LabelX = run.LabelX;
        r.LabelY = run.LabelY;
        r.LabelColor = run.LabelColor;
        r.LabelBackground = run.LabelBackground;
        r.Environment = run.Environment;
        r.BgColor = -1;
        r.WayDefs = run.WayDefs;
    } else {
        r.MinSpace = p.MinSpace;
        r.MaxLines = p.MaxLines;
        InheritParameters(r, p, h.kind, member);
        bool vertical = false;
        switch (h.kind) {
        case u'L':
            r.Type = sect_type::kLine;
            r.LineId = table_.GetParam(u"L,LINE", u"");
            break;
        case u'P':
            r.Type = sect_type::kPath;
            r.PoolName = table_.GetParam(u"POOL", u"");
            break;
        case u'S': {
            r.Type = sect_type::kSection;
            r.MaxLines = plat::clampToInt32(table_.GetParamNumber(u"ML,MAXLINE", p.MaxLines));
            r.MinSpace = plat::clampToInt32(table_.GetParamNumber(u"MS,MINSPACE", p.MinSpace));
            r.DYText = table_.GetParam(u"DY,HEIGHT", u"");
            const int32_t n = plat::clampToInt32(plat::val(table_.GetParam(u"N,NUMBER_OF_LINES", u"")));
            if (r.DYText.empty() && n > 0) {
                const int64_t band = int64_t{r.LayerAbove} + r.VehicleHeight + r.LayerBelow;
                r.DYText = decimal(int64_t{n} * band + int64_t{n - 1} * r.MinSpace);
            }
            vertical = true;
            break;
        }
        case u'C':
            r.Type = sect_type::kScene;
            r.DYText = table_.GetParam(u"DY,HEIGHT", u"");
            vertical = true;
            break;
        case u'G':
            r.Type = sect_type::kGroup;
            r.DYText = decimal(int64_t{r.LayerAbove} + r.VehicleHeight + r.LayerBelow);
            r.PoolName = table_.GetParam(u"POOL", u"");
            break;
        default: Fail(kErrMessage, u"Internal error: unknown block kind " + std::u16string(1, h.kind));
        }
        if (vertical) {
            const std::u16string w = plat::ucase(table_.GetParam(u"YDIR,COORD,VERTICAL_COORDINATE_DIRECTION", u""));
            if (OneOf(w, {u"B", u"A", u"U", u"BU", u"BOT", u"BOTTOM_UP"})) {
                r.Flags |= sect_flag::kBottomUp;
            } else if (!OneOf(w, {u"", u"T", u"F", u"D", u"TD", u"TOP", u"TOP_DOWN"})) {
                RaiseLineError(member, Format(u"UYD", {w}));
            }
        }
        // Limits: a percentage of LT is of the parent's; an absent LT is 0.
        const std::u16string lt = table_.GetParam(u"LT,TIME,LIMIT_TIME", u"");
        if (!lt.empty() && lt.back() == u'%') {
            r.LimitTime =
                plat::clampToInt32(p.LimitTime * parser_.EvalNumber(lt.substr(0, lt.size() - 1)).number() / 100);
        } else if (!lt.empty()) {
            r.LimitTime = plat::clampToInt32(parser_.EvalNumber(lt).number());
        }
        const std::u16string lc = table_.GetParam(u"LC,COUNT,LIMIT_MOVEMENT", u"");
        if (!lc.empty()) r.LimitCount = plat::clampToInt32(parser_.EvalNumber(lc).number());
        if (h.kind != u'C' && table_.GetParam(u"NL,NO_LIMIT,UNLIMITED", u"").empty() &&
            (!table_.GetParam(u"LE,EVERY,LIMIT_EVERY", u"").empty() || (r.LimitTime == 0 && r.LimitCount == 0))) {
            r.LimitCount = h.lastPlain - h.first + 1;
        }
        const std::u16string fin = plat::ucase(table_.GetParam(u"FIN,FINISH_MODE", u""));
        if (fin.empty())
            r.FinishMode = p.FinishMode;
        else if (OneOf(fin, {u"A", u"ABORT"}))
            r.FinishMode = 1;
        else if (OneOf(fin, {u"N", u"NO_MORE"}))
            r.FinishMode = 2;
        else if (OneOf(fin, {u"W", u"WAIT"}))
            r.FinishMode = 3;
        else
            RaiseLineError(member, Format(u"UFIN", {fin}));
        r.RunState = 0;
    }

    S.Members[static_cast<size_t>(member)].Text = u"$" + std::u16string(1, h.kind) + decimal(idx);
    // Where a continued section left off in the last show.
    std::u16string stored;
    if (S.LastLinesPos <= S.LastLines.size()) {
        const size_t comma = S.LastLines.find(u',', S.LastLinesPos);
        const size_t end = comma == std::u16string::npos ? S.LastLines.size() : comma;
        stored = S.LastLines.substr(S.LastLinesPos, end - S.LastLinesPos);
        S.LastLinesPos = end + 1;
    }
    const int32_t lastRun = plat::clampToInt32(plat::val(stored));
    r.CurrentLine = r.SequenceMode == 2 && lastRun >= h.first && lastRun <= h.lastPlain ? lastRun - 1 : h.first - 1;
    S.Sections[static_cast<size_t>(idx)] = std::move(r);

    const int32_t lastMember = std::min(h.last, S.MemberCount);
    for (int32_t m = std::max(h.first, 1); m <= lastMember; ++m) {
        S.Members[static_cast<size_t>(m)].Owner = member;
        if (StartsWith(S.Members[static_cast<size_t>(m)].Text, u"$")) BuildSection(m, idx);
    }
}

}  // namespace yov
