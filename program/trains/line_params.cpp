#include "program/trains/line_params.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/numbers.h"
#include "platform/text.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/texts/error_log.h"
#include "program/core/texts/number_text.h"
#include "program/scene/script_reader.h"
#include "program/show_data/show_state.h"
#include "program/trains/train_records.h"
#include "program/trains/train_start_state.h"

namespace yov {
namespace {

constexpr int32_t kErrMessage = 6002;
constexpr int32_t kDirectionSite = 21008;
constexpr int32_t kFollowSite = 10960;
constexpr int32_t kNamedGrowth = 5;
constexpr float kSmallestRate = 0.05f;

int32_t EndOf(std::u16string_view text) { return static_cast<int32_t>(text.size()) + 1; }

int32_t Clamp(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void StoreNamed(TrainRec& train, const std::u16string& name, int32_t value) {
    const int32_t count = std::min<int32_t>(train.NamedCount, static_cast<int32_t>(train.NamedPositions.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        NamedPosition& p = train.NamedPositions[static_cast<size_t>(i)];
        if (p.Name == name) {
            p.Value = value;
            return;
        }
    }
    train.NamedCount = std::max(count, 0) + 1;
    if (train.NamedCount > train.NamedAlloc || static_cast<int32_t>(train.NamedPositions.size()) <= train.NamedCount) {
        train.NamedAlloc = train.NamedCount - 1 + kNamedGrowth;
        train.NamedPositions.resize(static_cast<size_t>(train.NamedAlloc) + 1);
    }
    train.NamedPositions[static_cast<size_t>(train.NamedCount)] = NamedPosition{name, value};
}

const NamedPosition* FindNamed(const TrainRec& train, std::u16string_view name) {
    const int32_t count = std::min<int32_t>(train.NamedCount, static_cast<int32_t>(train.NamedPositions.size()) - 1);
    for (int32_t i = 1; i <= count; ++i) {
        if (train.NamedPositions[static_cast<size_t>(i)].Name == name)
            return &train.NamedPositions[static_cast<size_t>(i)];
    }
    return nullptr;
}

// The slot of a point mode (moving left; the slot after it is for moving right), -1 unknown.
int32_t PointSlot(std::u16string_view mode) {
    struct Mode {
        std::u16string_view name;
        int32_t slot;
    };
    static constexpr std::array<Mode, 10> kModes{{{u"B", 0},
                                                  {u"TB", 0},
                                                  {u"E", 2},
                                                  {u"TE", 2},
                                                  {u"IB", 4},
                                                  {u"VB", 4},
                                                  {u"CB", 4},
                                                  {u"IE", 6},
                                                  {u"VE", 6},
                                                  {u"CE", 6}}};
    for (const Mode& m : kModes) {
        if (m.name == mode) return m.slot;
    }
    return -1;
}

}  // namespace

LineReaders::ForRecord::ForRecord(LineReaders& readers, int32_t train) : readers_(readers), saved_(readers.target_) {
    readers_.target_ = Target{true, nullptr, train, trains().at(train).Direction};
}

LineReaders::ForRecord::ForRecord(LineReaders& readers, TrainRec& area) : readers_(readers), saved_(readers.target_) {
    readers_.target_ = Target{true, &area, 0, area.Direction};
}

void LineReaders::RaiseLineError(int32_t line, std::u16string_view message) {
    scriptReader().RaiseLineError(line, message);
}

int16_t LineReaders::currentDirection() const { return target_.set ? target_.direction : trainStart().CurDirection; }

TrainRec& LineReaders::record() const {
    if (!target_.set) return trains().at(showState().CurTrain);
    return target_.area != nullptr ? *target_.area : trains().at(target_.train);
}

int16_t LineReaders::ParseDirection(std::u16string_view text, int16_t current, int16_t allowRandom) {
    const std::u16string first = text.empty() ? std::u16string() : plat::ucase(text.substr(0, 1));
    const char16_t c = first.empty() ? 0 : first.front();
    switch (c) {
    case u'L':
    case u'B':
    case u'<': return -1;
    case u'R':
    case u'J':
    case u'>': return 1;
    case u'V':
    case u'T':
    case u'X':
    case u'C':
    case u'-':
        if (current != 0) return current < 0 ? 1 : -1;
        break;
    case u'+':
    case u'F':
    case u'A':
        if (current != 0) return current < 0 ? -1 : 1;
        break;
    default: break;
    }
    if (allowRandom == 0) return 0;
    const int32_t i = paramDraws().index(2, kDirectionSite);
    return i == 1 ? -1 : 1;
}

int32_t LineReaders::EvalPosition(std::u16string_view text, int32_t length, int32_t half, int32_t& dir,
                                  int32_t defaultPercent, int32_t defaultPosition) {
    std::u16string pos(text);
    std::u16string names;
    const int32_t eq = parser_.Look(pos, 1, EndOf(pos), u'=');
    if (eq > 0) {
        names = plat::ucase(plat::trim(std::u16string_view(pos).substr(static_cast<size_t>(eq))));
        pos = plat::rtrim(std::u16string_view(pos).substr(0, static_cast<size_t>(eq - 1)));
    }
    if (half == 0) half = length / 2;
    bool flip = false;
    if (pos.size() >= 2 && pos[0] == u'@' && (pos[1] == u'+' || pos[1] == u'-' || pos[1] == u'*')) {
        dir = pos[1] == u'+' ? 1 : pos[1] == u'-' ? -1 : 2;
        if (currentDirection() < 0) {
            if (dir != 2) dir = -dir;
            flip = true;
        }
        pos.erase(0, 2);
    } else if (!pos.empty() && (pos[0] == u'<' || pos[0] == u'>' || pos[0] == u'*')) {
        dir = pos[0] == u'<' ? -1 : pos[0] == u'>' ? 1 : 2;
        pos.erase(0, 1);
    }
    const int64_t base = dir == -1 ? 0 : dir == 1 ? length : half;
    double percent = defaultPercent;
    if (defaultPercent == kNoValue) percent = dir == -1 ? 15 : dir == 1 ? 85 : 50;

    int32_t absolute = 0;
    int32_t result = 0;
    if (pos.empty() && defaultPosition != kNoValue) {
        absolute = defaultPosition;
        result = defaultPosition;
    } else {
        double offset = 0;
        size_t sign = pos.find(u'+');
        if (sign != std::u16string::npos) {
            offset = parser_.EvalRelativeValue(std::u16string_view(pos).substr(sign + 1)).number();
            pos.erase(sign);
        } else if ((sign = pos.find(u'-')) != std::u16string::npos) {
            offset = -parser_.EvalRelativeValue(std::u16string_view(pos).substr(sign + 1)).number();
            pos.erase(sign);
        }
        const std::u16string rest = plat::ucase(plat::trim(pos));
        const NamedPosition* named = nullptr;
        if (!rest.empty()) named = FindNamed(record(), rest);
        double where = 0;
        if (named != nullptr) {
            where = named->Value + offset;
        } else {
            if (!rest.empty()) percent = parser_.EvalRelativeValue(rest).number();
            if (flip) {
                percent = 100 - percent;
                offset = -offset;
            }
            const int32_t width = record().Width;
            where = width * percent / 100 + offset;
        }
        // A position is a number of the script like any other: held before it is placed,
        // the end it names taken off included.
        const double left = where - static_cast<double>(base);
        if (!(std::abs(where) <= kMaxScriptNumber && std::abs(left) <= kMaxScriptNumber))
            RaiseAtLine(u"Position out of range: \"" + std::u16string(text) + u"\"");
        absolute = plat::clampToInt32(where);
        result = Clamp(int64_t{absolute} - base);
    }

    // Names of the list, separated by "=".
    size_t from = 0;
    for (int32_t guard = 0; from <= names.size() && guard <= static_cast<int32_t>(names.size()); ++guard) {
        size_t next = names.find(u'=', from);
        if (next == std::u16string::npos) next = names.size();
        std::u16string name = plat::trim(std::u16string_view(names).substr(from, next - from));
        from = next + 1;
        if (name.empty()) continue;
        int32_t value = absolute;
        switch (name.front()) {
        case u'<':
            value = result;
            name.erase(0, 1);
            break;
        case u'*':
            value = Clamp(int64_t{result} + half);
            name.erase(0, 1);
            break;
        case u'>':
            value = Clamp(int64_t{result} + length);
            name.erase(0, 1);
            break;
        default: break;
        }
        StoreNamed(record(), name, value);
    }
    return result;
}

int32_t LineReaders::GetStopPosition(int32_t total, int32_t reference) {
    int32_t dir = currentDirection();
    return EvalPosition(table_.GetParam(u"P", u""), total, reference, dir, kNoValue, kNoValue);
}

int32_t LineReaders::GetLimitedPosition(std::u16string_view aliases, int16_t sign, int32_t total, int32_t limitLeft,
                                        int32_t limitRight) {
    int32_t s = sign;
    int32_t p =
        EvalPosition(table_.GetParam(aliases, u""), total, total / 2, s, kNoValue, sign < 0 ? limitLeft : limitRight);
    if (s >= 0 && p < limitRight) p = limitRight;
    if (s < 0 && p > limitLeft) p = limitLeft;
    return p;
}

void LineReaders::ParsePointList(TrainRec& train, std::u16string_view text) {
    train.PointCount = 0;
    std::u16string list = plat::trim(text);
    if (list.size() >= 2 && list.front() == u'(' && list.back() == u')')
        list = plat::trim(std::u16string_view(list).substr(1, list.size() - 2));
    bool tooMany = false;
    int32_t pos = 1;
    const int32_t end = EndOf(list);
    // Each pass takes at least one character, so the walk ends.
    for (int32_t guard = 0; pos < end && guard < end; ++guard) {
        int32_t semi = parser_.Look(list, pos, end, u';');
        if (semi < 0) parser_.RaiseMessage(parser_.Text(u"PARMA"));
        if (semi == 0) semi = end;
        const std::u16string piece(
            std::u16string_view(list).substr(static_cast<size_t>(pos - 1), static_cast<size_t>(semi - pos)));
        pos = semi + 1;

        std::u16string name;
        std::u16string value = piece;
        const int32_t eq = parser_.Look(piece, 1, EndOf(piece), u'=');
        if (eq > 0) {
            name = plat::ucase(plat::trim(std::u16string_view(piece).substr(0, static_cast<size_t>(eq - 1))));
            value = piece.substr(static_cast<size_t>(eq));
        }
        // Unnamed points are never looked up by name, so any number of them is allowed.
        bool duplicate = false;
        for (int32_t i = 1; !name.empty() && i <= train.PointCount; ++i) {
            duplicate = duplicate || train.Points[static_cast<size_t>(i)].Name == name;
        }
        if (duplicate) {
            WriteErrorLog(u"Point " + name + u" multiple defined");
            continue;
        }
        if (train.PointCount + 1 >= kMaxPathPoints + 1) {
            if (!tooMany) WriteErrorLog(u"Too much points");
            tooMany = true;
            continue;
        }
        const int32_t n = ++train.PointCount;
        {
            PathPoint& p = train.Points[static_cast<size_t>(n)];
            p = PathPoint{};
            p.Name = name;
        }

        int32_t at = 1;
        const int32_t vend = EndOf(value);
        bool first = true;
        for (int32_t items = 0; at < vend && items < vend; ++items) {
            int32_t comma = parser_.Look(value, at, vend, u',');
            if (comma < 0) parser_.RaiseMessage(parser_.Text(u"PARMA"));
            if (comma == 0) comma = vend;
            std::u16string item = plat::trim(
                std::u16string_view(value).substr(static_cast<size_t>(at - 1), static_cast<size_t>(comma - at)));
            at = comma + 1;
            if (first) {
                first = false;
                PathPoint& p = train.Points[static_cast<size_t>(n)];
                p.Position = EvalPosition(item, 0, 0, p.Dir, 0, kNoValue);
                continue;
            }
            char16_t side = 0;
            if (!item.empty() && (item.front() == u'<' || item.front() == u'>')) {
                side = item.front();
                item.erase(0, 1);
            }
            std::u16string mode = u"B";
            std::u16string actions = item;
            const int32_t colon = parser_.Look(item, 1, EndOf(item), u':');
            if (colon > 0) {
                mode = plat::ucase(plat::trim(std::u16string_view(item).substr(0, static_cast<size_t>(colon - 1))));
                actions = plat::trim(std::u16string_view(item).substr(static_cast<size_t>(colon)));
            }
            const int32_t slot = PointSlot(mode);
            if (slot < 0) {
                WriteErrorLog(u"Unknown point mode: " + mode);
                break;
            }
            if (!actions.empty() && actions.front() == u'(') {
                if (actions.size() < 2 || actions.back() != u')') parser_.RaiseMessage(parser_.Text(u"PARMA"));
                actions = actions.substr(1, actions.size() - 2);
            }
            PathPoint& p = train.Points[static_cast<size_t>(n)];
            if (side != u'>') p.Texts[static_cast<size_t>(slot)] = actions;
            if (side != u'<') p.Texts[static_cast<size_t>(slot + 1)] = actions;
        }
    }
}

float LineReaders::GetParamNonZero(std::u16string_view aliases, float defaultValue, std::u16string_view defaultText) {
    float v = table_.GetParamNumber(aliases, 0);
    if (v == 0) v = defaultValue;
    if (v == 0) v = static_cast<float>(parser_.EvalRelativeValue(defaultText).number());
    if (v == 0) v = kSmallestRate;
    return v;
}

std::u16string LineReaders::GetStepText(std::u16string_view aliases, int32_t defaultValue) {
    const std::u16string s = plat::ucase(table_.GetParam(aliases, u""));
    if (s.empty()) return decimal(defaultValue);
    int32_t pos = 1;
    return parser_.ExpandRepeatList(s, pos, EndOf(s));
}

void LineReaders::FillStepTexts(int32_t n) {
    n = std::min(n, kStepTexts);
    for (int32_t k = 1; k <= n; ++k) {
        std::u16string text = GetStepText(u"T" + decimal(k), 5);
        // Fetched after the reading: a frame step during it may have grown the train table.
        trains().at(showState().CurTrain).StepText[static_cast<size_t>(k - 1)] = std::move(text);
    }
}

void LineReaders::ExpandFollowList(std::u16string_view text) {
    FollowBudget budget;
    ExpandFollow(text, 0, budget);
}

void LineReaders::RaiseAtLine(std::u16string_view message) {
    const int32_t line = trainStart().CurLine;
    if (line > 0) RaiseLineError(line, message);
    parser_.Raise(kErrMessage, std::u16string(message));
}

void LineReaders::ExpandFollow(std::u16string_view text, int32_t depth, FollowBudget& budget) {
    if (depth > kMaxFollowNesting) RaiseAtLine(u"FOLLOW nested too deeply: " + std::u16string(text));
    auto spend = [&](size_t units, std::u16string_view item) {
        budget.work += static_cast<int64_t>(units);
        if (budget.work > kMaxFollowWork) RaiseAtLine(u"FOLLOW list too long to expand: " + std::u16string(item));
    };
    spend(text.size() + 1, text);
    int32_t pos = 1;
    const int32_t end = EndOf(text);
    for (int32_t guard = 0; pos < end && guard < end; ++guard) {
        std::u16string item = parser_.GetNextToken(text, pos, end, u";");
        // A line end inside an item would split its composition in two behind the count's
        // back: it separates no more than a blank does.
        std::replace_if(
            item.begin(), item.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
        item = plat::trim(item);
        spend(item.size() + 1, item);
        const int32_t star = parser_.Look(item, 1, EndOf(item), u'*');
        if (star > 0) {
            const double count =
                parser_.EvalRelativeValue(std::u16string_view(item).substr(0, static_cast<size_t>(star - 1))).number();
            if (!(count <= kMaxFollowLines)) RaiseAtLine(u"FOLLOW repeat count too large: " + item);
            const int32_t times = plat::clampToInt32(count);
            const std::u16string rest = plat::trim(std::u16string_view(item).substr(static_cast<size_t>(star)));
            for (int32_t i = 0; i < times; ++i) ExpandFollow(rest, depth + 1, budget);
        } else if (!item.empty()) {
            if (item.find(u'|') != std::u16string::npos) item = parser_.PickWeightedAlternative(item);
            if (++budget.lines > kMaxFollowLines) {
                RaiseAtLine(u"FOLLOW gives more than " + decimal(kMaxFollowLines) + u" trains");
            }
            FollowList += item;
            FollowList += u'\r';
        }
        frameStep(kFollowSite);
    }
}

}  // namespace yov
