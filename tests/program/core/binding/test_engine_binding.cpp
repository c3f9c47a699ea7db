#include "program/core/binding/engine_binding.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using yov::EngineBindingError;
namespace eb = yov::engine_binding;

const std::string kBuiltEngine = std::string(YOV_BIN_DIR) + "/liblumvatek.so";

// Every test starts and ends with the library closed and the normal search in force.
class EngineBinding : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        eb::setEngineDirOverride(std::nullopt);
        eb::unloadEngine();
    }
};

TEST_F(EngineBinding, FirstCallOpensTheEngineBesideTheExecutable) {
    ASSERT_EQ(eb::loadedLibraryPath(), "");
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
    EXPECT_EQ(eb::loadedLibraryPath(), kBuiltEngine);
    EXPECT_NE(eb::lookUpExport("InitDLL"), nullptr);
}

TEST_F(EngineBinding, AnExportIsLookedUpOnceAndKept) {
    void* first = eb::lookUpExport("CloseDLL");
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
    EXPECT_EQ(eb::lookUpExport("CloseDLL"), first);
}

TEST_F(EngineBinding, MissingExportNamesItAndTheLibrary) {
    const char* name = "NoSuchExportForTheBindingTest";
    try {
        eb::lookUpExport(name);
        FAIL() << "expected EngineBindingError";
    } catch (const EngineBindingError& e) {
        EXPECT_EQ(e.exportName(), name);
        EXPECT_EQ(e.libraryPath(), kBuiltEngine);
        std::string what = e.what();
        EXPECT_NE(what.find(name), std::string::npos) << what;
        EXPECT_NE(what.find(kBuiltEngine), std::string::npos) << what;
    }
    // The failed look-up leaves the library usable.
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
}

TEST_F(EngineBinding, MissingLibraryIsAnErrorNamingWhereItLooked) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const std::string dir = empty.path().toStdString();
    eb::setEngineDirOverride(dir);
    try {
        yov::lv::CloseDLL();
        FAIL() << "expected EngineBindingError";
    } catch (const EngineBindingError& e) {
        EXPECT_EQ(e.exportName(), "");
        EXPECT_EQ(e.libraryPath(), dir + "/liblumvatek.so");
        std::string what = e.what();
        EXPECT_NE(what.find(dir + "/liblumvatek.so"), std::string::npos) << what;
    }
    EXPECT_EQ(eb::loadedLibraryPath(), "");

    // Nothing of the failed attempt sticks: with the library reachable again it opens.
    eb::setEngineDirOverride(std::string(YOV_BIN_DIR));
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
    EXPECT_EQ(eb::loadedLibraryPath(), kBuiltEngine);
}

TEST_F(EngineBinding, UnloadForgetsLookedUpExports) {
    EXPECT_EQ(yov::lv::CloseDLL(), 0);
    eb::unloadEngine();
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    eb::setEngineDirOverride(empty.path().toStdString());
    // A kept address would skip the library and call into unmapped code.
    EXPECT_THROW(yov::lv::CloseDLL(), EngineBindingError);
}

// The program calls from its main thread only, but a first call racing another must still
// open the library once and hand every caller a usable address.
TEST_F(EngineBinding, ConcurrentFirstCallsAgree) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 50; ++i) {
                if (yov::lv::CloseDLL() != 0) ++failures;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(eb::loadedLibraryPath(), kBuiltEngine);
}

struct CandidateCase {
    const char* name;
    const char* exeDir;
    const char* engineDir;
    std::vector<std::string> expected;
};

TEST(EngineBindingSearch, CandidatesInOrder) {
    const CandidateCase cases[] = {
        {"exe dir, env, plain name",
         "/opt/yov",
         "/usr/lib/yov",
         {"/opt/yov/liblumvatek.so", "/usr/lib/yov/liblumvatek.so", "liblumvatek.so"}},
        {"env unset", "/opt/yov", nullptr, {"/opt/yov/liblumvatek.so", "liblumvatek.so"}},
        {"env empty", "/opt/yov", "", {"/opt/yov/liblumvatek.so", "liblumvatek.so"}},
        {"env with trailing slash",
         "/opt/yov",
         "/e/",
         {"/opt/yov/liblumvatek.so", "/e/liblumvatek.so", "liblumvatek.so"}},
        {"exe dir unknown", "", "/e", {"/e/liblumvatek.so", "liblumvatek.so"}},
    };
    for (const CandidateCase& c : cases) {
        EXPECT_EQ(eb::candidatePaths(c.exeDir, c.engineDir), c.expected) << c.name;
    }
}

}  // namespace
