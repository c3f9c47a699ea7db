// The program's script reader over small scripts written into a scratch folder, with the
// real engine reader behind it; the stock the script names is watched, not loaded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/installed.h"
#include "program/scene/script_reader.h"
#include "program/scene/script_reader_calls.h"
#include "program/core/binding/engine_events.h"

namespace script_test {

inline int32_t NoEvents(DllEventRec*) noexcept { return 0; }

// The program's services for a read, but the stock is only named and counted, and the picture
// cache stays as it is.
class WatchedStock : public yov::ScriptReadServices {
public:
    void nameStock(const std::u16string& name) override { named = name; }
    void loadStock() override { ++loads; }
    void openPictureCache() override {}

    std::u16string named;
    int loads = 0;
};

class ScriptTest : public core_test::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        auto& t = core_test::defaultTexts();
        for (const auto& [key, text] : std::initializer_list<std::pair<const char16_t*, const char16_t*>>{
                 {u"NOTR", u"The script has no lines to run"},
                 {u"PATE", u"Path outside a scene"},
                 {u"POLE", u"Pool outside a group, section, scene or path"},
                 {u"ESEC", u"End of section without a section"},
                 {u"EPOOL", u"End of pool without a pool"},
                 {u"EPAT", u"End of path without a path"},
                 {u"ELIN", u"End of line without a line"},
                 {u"EGRP", u"End of group without a group"},
                 {u"ESCE", u"End of scene without a scene"},
                 {u"MDEF", u"%1 is defined twice"},
                 {u"NPOOL", u"Pool without a name"},
                 {u"PRGV", u"This script needs program version %1"},
                 {u"DLLV", u"This script needs library version %1"},
                 {u"UFIN", u"Unknown finish mode %1"},
                 {u"UYD", u"Unknown drawing direction %1"},
                 {u"ILSEQ", u"Illegal %2 value %1"},
                 {u"IFL", u"in %1 line %2"}}) {
            t[key] = text;
        }
        ASSERT_EQ(yov::InitEngineOnProgramArrays(&NoEvents, nullptr), 0);
        // Case tables call SetUp again inside a test: the services to put back are those from
        // before the first call, not this fixture's own.
        if (!installed_) saved_ = yov::Installed<yov::ScriptReadServices>();
        installed_ = true;
        yov::Installed<yov::ScriptReadServices>() = &stock_;
        reader().S.RandomSeed = 0;
    }
    void TearDown() override {
        if (installed_) yov::Installed<yov::ScriptReadServices>() = saved_;
        installed_ = false;
        yov::lv::MacFree();
        yov::lv::CloseDLL();
        CoreTest::TearDown();
    }

    static yov::ScriptReader& reader() { return yov::scriptReader(); }
    const yov::SceneScript& S() const { return yov::scriptReader().S; }

    // Writes a script (lines joined by line feeds) and returns its path.
    std::string write(const std::string& name, const std::vector<std::string>& lines) {
        const std::string path = folder() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines) out << l << "\n";
        return path;
    }
    bool read(const std::string& path, uint8_t header = 0) {
        boxes_.clear();
        return reader().ReadScript(core_test::u16(path), header) != 0;
    }
    std::string reported() const { return boxes_.empty() ? std::string() : core_test::utf8(boxes_.back().text); }
    const yov::SectRec& sect(int32_t i) const { return S().Sections[static_cast<size_t>(i)]; }
    std::string member(int32_t i) const { return core_test::utf8(S().Members[static_cast<size_t>(i)].Text); }

    WatchedStock stock_;
    yov::ScriptReadServices* saved_ = nullptr;
    bool installed_ = false;
};

}  // namespace script_test
