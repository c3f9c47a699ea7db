#include "program/stock/stock_search.h"

#include <optional>

#include "platform/like_match.h"
#include "platform/text.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/texts/program_error.h"
#include "program/core/windows/msgbox.h"
#include "program/core/windows/progress.h"
#include "program/stock/stock_input.h"
#include "program/stock/stock_window.h"
#include "program/stock/window_support.h"

namespace yov {

namespace {

constexpr int32_t kInvalidPattern = 93;
constexpr int32_t kActionBits = 15;
constexpr uint8_t kCountMatching = 2;
constexpr uint8_t kCountOthers = 3;

// The letter at position v + 1 of a letter string; empty past its end.
std::u16string letterAt(const std::u16string& letters, int32_t v) {
    if (v < 0 || static_cast<size_t>(v) >= letters.size()) return {};
    return std::u16string(1, letters[static_cast<size_t>(v)]);
}

bool slotInUse(const StockWindow& w) {
    return w.Slot >= 1 && w.Slot <= kStockSlots && programState().WindowTable[static_cast<size_t>(w.Slot)].inUse != 0;
}

class Criterion {
public:
    explicit Criterion(const SearchCriterion& c) : c_(c) {
        if (c.Count != 0 && c.Code == search_code::kName) {
            pattern_ = plat::LikePattern::parse(c.NamePattern);
            if (!pattern_) throw ProgramError(kInvalidPattern, u"Invalid pattern string");
        }
    }

    bool counts(const StockEntry& e) const {
        if (c_.Count == 0) return true;
        const bool match = matches(e);
        return c_.Mode == kCountMatching ? match : (c_.Mode == kCountOthers && !match);
    }

private:
    bool matches(const StockEntry& e) const {
        switch (c_.Code) {
        case search_code::kAll: return true;
        case search_code::kName: return pattern_->matches(e.Name);
        case search_code::kType: return c_.TypeLetter == std::u16string_view(&e.TypeLetter, 1);
        case search_code::kWay: return c_.WayLetter == std::u16string_view(&e.WayLetter, 1);
        case search_code::kAuthor: return c_.MarkedAuthor >= 0 && e.Author == c_.MarkedAuthor;
        default: return false;
        }
    }

    const SearchCriterion& c_;
    std::optional<plat::LikePattern> pattern_;
};

}  // namespace

void SetStockOption(StockWindow& window, int32_t word, int32_t value) {
    SearchCriterion& c = searchCriterion();
    const auto code = static_cast<uint8_t>(word & 0xFF);
    if (code == search_code::kName) {
        // A question left empty changes nothing, so that F3 afterwards asks again rather than
        // repeat a criterion that was never completed.
        const std::u16string answer = window.view().askPattern();
        if (answer.empty()) return;
        c.NamePattern = plat::ucase(answer);
    }
    c.Count = code == search_code::kAll ? 0 : 1;
    if (code == search_code::kType) c.TypeLetter = letterAt(programState().tables.ColorLetters, value);
    if (code == search_code::kWay) c.WayLetter = letterAt(programState().tables.TypeCodeLetters, value);
    if (code == search_code::kAuthor) {
        const int32_t authors = programState().Shared.AuthorCount;
        c.MarkedAuthor = value >= 0 && value <= authors ? value : -1;
    }
    c.Code = code;
    c.Mode = (word & search_action::kNotMatching) != 0 ? kCountOthers : kCountMatching;
    StockItemCmd(window, (word / 256) & kActionBits);
}

void StockItemCmd(StockWindow& window, int32_t command) {
    ProgramState& st = programState();
    const bool backwards = (command & search_action::kBackwards) != 0;
    const int32_t action = command & 0xFF;
    try {
        const int32_t n = st.Shared.StockCount;
        progressDisplay().SetProgressText(u"SPR", u"", n);
        if (!slotInUse(window)) {
            // The window that asked has gone meanwhile.
            if (action == search_action::kFind) window.view().beep();
            return;
        }
        const auto bit = static_cast<uint16_t>(window.SelectionBit);
        int32_t cur = window.ActIndex();
        if (cur <= 0 || cur > n) cur = 1;
        const Criterion criterion(searchCriterion());
        st.Shared.CancelLoad = 0;
        int32_t e = 0;
        for (int32_t i = 0; i < n; ++i) {
            if (st.Shared.CancelLoad != 0) return;
            // The entry after (before) the active one first; the active one is tested last.
            e = backwards ? ((cur - i - 2 + n) % n) + 1 : ((cur + i) % n) + 1;
            progressDisplay().StepProgress(e);
            if (!st.Arrays.Stock.has(e)) break;
            StockEntry& entry = st.Arrays.Stock[e];
            if (!criterion.counts(entry)) continue;
            if (action == search_action::kFind) break;
            if (action == search_action::kSelect) entry.SelectMask |= bit;
            if (action == search_action::kDeselect) entry.SelectMask &= static_cast<uint16_t>(~bit);
        }
        if (st.Shared.CancelLoad != 0) return;
        if (action == search_action::kFind) {
            FindNext(window, e);
        } else if (action == search_action::kSelect || action == search_action::kDeselect) {
            serviceState().RefreshCountdown[static_cast<size_t>(window.Slot)] = kRedrawTicks;
        }
    } catch (const ProgramError& e) {
        if (e.number() == error_number::kReported) throw;
        ShowMsgBox(e.description(), msgbox::kOk, GetText(u"ESCRH", u"Error during search"));
    } catch (...) {
        const PendingError e = currentPendingError();
        ShowMsgBox(e.description, msgbox::kOk, GetText(u"ESCRH", u"Error during search"));
    }
}

}  // namespace yov
