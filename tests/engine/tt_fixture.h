// Helpers for the timetable reader's tests: texts in the shared-string layout, a line
// buffer, and reading a whole source into its lines.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/base/engine_state.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace tt_test {

// A text in the shared-string layout that frees itself.
class LvText {
public:
    LvText() : text_(LvTextAlloc(u"", 0)) {}
    explicit LvText(const std::u16string& s) : text_(LvTextAlloc(s)) {}
    // A buffer of capacity characters.
    static LvText Buffer(int32_t capacity) { return LvText(std::u16string(static_cast<size_t>(capacity), u'\0')); }
    ~LvText() { LvTextFree(text_); }
    LvText(LvText&& o) noexcept : text_(o.text_) { o.text_ = nullptr; }
    LvText& operator=(LvText&& o) noexcept {
        std::swap(text_, o.text_);
        return *this;
    }
    LvText(const LvText&) = delete;
    char16_t* get() const { return text_; }
    char16_t** variable() { return &text_; }
    std::u16string str() const { return LvTextString(text_); }

private:
    char16_t* text_;
};

inline std::u16string U(const std::string& s) {
    std::u16string u;
    for (unsigned char c : s) u += static_cast<char16_t>(c);
    return u;
}
inline std::string A(const std::u16string& u) {
    std::string s;
    for (char16_t c : u) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

struct ReadResult {
    std::vector<std::string> lines;
    int32_t code = 0;  // the negative result that ended the reading
};

// GetTtLine until a negative result (at most maxLines lines).
inline ReadResult ReadAll(int32_t capacity = 1024, int maxLines = 1000) {
    ReadResult r;
    LvText buffer = LvText::Buffer(capacity);
    for (int i = 0; i < maxLines; ++i) {
        int32_t value = 0, line = 0;
        const int32_t n = GetTtLine(buffer.get(), &value, &line);
        if (n < 0) {
            r.code = n;
            return r;
        }
        r.lines.push_back(A(std::u16string(buffer.get(), static_cast<size_t>(n))));
    }
    return r;
}

struct Position {
    int32_t result = -1, kind = 0, line = 0, column = 0, param = 0;
    std::string name;
};
inline Position PositionAt(int32_t level) {
    Position p;
    char16_t name[300];
    p.result = GetTtPosition(level, &p.kind, name, 300, &p.line, &p.column, &p.param);
    if (p.result >= 0) p.name = A(std::u16string(name, static_cast<size_t>(p.result)));
    return p;
}

// A scratch file under the test's temporary folder.
inline std::string WriteFile(const std::string& name, const std::string& bytes) {
    const auto dir = std::filesystem::temp_directory_path() / ("yov_tt_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// A test with the reader started on a shared record of its own, and finished after.
template <class Base = ::testing::Test>
class ReaderTest : public Base {
protected:
    void SetUp() override {
        lvk::BindShared(&shared_, nullptr);
        InitTtRead();
    }
    void TearDown() override {
        FinishTtRead();
        lvk::BindShared(nullptr, nullptr);
    }
    SharedState shared_;
};

}  // namespace tt_test
