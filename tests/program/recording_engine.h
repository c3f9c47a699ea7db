// An engine that stands in for the library's start, shutdown, picture cache, window slots, menus,
// colour tables, stock index and version, and writes each of these calls as a line of text ("CloseLib32 77",
// "EnableMenu 5265 1") to a trace, so that a test sees what the program asked of the engine and
// in which order. Every other call goes on to the engine it replaced; so does a call named in
// passOn, after its line is written.
#pragma once

#include <algorithm>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "lumvatek/shared.h"
#include "platform/codepage.h"
#include "engine_fake.h"

namespace engine_test {

class RecordingEngine : public EngineFake {
public:
    RecordingEngine() : trace_(&own_) {}
    // Writes into a trace of the test's own, beside lines of its other doubles.
    explicit RecordingEngine(std::vector<std::string>& trace) : trace_(&trace) {}

    const std::vector<std::string>& calls() const { return *trace_; }
    // The lines of one call ("EnableMenu 5264 0" of "EnableMenu").
    std::vector<std::string> callsOf(const std::string& name) const {
        std::vector<std::string> lines;
        for (const std::string& line : *trace_)
            if (line == name || line.rfind(name + " ", 0) == 0) lines.push_back(line);
        return lines;
    }
    void clear() { trace_->clear(); }

    std::set<std::string> passOn;    // these calls go on to the engine as well; "*" every call
    std::string version = "4.3.8F";  // GetDLLVersion
    int32_t stockIndex = 0;          // LookStockIdx's answer
    int32_t cacheResult = 0;         // OpenCache's answer
    LvWindow openedWindow = 0;       // of the last OpenFrm, with its limits
    FormLimits openedLimits{};
    std::string failing;  // the call that throws std::runtime_error after its line

    LvResult InitDLL(LvInstance instance, LvEventProc onEvent, LvRandomProc random, SharedState* shared,
                     LvArrayDesc* stockEntries, LvArrayDesc* stockFiles, LvArrayDesc* authors, LvArrayDesc* libInfos,
                     LvArrayDesc* categories, LvArrayDesc* languages, LvArrayDesc* texts, LvArrayDesc* descKeys,
                     LvArrayDesc* descValues, LvArrayDesc* descTexts) override {
        if (!record("InitDLL", "InitDLL")) return 0;
        return next().InitDLL(instance, onEvent, random, shared, stockEntries, stockFiles, authors, libInfos,
                              categories, languages, texts, descKeys, descValues, descTexts);
    }
    LvResult CloseDLL() override { return record("CloseDLL", "CloseDLL") ? next().CloseDLL() : 0; }
    LvResult OpenCache(int32_t mode, const char* name) override {
        const std::string line = "OpenCache " + std::to_string(mode) + " " + name;
        return record("OpenCache", line) ? next().OpenCache(mode, name) : cacheResult;
    }
    LvResult OpenFrm(int16_t slot, LvWindow window, const FormLimits* limits) override {
        openedWindow = window;
        openedLimits = *limits;
        return record("OpenFrm", "OpenFrm " + std::to_string(slot)) ? next().OpenFrm(slot, window, limits) : 0;
    }
    LvResult CloseFrm(int32_t slot) override {
        return record("CloseFrm", "CloseFrm " + std::to_string(slot)) ? next().CloseFrm(slot) : 0;
    }
    LvResult CloseCache() override { return record("CloseCache", "CloseCache") ? next().CloseCache() : 0; }
    LvResult CloseLib32(LvHandle module) override {
        return record("CloseLib32", "CloseLib32 " + std::to_string(module)) ? next().CloseLib32(module) : 0;
    }
    void DeleteSurface(LvHandle* surface) override {
        if (record("DeleteSurface", "DeleteSurface " + std::to_string(*surface))) next().DeleteSurface(surface);
    }
    LvResult GetDLLVersion(char* buffer, int32_t capacity) override {
        if (record("GetDLLVersion", "GetDLLVersion")) return next().GetDLLVersion(buffer, capacity);
        const int32_t n = std::min(static_cast<int32_t>(version.size()), capacity);
        std::memcpy(buffer, version.data(), static_cast<size_t>(n));
        return n;
    }
    LvResult SetMenuTxt(const char* text) override {
        return record("SetMenuTxt", "SetMenuTxt " + std::string(text)) ? next().SetMenuTxt(text) : 0;
    }
    LvResult SetMenuItem(int32_t menu, int32_t position, const char* caption, int32_t identifier) override {
        const std::string line = "SetMenuItem " + std::to_string(menu) + "." + std::to_string(position) + " " +
                                 caption + " " + std::to_string(identifier);
        return record("SetMenuItem", line) ? next().SetMenuItem(menu, position, caption, identifier) : 0;
    }
    LvResult CheckItem(int32_t menu, int32_t position, int32_t on) override {
        const std::string line =
            "CheckItem " + std::to_string(menu) + "." + std::to_string(position) + " " + std::to_string(on);
        return record("CheckItem", line) ? next().CheckItem(menu, position, on) : 0;
    }
    LvResult EnableMenu(int32_t identifier, int32_t on) override {
        const std::string line = "EnableMenu " + std::to_string(identifier) + " " + std::to_string(on);
        return record("EnableMenu", line) ? next().EnableMenu(identifier, on) : 0;
    }
    LvResult SetXColMethod(int32_t method, int32_t red, int32_t green, int32_t blue) override {
        const std::string line = "SetXColMethod " + std::to_string(method) + " " + std::to_string(red) + "," +
                                 std::to_string(green) + "," + std::to_string(blue);
        return record("SetXColMethod", line) ? next().SetXColMethod(method, red, green, blue) : 0;
    }
    // The tables by the entries 0, 1 and 255 of each.
    LvResult SetXColor(const uint8_t* red, const uint8_t* green, const uint8_t* blue) override {
        std::string line = "SetXColor";
        for (const uint8_t* table : {red, green, blue})
            line += " " + std::to_string(table[0]) + "/" + std::to_string(table[1]) + "/" + std::to_string(table[255]);
        return record("SetXColor", line) ? next().SetXColor(red, green, blue) : 0;
    }
    void PrepareLookStock(const LvArrayDesc* stockTable, int32_t count) override {
        if (record("PrepareLookStock", "PrepareLookStock " + std::to_string(count)))
            next().PrepareLookStock(stockTable, count);
    }
    LvResult LookStockIdx(const char16_t* name) override {
        if (record("LookStockIdx", "LookStockIdx " + plat::utf16ToUtf8(LvTextString(name))))
            return next().LookStockIdx(name);
        return stockIndex;
    }

private:
    // Writes the line; true when the call goes on to the library.
    bool record(const std::string& name, const std::string& line) {
        trace_->push_back(line);
        if (name == failing) throw std::runtime_error(name + " failed");
        return passOn.count(name) != 0 || passOn.count("*") != 0;
    }

    std::vector<std::string> own_;
    std::vector<std::string>* trace_;
};

}  // namespace engine_test
