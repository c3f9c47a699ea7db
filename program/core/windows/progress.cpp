#include "program/core/windows/progress.h"

#include <algorithm>
#include <utility>

#include "lumvatek/shared.h"
#include "program/core/texts/lang_texts.h"
#include "program/core/startup/program_clock.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/number_text.h"
#include "program/core/startup/upper_calls.h"

namespace yov {

namespace {

std::u16string countText(int32_t counter, int32_t total) {
    std::u16string s = decimal(counter);
    if (total != 0) s += u" / " + decimal(total);
    return s;
}

// The name of stock entry i (1-based) for a progress line, empty outside the table.
std::u16string stockEntryName(int32_t index) {
    const ProgramState& st = programState();
    return index >= 1 && index <= st.Shared.StockCount && st.Arrays.Stock.has(index) ? st.Arrays.Stock[index].Name
                                                                                     : std::u16string();
}

}  // namespace

ProgressDisplay::ProgressDisplay(std::unique_ptr<ProgressEnv> env) : env_(std::move(env)) {}

ProgressDisplay::~ProgressDisplay() {
    if (busy_) env_->setBusyPointer(false);
}

ProgressView& ProgressDisplay::ensureView() {
    if (!view_) view_ = env_->makeView();
    return *view_;
}

uint32_t ProgressDisplay::now() const { return programClock().tickCount(); }

uint32_t ProgressDisplay::engineTick() const {
    return static_cast<uint32_t>(programState().Shared.LastTickMs.load(std::memory_order_relaxed));
}

void ProgressDisplay::pump() { programClock().pumpEvents(); }

void ProgressDisplay::ShowProgress(std::u16string_view text1, std::u16string_view text2, std::u16string_view text3) {
    if (Suppress != 0) return;
    if (upperCalls().hideTip != nullptr) upperCalls().hideTip();
    ProgressView& view = ensureView();
    const std::array<std::u16string, 3> texts = {std::u16string(text1), std::u16string(text2), std::u16string(text3)};
    int widest = 0;
    for (int i = 0; i < 3; ++i) {
        if (!texts[i].empty()) view.setLine(i + 1, texts[i]);
        widest = std::max(widest, view.textWidthPx(texts[i]));
    }
    int width = std::max(widest + kProgressPaddingPx, kProgressMinWidthPx);
    if (view.isShown()) width = std::max(width, view.widthPx());
    view.centreWithWidth(width);
    if (view.isShown()) {
        const uint32_t t = now();
        if (t - lastPump_ < kLabelPumpIntervalMs) {
            view.repaint();
        } else {
            pump();
            lastPump_ = t;
        }
    }
}

void ProgressDisplay::BeginProgress(std::u16string_view text2, std::u16string_view text1, std::u16string_view text3,
                                    bool modal) {
    if (Suppress != 0) return;
    programState().Shared.CancelLoad = 0;
    ShowProgress(text1, text2, text3);
    if (!busy_) env_->setBusyPointer(true);
    busy_ = true;
    ProgressView& view = ensureView();
    if (modal) {
        labelVisible_ = true;
        view.showModal();
        labelVisible_ = false;
    } else if (!labelVisible_) {
        labelVisible_ = true;
        view.showModeless();
        pump();
        lastPump_ = now();
    } else {
        view.repaint();
    }
}

void ProgressDisplay::EndProgress() {
    if (programState().run.BatchMode != 0) return;  // the show presents through DirectDraw: no window was shown
    if (!labelVisible_) return;
    if (view_) {
        view_->hide();
        for (int line = 1; line <= 3; ++line) view_->setLine(line, {});
    }
    // The lines are empty now; a counted progress must write its texts afresh.
    widths_ = {};
    if (busy_) env_->setBusyPointer(false);
    busy_ = false;
    labelVisible_ = false;
    open_ = false;
    pump();
}

void ProgressDisplay::SetProgressText(std::u16string_view titleKey, std::u16string_view detailKey, int32_t total) {
    if (!titleKey.empty()) SetProgressTitle(titleKey);
    SetProgressDetail(detailKey, total);
    lastUpdate_ = engineTick();
}

void ProgressDisplay::SetProgressTitle(std::u16string_view key) {
    lines_[0] = GetText(key);
    widths_[0] = 0;
}

void ProgressDisplay::SetProgressDetail(std::u16string_view key, int32_t total) {
    lines_[1] = GetText(key);
    widths_[1] = 0;
    counter_ = 0;
    total_ = total;
    if (open_) UpdateProgressWindow();
}

void ProgressDisplay::StepProgress(int32_t stockIndex) {
    ++counter_;
    const uint32_t t = engineTick();
    const uint32_t elapsed = (t - lastUpdate_) & 0x7FFFFFFFu;
    if (elapsed <= (open_ ? kCountedOpenIntervalMs : kCountedFirstIntervalMs)) return;
    const std::u16string count = countText(counter_, total_);
    const std::u16string name = stockEntryName(stockIndex);
    if (!lines_[1].empty()) {
        lines_[2] = count + u"  " + name;
    } else {
        lines_[1] = name;
        widths_[1] = 0;
        lines_[2] = count;
    }
    widths_[2] = 0;
    lastUpdate_ = t;
    UpdateProgressWindow();
}

void ProgressDisplay::UpdateProgressWindow() {
    ProgressView& view = ensureView();
    for (int i = 0; i < 3; ++i) {
        if (widths_[i] != 0) continue;
        widths_[i] = view.textWidthPx(lines_[i]) + kProgressPaddingPx;
        view.setLine(i + 1, lines_[i]);
    }
    int width = std::max({kProgressMinWidthPx, widths_[0], widths_[1], widths_[2]});
    width = std::min(width, view.screenWidthPx());
    if (!(open_ && lastWidth_ >= width)) {
        view.centreWithWidth(width);
        lastWidth_ = width;
        if (!open_) {
            view.showModeless();
            open_ = true;
        }
    }
    view.repaint();
    pump();
}

void ProgressDisplay::RefreshProgressWindow() {
    if (!open_) return;
    if (view_) view_->hide();
    open_ = false;
}

}  // namespace yov
