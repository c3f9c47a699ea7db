// A show window that does nothing: a test derives from it and overrides only what it watches.
#pragma once

#include "program/show_data/show_view.h"

namespace show_test {

class QuietShowView : public yov::ShowView {
public:
    LvWindow handle() const override { return 0; }
    plat::HDC screenDc() const override { return {}; }
    void setBackgroundColour(uint32_t) override {}
    void placeOverScreen(bool, int32_t, int32_t) override {}
    void clearAndShow() override {}
    void innerSize(int32_t& width, int32_t& height) const override { width = height = 0; }
    void setFrameSize(int32_t, int32_t) override {}
    bool hideCursor() override { return true; }
    void showCursor() override {}
    int32_t showFontHeight() override { return 0; }
    void closeFromProgram() override {}
};

}  // namespace show_test
