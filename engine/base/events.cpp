#include "engine/base/events.h"

#include "platform/codepage.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace lvk {
namespace {

// One text buffer: 2 unread bytes, the 32-bit byte length, the characters and a 0.
struct EventText {
    char16_t units[1040] = {};
    char16_t* chars() { return units + 3; }
    void setLength(int32_t n) {
        const int32_t bytes = n * 2;
        std::memcpy(units + 1, &bytes, sizeof bytes);
        units[3 + n] = 0;
    }
};
static_assert(sizeof(EventText) == 2080);

std::atomic<LvEventCallback> g_callback{nullptr};
DllEventRec g_record;
EventText g_texts[3];

// Allocation reports carry no text; their record points at an empty one of its own so that
// a program reading any field finds something valid.
struct AllocRecord {
    EventText empty;
    DllEventRec rec;
    AllocRecord() {
        empty.setLength(0);
        rec.Text1 = rec.Text2 = rec.Text3 = empty.chars();
    }
};

EventText& textBuffer(int which) { return g_texts[(which < 1 || which > 3) ? 0 : which - 1]; }

}  // namespace

void SetEventCallback(LvEventCallback callback) { g_callback.store(callback, std::memory_order_release); }
LvEventCallback EventCallback() { return g_callback.load(std::memory_order_acquire); }

void InitEventRecord() {
    for (EventText& t : g_texts) t.setLength(0);
    g_record.Text1 = g_texts[0].chars();
    g_record.Text2 = g_texts[1].chars();
    g_record.Text3 = g_texts[2].chars();
}

DllEventRec& MainEvent() {
    if (g_record.Text1 == nullptr) InitEventRecord();
    return g_record;
}

// 8-bit texts crossing to the program are UTF-8 (the tables are ASCII; file names and
// messages may not be).
void SetEventText(int which, std::string_view text) {
    SetEventText(which, std::u16string_view(plat::utf8ToUtf16(text)));
}

void SetEventText(int which, const char* text) {
    SetEventText(which, text == nullptr ? std::string_view() : std::string_view(text));
}

void SetEventText(int which, std::u16string_view text) {
    MainEvent();
    EventText& t = textBuffer(which);
    const size_t n = std::min<size_t>(text.size(), kEventTextMax);
    if (n > 0) std::memcpy(t.chars(), text.data(), n * sizeof(char16_t));
    t.setLength(static_cast<int32_t>(n));
}

int32_t RaiseEvent(int16_t code) {
    LvEventCallback cb = EventCallback();
    if (cb == nullptr) return 0;
    DllEventRec& rec = MainEvent();
    rec.Code = code;
    return cb(&rec);
}

int32_t RaiseMessage(const char* format, ...) {
    if (!HasEventCallback()) return 0;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    SetEventText(1, buffer);
    return RaiseEvent(lv_event::kMessage);
}

void RaiseAllocEvent(int16_t code, int32_t arg1, int32_t arg2, int32_t arg3) {
    LvEventCallback cb = EventCallback();
    if (cb == nullptr) return;
    thread_local AllocRecord own;
    DllEventRec& rec = own.rec;
    rec.Code = code;
    rec.Arg1 = arg1;
    rec.Arg2 = arg2;
    rec.Arg3 = arg3;
    rec.Arg4 = 0;
    cb(&rec);
}

}  // namespace lvk
