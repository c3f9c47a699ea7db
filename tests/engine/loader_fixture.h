// The engine bound as the program binds it (InitDLL with a callback), with the events it
// raises recorded, for the tests of picture loading and drawing.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/cache/cache.h"
#include "engine/pictures/current_picture.h"
#include "engine/base/events.h"
#include "engine/pictures/loader.h"
#include "lumvatek/exports.h"
#include "lumvatek/shared.h"

namespace loadertest {

inline const std::string kGifDir = std::string(YOV_TEST_DATA) + "/gif/";
inline const std::string kBmpDir = std::string(YOV_TEST_DATA) + "/bmpsuite/g/";
// Made by tools/make_resource_fixtures.py.
inline const std::string kResDir = std::string(YOV_TEST_DATA) + "/resources/";

// What the callback saw: event 204 with its thread, and the allocation reports with the
// record they came on.
struct EventLog {
    std::mutex mutex;
    int waits = 0;
    std::vector<std::thread::id> waitThreads;
    std::vector<const DllEventRec*> allocRecordsOffMain;  // 211/212 raised off the main thread
    std::thread::id mainThread;
    // Runs inside each event 204 (on the main thread), when set.
    std::function<void()> onWait;
};

inline EventLog& Log() {
    static EventLog log;
    return log;
}

inline int32_t RecordEvent(DllEventRec* record) noexcept {
    EventLog& log = Log();
    if (record->Code == lv_event::kWait) {
        std::function<void()> action;
        {
            std::lock_guard hold(log.mutex);
            ++log.waits;
            log.waitThreads.push_back(std::this_thread::get_id());
            action = log.onWait;
        }
        if (action) action();
    } else if (record->Code == lv_event::kAlloc || record->Code == lv_event::kFree) {
        if (std::this_thread::get_id() != log.mainThread) {
            std::lock_guard hold(log.mutex);
            log.allocRecordsOffMain.push_back(record);
        }
    }
    return 0;
}

// InitDLL in SetUp (the loader thread runs), CloseCache and CloseDLL in TearDown.
class BoundEngine : public ::testing::Test {
protected:
    void SetUp() override {
        EventLog& log = Log();
        {
            std::lock_guard hold(log.mutex);
            log.waits = 0;
            log.waitThreads.clear();
            log.allocRecordsOffMain.clear();
            log.onWait = nullptr;
            log.mainThread = std::this_thread::get_id();
        }
        ASSERT_EQ(InitDLL(0, &RecordEvent, nullptr, &shared_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr),
                  0);
    }
    void TearDown() override {
        CloseCache();
        CloseDLL();
        lvk::SetLoadStartHook(nullptr);
        std::lock_guard hold(Log().mutex);
        Log().onWait = nullptr;
    }
    static void OnWait(std::function<void()> action) {
        std::lock_guard hold(Log().mutex);
        Log().onWait = std::move(action);
    }
    static int Waits() {
        std::lock_guard hold(Log().mutex);
        return Log().waits;
    }

    SharedState shared_;
};

// The result of a LookPicture with its three outputs.
struct Looked {
    int32_t result = 0;
    int16_t width = -1;
    int16_t height = -1;
    int32_t offset = -1;
};

inline Looked Look(const std::string& name, int32_t flags = 0, LvHandle module = 0) {
    Looked l;
    l.result = LookPicture(name.c_str(), module, &l.width, &l.height, &l.offset, flags);
    return l;
}

// An uncompressed 8-bit BMP file of palette indices (rows top first).
inline void WriteBmp8(const std::string& path, const std::vector<uint32_t>& paletteRgb,
                      const std::vector<std::vector<uint8_t>>& rows) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    const int stride = (w + 3) & ~3;
    const uint32_t table = static_cast<uint32_t>(paletteRgb.size()) * 4;
    const uint32_t bitsAt = 14 + 40 + table;
    std::vector<uint8_t> f(bitsAt + static_cast<size_t>(stride) * h, 0);
    auto put32 = [&f](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
    auto put16 = [&f](size_t at, uint16_t v) { std::memcpy(f.data() + at, &v, 2); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, bitsAt);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    put16(26, 1);
    put16(28, 8);
    put32(46, static_cast<uint32_t>(paletteRgb.size()));
    for (size_t i = 0; i < paletteRgb.size(); ++i) {
        f[54 + 4 * i] = static_cast<uint8_t>(paletteRgb[i]);            // blue
        f[54 + 4 * i + 1] = static_cast<uint8_t>(paletteRgb[i] >> 8);   // green
        f[54 + 4 * i + 2] = static_cast<uint8_t>(paletteRgb[i] >> 16);  // red
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(f.data() + bitsAt + static_cast<size_t>(h - 1 - y) * stride, rows[static_cast<size_t>(y)].data(),
                    static_cast<size_t>(w));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
}

}  // namespace loadertest
