// The registry store: typed values that survive the file, the system's naming
// rules, and sharing one file between threads and between processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/registry.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kYov = "Software\\Vantrel\\Yov";

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const fs::path& p, std::string_view text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// Runs body in a child process; the child's exit status is body's result
// (0 = success), so failures there surface as a status in the parent.
pid_t spawn(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::path(::testing::TempDir()) / "yov-registry-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        setenv("YOV_CONFIG_HOME", dir_.c_str(), 1);
        Registry::current().reopen(dir_);
    }
    void TearDown() override {
        Registry::current().setDamageHandler(nullptr);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    Registry& reg() { return Registry::current(); }
    fs::path file() const { return dir_ / "registry.reg"; }
    std::vector<fs::path> filesStartingWith(std::string_view prefix) const {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(dir_))
            if (e.path().filename().string().starts_with(prefix)) out.push_back(e.path());
        return out;
    }

    fs::path dir_;
};

TEST_F(RegistryTest, CurrentRegistryLivesInTheConfigFolder) {
    EXPECT_EQ(reg().file(), file());
    ASSERT_EQ(reg().setString(kYov, "Pw", "secret"), RegStatus::Ok);
    EXPECT_TRUE(fs::exists(file()));
    struct stat st {};
    ASSERT_EQ(stat(file().c_str(), &st), 0);
    // The password is kept in plain text, so only the owner may read the file.
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(filesStartingWith("registry.reg.tmp").empty());
}

TEST_F(RegistryTest, WriteClearsTemporaryFilesOfAKilledWriter) {
    writeFile(dir_ / "registry.reg.tmp-AbC123", "REGEDIT4\n[HKEY_CURRENT_USER\\Half");
    writeFile(dir_ / "registry.regular", "not ours");
    ASSERT_EQ(reg().setString(kYov, "x", "1"), RegStatus::Ok);
    EXPECT_TRUE(filesStartingWith("registry.reg.tmp").empty());
    EXPECT_TRUE(fs::exists(dir_ / "registry.regular"));
}

TEST_F(RegistryTest, EveryTypeAndAwkwardTextSurvivesTheFile) {
    struct Case {
        const char* what;
        std::string name;
        RegValue value;
    };
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    const std::vector<Case> cases = {
        {"plain text", "Conf01", RegValue::string("C:\\YOV\\DEMO.TXT")},
        {"empty text", "Empty", RegValue::string("")},
        {"default value", "", RegValue::string("the default")},
        {"name @ is not the default", "@", RegValue::string("at")},
        {"quotes backslashes equals", "a\\b=\"c\"", RegValue::string("\\\"=\\\\;[HKEY_CURRENT_USER\\X]\"")},
        {"line breaks and tabs", "Lines", RegValue::string("one\r\ntwo\nthree\tfour\x1b")},
        {"non-ASCII",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         RegValue::string("\xC5\xBDilina \xE2\x82\xAC \xF0\x9F\x9A\x86")},
        {"inner zero", "Zero", RegValue{kRegSz, {'a', 0, 'b', 0}}},
        {"text without terminator", "Bare", RegValue{kRegSz, {'a', 'b'}}},
        {"dword zero", "D0", RegValue::dword(0)},
        {"dword max", "Dmax", RegValue::dword(0xFFFFFFFF)},
        {"dword of three bytes", "D3", RegValue{kRegDword, {1, 2, 3}}},
        {"binary empty", "B0", RegValue::binary({})},
        {"binary every byte", "B256", RegValue::binary(all)},
        {"other type code", "T11", RegValue{11, {1, 2, 3, 4, 5, 6, 7, 8}}},
    };
    for (const Case& c : cases) ASSERT_EQ(reg().setValue(kYov, c.name, c.value), RegStatus::Ok) << c.what;

    Registry fresh(dir_);  // nothing cached: everything comes from the file
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegValue got;
        ASSERT_EQ(fresh.queryValue(kYov, c.name, got), RegStatus::Ok);
        EXPECT_EQ(got, c.value);
    }
    std::vector<RegNamedValue> listed;
    ASSERT_EQ(fresh.enumValues(kYov, listed), RegStatus::Ok);
    ASSERT_EQ(listed.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(listed[i].name, cases[i].name) << "values enumerate in the order first set";
}

TEST_F(RegistryTest, TextAndNumberViewsOfValues) {
    EXPECT_EQ(RegValue::string("abc").data.size(), 4u);
    EXPECT_EQ(RegValue::string("").data.size(), 1u);
    EXPECT_EQ(RegValue::string("abc").text(), "abc");
    EXPECT_EQ(RegValue::dword(7).number(), 7u);
    EXPECT_EQ(RegValue::dword(0x01020304).data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(RegValue::string("7").number(), std::nullopt);
    EXPECT_EQ((RegValue{kRegDword, {7, 0}}).number(), std::nullopt);
}

TEST_F(RegistryTest, NamesIgnoreAsciiCaseAndKeepTheirFirstSpelling) {
    ASSERT_EQ(reg().setString(kYov, "ShowMode", "1"), RegStatus::Ok);
    ASSERT_EQ(reg().setString("SOFTWARE\\vantrel\\YOV", "SHOWMODE", "2"), RegStatus::Ok);

    RegValue v;
    ASSERT_EQ(reg().queryValue("software\\VANTREL\\yov", "showmode", v), RegStatus::Ok);
    EXPECT_EQ(v.text(), "2");
    std::vector<RegNamedValue> values;
    ASSERT_EQ(reg().enumValues(kYov, values), RegStatus::Ok);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "ShowMode");
    std::vector<std::string> keys;
    ASSERT_EQ(reg().enumKeys("software", keys), RegStatus::Ok);
    EXPECT_EQ(keys, std::vector<std::string>{"Vantrel"});

    // Only ASCII letters fold.
    ASSERT_EQ(reg().setString(kYov, "\xC3\x84", "upper"), RegStatus::Ok);
    EXPECT_EQ(reg().queryValue(kYov, "\xC3\xA4", v), RegStatus::NotFound);
}

TEST_F(RegistryTest, SubkeysEnumerateDeleteAndStaySeparateFromSiblings) {
    // The per-instance key is the program key's name with a letter appended: a sibling.
    ASSERT_EQ(reg().setString(std::string(kYov) + "B", "33X", "10"), RegStatus::Ok);
    ASSERT_EQ(reg().setString(std::string(kYov) + "\\DescSmall", "Len", "1"), RegStatus::Ok);
    ASSERT_EQ(reg().createKey(std::string(kYov) + "\\Option"), RegStatus::Ok);
    ASSERT_EQ(reg().setString(std::string(kYov) + "\\Stock\\C:|STOCK|MAIN.STK", "P1", "5"), RegStatus::Ok);
    ASSERT_EQ(reg().setString(std::string(kYov) + "\\cnf", "x", "1"), RegStatus::Ok);

    RegValue v;
    EXPECT_EQ(reg().queryValue(kYov, "33X", v), RegStatus::NotFound);
    EXPECT_EQ(reg().openKey(std::string(kYov) + "\\Option"), RegStatus::Ok);
    EXPECT_EQ(reg().openKey(std::string(kYov) + "\\Missing"), RegStatus::NotFound);

    std::vector<std::string> keys;
    ASSERT_EQ(reg().enumKeys(kYov, keys), RegStatus::Ok);
    EXPECT_EQ(keys, (std::vector<std::string>{"cnf", "DescSmall", "Option", "Stock"}));
    ASSERT_EQ(reg().enumKeys("Software\\Vantrel", keys), RegStatus::Ok);
    EXPECT_EQ(keys, (std::vector<std::string>{"Yov", "YovB"}));

    ASSERT_EQ(reg().deleteValue(std::string(kYov) + "\\DescSmall", "LEN"), RegStatus::Ok);
    EXPECT_EQ(reg().deleteValue(std::string(kYov) + "\\DescSmall", "Len"), RegStatus::NotFound);
    EXPECT_EQ(reg().openKey(std::string(kYov) + "\\DescSmall"), RegStatus::Ok) << "an emptied key stays";

    ASSERT_EQ(reg().deleteKey(std::string(kYov) + "\\STOCK"), RegStatus::Ok);
    EXPECT_EQ(reg().openKey(std::string(kYov) + "\\Stock\\C:|STOCK|MAIN.STK"), RegStatus::NotFound);
    EXPECT_EQ(reg().deleteKey(std::string(kYov) + "\\Stock"), RegStatus::NotFound);

    ASSERT_EQ(reg().deleteKey(kYov), RegStatus::Ok);
    EXPECT_EQ(reg().queryValue(std::string(kYov) + "B", "33X", v), RegStatus::Ok);
    Registry fresh(dir_);
    EXPECT_EQ(fresh.openKey(kYov), RegStatus::NotFound);
    ASSERT_EQ(fresh.enumKeys("Software\\Vantrel", keys), RegStatus::Ok);
    EXPECT_EQ(keys, std::vector<std::string>{"YovB"});
    EXPECT_EQ(fresh.enumKeys(kYov, keys), RegStatus::NotFound);
}

TEST_F(RegistryTest, RefusesNamesTheRegistryCannotHold) {
    std::string tooDeep;
    for (std::size_t i = 0; i <= kRegMaxKeyDepth; ++i) tooDeep += i ? "\\k" : "k";
    const std::vector<std::pair<const char*, std::string>> badKeys = {
        {"leading backslash", "\\Software"},
        {"doubled backslash", "Software\\\\Yov"},
        {"trailing backslash", "Software\\"},
        {"control character", "Soft\nware"},
        {"name too long", std::string(kRegMaxKeyNameBytes + 1, 'k')},
        {"too deep", tooDeep},
    };
    RegValue v;
    std::vector<std::string> keys;
    for (const auto& [what, key] : badKeys) {
        SCOPED_TRACE(what);
        EXPECT_EQ(reg().createKey(key), RegStatus::InvalidName);
        EXPECT_EQ(reg().setString(key, "x", "1"), RegStatus::InvalidName);
        EXPECT_EQ(reg().queryValue(key, "x", v), RegStatus::InvalidName);
        EXPECT_EQ(reg().enumKeys(key, keys), RegStatus::InvalidName);
    }
    EXPECT_EQ(reg().setString(kYov, "tab\there", "1"), RegStatus::InvalidName);
    EXPECT_EQ(reg().setString(kYov, std::string(kRegMaxValueNameBytes + 1, 'v'), "1"), RegStatus::InvalidName);
    EXPECT_EQ(reg().deleteKey(""), RegStatus::InvalidName);
    EXPECT_FALSE(fs::exists(file())) << "nothing was written";

    EXPECT_EQ(reg().setString(std::string(kRegMaxKeyNameBytes, 'k'), std::string(kRegMaxValueNameBytes, 'v'), "1"),
              RegStatus::Ok);
    EXPECT_EQ(reg().setString("", "at the root", "1"), RegStatus::Ok);
    EXPECT_EQ(Registry(dir_).queryValue("", "AT THE ROOT", v), RegStatus::Ok);
}

TEST_F(RegistryTest, ReadingNeverCreatesTheFolder) {
    fs::path missing = dir_ / "not" / "yet";
    Registry r(missing);
    RegValue v;
    EXPECT_EQ(r.queryValue(kYov, "x", v), RegStatus::NotFound);
    EXPECT_EQ(r.openKey(""), RegStatus::Ok) << "the hive itself always exists";
    EXPECT_FALSE(fs::exists(missing));
    ASSERT_EQ(r.setDword(kYov, "x", 5), RegStatus::Ok);
    EXPECT_TRUE(fs::exists(missing / "registry.reg"));
}

TEST_F(RegistryTest, UnwritableFolderIsAnErrorNamingThePlace) {
    writeFile(dir_ / "blocker", "a file where a folder should be");
    Registry r(dir_ / "blocker");
    EXPECT_EQ(r.setString(kYov, "x", "1"), RegStatus::IoError);
    EXPECT_NE(r.lastError().find("blocker"), std::string::npos) << r.lastError();
    RegValue v;
    EXPECT_EQ(r.queryValue(kYov, "x", v), RegStatus::NotFound);
}

TEST_F(RegistryTest, SeesChangesOfAnotherProcessWithoutReopening) {
    ASSERT_EQ(reg().setString(kYov, "Conf01", "first"), RegStatus::Ok);
    RegValue v;
    ASSERT_EQ(reg().queryValue(kYov, "Conf01", v), RegStatus::Ok);

    pid_t child = spawn([&] {
        Registry other(dir_);
        bool ok = other.setString(kYov, "Conf01", "second") == RegStatus::Ok &&
                  other.setDword(std::string(kYov) + "\\Option", "Night", 1) == RegStatus::Ok;
        return ok ? 0 : 1;
    });
    ASSERT_EQ(waitFor(child), 0);

    ASSERT_EQ(reg().queryValue(kYov, "Conf01", v), RegStatus::Ok);
    EXPECT_EQ(v.text(), "second");
    ASSERT_EQ(reg().queryValue(std::string(kYov) + "\\Option", "Night", v), RegStatus::Ok);
    EXPECT_EQ(v.number(), 1u);

    // Our next write starts from the other process's file and keeps its values.
    ASSERT_EQ(reg().setString(kYov, "Stock01", "s"), RegStatus::Ok);
    ASSERT_EQ(Registry(dir_).queryValue(std::string(kYov) + "\\Option", "Night", v), RegStatus::Ok);
}

TEST_F(RegistryTest, SeesAFileEditedInPlaceOrRemoved) {
    ASSERT_EQ(reg().setString(kYov, "x", "1"), RegStatus::Ok);
    RegValue v;
    ASSERT_EQ(reg().queryValue(kYov, "x", v), RegStatus::Ok);
    // An editor that rewrites the same file rather than replacing it.
    writeFile(file(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\n\"x\"=\"edited by hand\"\n");
    ASSERT_EQ(reg().queryValue(kYov, "x", v), RegStatus::Ok);
    EXPECT_EQ(v.text(), "edited by hand");

    fs::remove(file());
    EXPECT_EQ(reg().queryValue(kYov, "x", v), RegStatus::NotFound);
    EXPECT_EQ(reg().openKey(kYov), RegStatus::NotFound);
}

TEST_F(RegistryTest, ConcurrentProcessesLoseNoWrite) {
    constexpr int kProcesses = 4;
    constexpr int kValuesEach = 60;
    // The children wait on a pipe so that they all start writing at once.
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(spawn([&, p] {
            close(gate[1]);
            char c;
            if (read(gate[0], &c, 1) != 0) return 2;
            Registry r(dir_);
            for (int i = 0; i < kValuesEach; ++i) {
                std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
                // Half into one shared key, half into a key of the process's own.
                std::string key = i % 2 ? std::string(kYov) : std::string(kYov) + "\\Proc" + std::to_string(p);
                if (r.setString(key, name, "value " + name) != RegStatus::Ok) return 1;
            }
            return 0;
        }));
    }
    close(gate[0]);
    close(gate[1]);  // opens the gate: every child's read returns 0
    for (pid_t c : children) EXPECT_EQ(waitFor(c), 0);

    Registry fresh(dir_);
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kValuesEach; ++i) {
            std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
            std::string key = i % 2 ? std::string(kYov) : std::string(kYov) + "\\Proc" + std::to_string(p);
            RegValue v;
            ASSERT_EQ(fresh.queryValue(key, name, v), RegStatus::Ok) << key << " " << name;
            EXPECT_EQ(v.text(), "value " + name);
        }
    }
    EXPECT_TRUE(filesStartingWith("registry.reg.tmp").empty());
    EXPECT_TRUE(filesStartingWith("registry.reg.damaged").empty()) << "readers never saw half a file";
}

TEST_F(RegistryTest, ConcurrentThreadsLoseNoWrite) {
    constexpr int kThreads = 6;
    constexpr int kValuesEach = 30;
    // Two stores on one file: threads share a store's mutex, stores share the file lock.
    Registry second(dir_);
    std::atomic<bool> go{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Registry& r = t % 2 ? second : reg();
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < kValuesEach; ++i) {
                std::string name = "T" + std::to_string(t) + "_" + std::to_string(i);
                if (r.setDword(kYov, name, static_cast<std::uint32_t>(t * 1000 + i)) != RegStatus::Ok) ++failures;
                RegValue v;
                if (r.queryValue(kYov, name, v) != RegStatus::Ok || v.number() != std::uint32_t(t * 1000 + i))
                    ++failures;
            }
        });
    }
    go = true;
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<RegNamedValue> values;
    ASSERT_EQ(Registry(dir_).enumValues(kYov, values), RegStatus::Ok);
    EXPECT_EQ(values.size(), std::size_t(kThreads * kValuesEach));
}

struct DamageCase {
    const char* what;
    std::string text;
    std::size_t line;
    bool salvaged;  // whether the good value of the damaged file is still there
};

const std::string kGoodSection = "[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\n\"Good\"=\"kept\"\n";

class RegistryDamageTest : public RegistryTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(RegistryDamageTest, DamagedFileIsReportedKeptAsideAndRepaired) {
    const DamageCase& c = GetParam();
    writeFile(file(), c.text);
    std::vector<RegDamage> reports;
    reg().setDamageHandler([&](const RegDamage& d) { reports.push_back(d); });

    RegValue v;
    EXPECT_EQ(reg().queryValue(kYov, "Good", v), c.salvaged ? RegStatus::Ok : RegStatus::NotFound);
    ASSERT_EQ(reports.size(), 1u);
    const RegDamage& d = reports[0];
    EXPECT_EQ(d.file, file());
    ASSERT_FALSE(d.errors.empty());
    EXPECT_EQ(d.errors[0].line, c.line);
    EXPECT_NE(d.message().find("registry.reg line " + std::to_string(c.line)), std::string::npos) << d.message();
    ASSERT_FALSE(d.keptAs.empty());
    EXPECT_EQ(d.keptAs.parent_path(), dir_);
    EXPECT_TRUE(d.keptAs.filename().string().starts_with("registry.reg.damaged-"));
    EXPECT_EQ(readFile(d.keptAs), c.text) << "the damaged file is kept byte for byte";
    ASSERT_TRUE(reg().lastDamage().has_value());

    // What could be read is written back as a sound file.
    EXPECT_TRUE(parseRegText(readFile(file())).ok());
    EXPECT_EQ(reg().queryValue(kYov, "Good", v), c.salvaged ? RegStatus::Ok : RegStatus::NotFound);
    ASSERT_EQ(reg().setString(kYov, "New", "1"), RegStatus::Ok);
    EXPECT_EQ(Registry(dir_).queryValue(kYov, "New", v), RegStatus::Ok);
    EXPECT_EQ(reports.size(), 1u) << "reported once";
    EXPECT_EQ(filesStartingWith("registry.reg.damaged-").size(), 1u);
    EXPECT_EQ(readFile(d.keptAs), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryDamageTest,
    ::testing::Values(DamageCase{"bad header", "REGEDIT9\n" + kGoodSection, 1, false},
                      DamageCase{"truncated", "REGEDIT4\n\n" + kGoodSection + "\"Bin\"=hex:01,02,\\\n", 5, true},
                      DamageCase{"unterminated text", "REGEDIT4\n\n" + kGoodSection + "\"Pw\"=\"abc\n", 5, true},
                      DamageCase{"value outside a key", "REGEDIT4\n\"x\"=\"1\"\n" + kGoodSection, 2, true},
                      DamageCase{"binary garbage", "REGEDIT4\n" + kGoodSection + std::string("\x01\xFF\x00zz\n", 6), 4,
                                 true}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(RegistryTest, DamageFoundByAWriteIsKeptBeforeTheWrite) {
    const std::string damaged = "REGEDIT4\n" + kGoodSection + "\"Half\"=dword:\n";
    writeFile(file(), damaged);
    ASSERT_EQ(reg().setString(kYov, "New", "1"), RegStatus::Ok);
    auto kept = filesStartingWith("registry.reg.damaged-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), damaged);
    RegValue v;
    EXPECT_EQ(Registry(dir_).queryValue(kYov, "Good", v), RegStatus::Ok);
    EXPECT_EQ(Registry(dir_).queryValue(kYov, "New", v), RegStatus::Ok);
}

TEST_F(RegistryTest, DamagedFileThatCannotBeCopiedRefusesChanges) {
    const std::string damaged = "REGEDIT4\n" + kGoodSection + "junk\n";
    writeFile(file(), damaged);
    // In a child limited to tiny files, no copy of the damaged file can be made
    // (this works even for a user whom folder permissions do not stop).
    pid_t child = spawn([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit lim{8, 8};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return 10;
        Registry r(dir_);
        RegValue v;
        if (r.queryValue(kYov, "Good", v) != RegStatus::Ok || v.text() != "kept")
            return 1;  // reading goes on from what could be read
        auto d = r.lastDamage();
        if (!d || !d->keptAs.empty() || d->message().find("refused") == std::string::npos) return 2;
        if (r.setString(kYov, "New", "1") != RegStatus::IoError || r.lastError().empty()) return 3;
        return 0;
    });
    ASSERT_EQ(waitFor(child), 0);
    EXPECT_EQ(readFile(file()), damaged) << "the damaged file was left alone";

    // Once a copy can be made, changes go through.
    ASSERT_EQ(reg().setString(kYov, "New", "1"), RegStatus::Ok);
    auto kept = filesStartingWith("registry.reg.damaged-");
    ASSERT_FALSE(kept.empty());
    bool found = false;
    for (const fs::path& k : kept) found = found || readFile(k) == damaged;
    EXPECT_TRUE(found);
}

}  // namespace
