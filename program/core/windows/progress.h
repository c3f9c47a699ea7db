// The progress window's logic: up to three lines of text while long work runs.
//
// Two users share the one window, one at a time: the label progress (stock loading, the
// picture cache) sets the lines itself and pumps messages at most once a second; the
// counted progress (the stock browser's long commands) shows a title, a detail and a
// running count, redrawn at most every 200 ms once open. The window itself is a
// ProgressView (ShowFrm in the program, a recording fake in tests).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace yov {

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void setLine(int line, const std::u16string& text) = 0;  // line 1..3
    virtual int textWidthPx(const std::u16string& text) const = 0;
    virtual int widthPx() const = 0;
    virtual int screenWidthPx() const = 0;
    // Centres the window on the screen with that width; the height stays.
    virtual void centreWithWidth(int widthPx) = 0;
    virtual bool isShown() const = 0;
    virtual void showModeless() = 0;
    // Shows the window modally (ShowModal); returns once it is hidden.
    virtual void showModal() = 0;
    virtual void hide() = 0;
    virtual void repaint() = 0;
};

// What the progress window's logic runs on besides the window and the program's clock (its
// tick count and event pump): making the window and the busy pointer. ShowFrm's own in the
// program, a fake in tests.
class ProgressEnv {
public:
    virtual ~ProgressEnv() = default;
    virtual std::unique_ptr<ProgressView> makeView() = 0;
    virtual void setBusyPointer(bool busy) = 0;
};

// 300 and 3600 twips at the fixed 15 twips per pixel.
inline constexpr int kProgressPaddingPx = 300 / 15;
inline constexpr int kProgressMinWidthPx = 3600 / 15;
inline constexpr uint32_t kLabelPumpIntervalMs = 1001;
inline constexpr uint32_t kCountedOpenIntervalMs = 200;
inline constexpr uint32_t kCountedFirstIntervalMs = 400;

class ProgressDisplay {
public:
    explicit ProgressDisplay(std::unique_ptr<ProgressEnv> env);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // Non-zero: no progress window is shown by the label progress (a show starts or runs).
    int32_t Suppress = 0;

    void ShowProgress(std::u16string_view text1, std::u16string_view text2 = {}, std::u16string_view text3 = {});
    // Note the order: the first argument is the second line.
    void BeginProgress(std::u16string_view text2, std::u16string_view text1 = {}, std::u16string_view text3 = {},
                       bool modal = false);
    void EndProgress();

    void SetProgressText(std::u16string_view titleKey, std::u16string_view detailKey, int32_t total);
    void SetProgressTitle(std::u16string_view key);
    void SetProgressDetail(std::u16string_view key, int32_t total);
    void StepProgress(int32_t stockIndex);
    void UpdateProgressWindow();
    void RefreshProgressWindow();

    bool labelVisible() const { return labelVisible_; }
    bool countedOpen() const { return open_; }
    int32_t counter() const { return counter_; }
    const std::u16string& thirdLine() const { return lines_[2]; }
    const std::u16string& detailLine() const { return lines_[1]; }
    ProgressView* view() const { return view_.get(); }
    // The window, made when it does not exist yet.
    ProgressView& ensureView();

private:
    uint32_t now() const;
    uint32_t engineTick() const;
    void pump();

    std::unique_ptr<ProgressEnv> env_;
    std::unique_ptr<ProgressView> view_;
    bool busy_ = false;

    // Label progress.
    bool labelVisible_ = false;
    uint32_t lastPump_ = 0;

    // Counted progress: title, detail and third line with their widths (0 = measure again).
    std::array<std::u16string, 3> lines_;
    std::array<int, 3> widths_{};
    int32_t counter_ = 0;
    int32_t total_ = 0;
    uint32_t lastUpdate_ = 0;
    bool open_ = false;
    int lastWidth_ = 0;
};

// The program's progress window (ShowFrm), made on first use.
ProgressDisplay& progressDisplay();

}  // namespace yov
