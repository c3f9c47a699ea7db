// The error log and the central error report.
#include "program/core/texts/error_report.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "core_fixture.h"
#include "platform/datetime.h"
#include "program/core/binding/engine_binding.h"
#include "program/core/startup/program_state.h"
#include "program/core/texts/error_log.h"
#include "program/core/windows/window_parts.h"

namespace {

using core_test::CoreTest;
using core_test::utf8;
using yov::PendingError;
using yov::ProgramError;

constexpr std::time_t kStart = 1765300000;  // a fixed start time for the header lines

class ErrorLog : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        yov::programState().road.StartTime = kStart;
    }
    std::string stamp() const { return plat::formatLogStamp(kStart); }
    void newRun() { yov::programState().log.LogStarted = 0; }
};

TEST_F(ErrorLog, FirstLineOfEachRunNamesTheStart) {
    yov::WriteErrorLog(u"one");
    yov::WriteErrorLog(u"tw\u00F6");
    newRun();
    yov::WriteErrorLog(u"three");
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Rolvane started at " + stamp(), "one", "tw\xC3\xB6",
                                                    "Rolvane started at " + stamp(), "three"}));
}

TEST_F(ErrorLog, ALogOverOneMebibyteStartsAfresh) {
    struct Case {
        const char* name;
        size_t size;
        bool restarted;
    };
    for (const Case& c : {Case{"exactly 1 MiB stays", 0x100000, false}, Case{"one byte more", 0x100001, true}}) {
        SCOPED_TRACE(c.name);
        { std::ofstream(logPath(), std::ios::binary) << std::string(c.size, 'x'); }
        newRun();
        yov::WriteErrorLog(u"line");
        yov::WriteErrorLog(u"next");
        const std::string all = readFile(logPath());
        if (c.restarted) {
            EXPECT_EQ(all, "Error file truncated at " + stamp() + "\r\nline\r\nnext\r\n");
        } else {
            EXPECT_EQ(all.size(), c.size + ("Rolvane started at " + stamp() + "\r\nline\r\nnext\r\n").size());
        }
    }
}

TEST_F(ErrorLog, AShowWritesAtMostItsShareAndSaysSo) {
    // A fault that comes back for as long as the show runs: the log stops growing at the
    // show's share, with one line that says so; the next show has its own share.
    yov::programState().run.RunFlags = 0x1D;
    yov::BeginShowLog();
    const std::u16string line(200, u'e');
    for (int i = 0; i < 4000; ++i) yov::WriteErrorLog(line);  // about 800 KB asked for
    const std::vector<std::string> lines = logLines();
    const std::string all = readFile(logPath());
    EXPECT_LE(all.size(), static_cast<size_t>(yov::kShowLogLimit) + 200);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "This show has written 256 KiB to the error log: its further messages are left out");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), lines.back()), 1);
    yov::BeginShowLog();
    yov::WriteErrorLog(u"the next show");
    EXPECT_EQ(logLines().back(), "the next show");
    // Outside a show (the settings dialog, the stock browser) nothing is counted.
    yov::programState().run.RunFlags = 0;
    for (int i = 0; i < 1400; ++i) yov::WriteErrorLog(line);
    EXPECT_GT(readFile(logPath()).size(), all.size() + 200 * 1400);
}

TEST_F(ErrorLog, WritingNeverFails) {
    for (const std::string& bad : {folder() + "/missing/folder/Rolvane.err", folder()}) {
        SCOPED_TRACE(bad);
        yov::programState().files.ErrorLogPath = core_test::u16(bad);
        newRun();
        EXPECT_NO_THROW(yov::WriteErrorLog(u"lost"));
        EXPECT_NO_THROW(yov::WriteErrorLog(u"lost again"));
        EXPECT_EQ(yov::programState().log.LogStarted, 1);
    }
}

TEST_F(ErrorLog, TheLogViewGetsTheLineWhileOpen) {
    struct LogView : yov::WindowParts {
        void appendToLogView(const std::u16string& line) override {
            if (gone) throw std::runtime_error("view gone");
            shown.push_back(line);
        }
        std::vector<std::u16string> shown;
        bool gone = false;
    } view;
    yov::ScopedInstall<yov::WindowParts> use(view);
    yov::WriteErrorLog(u"hidden");
    yov::programState().run.RunMode = 14;
    yov::WriteErrorLog(u"shown");
    EXPECT_EQ(view.shown, std::vector<std::u16string>{u"shown"});
    view.gone = true;
    EXPECT_NO_THROW(yov::WriteErrorLog(u"still logged"));
    EXPECT_EQ(logLines().back(), "still logged");
}

TEST_F(ErrorLog, WithoutALogPathTheTemporaryFolderIsUsed) {
    auto& st = yov::programState();
    st.files.ErrorLogPath.clear();
    st.files.TempDir = core_test::u16(folder() + "/tmp");
    QDir().mkpath(QString::fromStdString(folder() + "/tmp"));
    yov::WriteErrorLog(u"here");
    EXPECT_EQ(utf8(yov::errorLogFile()), folder() + "/tmp/Rolvane.err");
    EXPECT_NE(readFile(folder() + "/tmp/Rolvane.err").find("here\r\n"), std::string::npos);
}

struct ReportCase {
    const char* name;
    PendingError pending;
    int32_t position;
    int32_t progress;
    std::u16string message;
    int32_t flags;
    uint8_t batchMode;
    int32_t boxAnswer;
    std::optional<std::string> logLine;    // the one line logged after the header
    std::optional<std::u16string> box;     // the text shown
    int32_t result;                        // the answer returned, when nothing is raised
    std::optional<std::u16string> raised;  // the description of the 6016 raised
    uint8_t stop;
};

TEST_F(ErrorLog, ReportErrorTable) {
    const PendingError subscript{9, u"Subscript out of range"};
    const PendingError message{6002, u"Bad line"};
    const PendingError reported{6016, u"First report"};
    const std::vector<ReportCase> cases = {
        {"run-time error with message, progress and handler", subscript, 31017, 10311, u"while drawing", 0x0F0900C0, 0,
         64, "Subscript out of range (error 9) while drawing (P=10311 EH=31017)",
         u"Subscript out of range (error 9)\r\nwhile drawing", 64, std::nullopt, 0},
        {"no position, no progress: no brackets", message, 0, 0, u"", 0x02000000, 0, 0, "Bad line", std::nullopt, 0,
         std::nullopt, 0},
        {"progress code alone", message, 0, 77, u"", 0x02000000, 0, 0, "Bad line (P=77)", std::nullopt, 0, std::nullopt,
         0},
        {"handler code alone", message, 31005, 0, u"", 0x02000000, 0, 0, "Bad line (EH=31005)", std::nullopt, 0,
         std::nullopt, 0},
        {"main loop during a DirectDraw show", subscript, 31017, 0, u"", 0x0F0900C0, 1, 0,
         "Subscript out of range (error 9) (EH=31017)", std::nullopt, 128, std::nullopt, 1},
        {"already reported, frame step", reported, 31005, 0, u"", 0x0F200000, 0, 64, std::nullopt, std::nullopt, 0,
         std::nullopt, 1},
        {"already reported, main loop logs again", reported, 31017, 0, u"", 0x0F0900C0, 0, 64,
         "First report (EH=31017)", std::nullopt, 0, std::nullopt, 0},
        {"cancel raises at once", message, 1, 0, u"go on?", 0x002200C0, 0, 128, std::nullopt, u"Bad line\r\ngo on?", 0,
         u"Bad line\r\ngo on?", 0},
        {"cancel stops when asked", message, 1, 0, u"", 0x000100C0, 0, 128, std::nullopt, u"Bad line", 128,
         std::nullopt, 1},
        {"O.K. does not stop", message, 1, 0, u"", 0x000100C0, 0, 64, std::nullopt, u"Bad line", 64, std::nullopt, 0},
        {"raised after the report", message, 0, 0, u"", 0x00040040, 0, 64, std::nullopt, u"Bad line", 0, u"Bad line",
         0},
        {"stop after the report", message, 0, 0, u"", 0x00200000, 0, 0, std::nullopt, std::nullopt, 0, std::nullopt, 1},
        {"message only", subscript, 0, 0, u"Just this", 0x02100040, 0, 64, "Just this", u"Just this", 64, std::nullopt,
         0},
        {"bits without meaning here", message, 0, 0, u"", 0x0D000000, 0, 0, std::nullopt, std::nullopt, 0, std::nullopt,
         0},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(logPath());
        newRun();
        boxes_.clear();
        auto& st = yov::programState();
        st.run.StopRequest = 0;
        st.run.ProgressCode = c.progress;
        st.run.BatchMode = c.batchMode;
        answer_ = c.boxAnswer;

        std::optional<std::u16string> raised;
        int32_t result = -1;
        try {
            result = yov::ReportError(c.pending, c.position, c.message, c.flags, u"Title");
        } catch (const ProgramError& e) {
            EXPECT_EQ(e.number(), 6016);
            raised = e.description();
        }
        EXPECT_EQ(raised, c.raised);
        if (!c.raised) {
            EXPECT_EQ(result, c.result);
        }
        EXPECT_EQ(st.run.StopRequest, c.stop);
        if (c.logLine) {
            EXPECT_EQ(logLines(), (std::vector<std::string>{"Rolvane started at " + stamp(), *c.logLine}));
        } else {
            EXPECT_FALSE(std::filesystem::exists(logPath()));
        }
        if (c.box) {
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].text, *c.box);
            EXPECT_EQ(boxes_[0].style, c.flags & 0xFF);
            EXPECT_EQ(boxes_[0].title, u"Title");
        } else {
            EXPECT_TRUE(boxes_.empty());
        }
    }
}

TEST_F(ErrorLog, AFullScreenOrScreenSaverShowLogsInsteadOfShowingABox) {
    struct Case {
        const char* name;
        uint8_t runFlags, showMode, saver;
        bool box;
    } cases[] = {
        {"no show", 0, 1, 1, true},
        {"windowed show", 0x1D, 0, 0, true},
        {"full-screen show", 0x1D, 1, 0, false},
        {"screen saver in a window", 0x1D, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(logPath());
        boxes_.clear();
        auto& st = yov::programState();
        st.run.RunFlags = c.runFlags;
        st.run.ShowMode = c.showMode;
        yov::programState().road.ScreenSaverMode = c.saver;
        answer_ = 64;
        const int32_t answer = yov::ReportError(PendingError{6002, u"Bad stock"}, 0, u"", 0x00000030, u"Title");
        EXPECT_EQ(boxes_.size(), c.box ? 1u : 0u);
        EXPECT_EQ(answer, c.box ? 64 : 128);
        const std::vector<std::string> lines = logLines();
        EXPECT_EQ(!lines.empty() && lines.back() == "Bad stock", !c.box);
    }
    yov::programState().run.RunFlags = 0;
    yov::programState().run.ShowMode = 0;
    yov::programState().road.ScreenSaverMode = 0;
}

TEST_F(ErrorLog, ReportErrorTakesTheErrorBeingHandled) {
    try {
        throw std::out_of_range("index 12");
    } catch (...) {
        yov::ReportError(31017, u"", 0x02000000);
    }
    yov::ReportError(5, u"", 0x02000000);  // nothing pending
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Rolvane started at " + stamp(), "index 12 (error 9) (EH=31017)",
                                                    " (error 0) (EH=5)"}));
}

TEST_F(ErrorLog, PendingErrorOfEachKindOfException) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        int32_t number;
        std::u16string description;
    };
    const std::vector<Case> cases = {
        {"program error", [] { throw ProgramError(6004, u"Stock"); }, 6004, u"Stock"},
        {"out of memory", [] { throw std::bad_alloc(); }, 7, u"Out of memory"},
        {"index", [] { throw std::out_of_range("idx"); }, 9, u"idx"},
        {"overflow", [] { throw std::overflow_error("big"); }, 6, u"big"},
        {"engine missing", [] { throw yov::EngineBindingError("no engine", "lib.so", ""); }, 48, u"no engine"},
        {"other standard error", [] { throw std::runtime_error("odd"); }, 5, u"odd"},
        {"not an exception class", [] { throw 42; }, 5, u"Unknown error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.raise();
        } catch (...) {
            const PendingError e = yov::currentPendingError();
            EXPECT_EQ(e.number, c.number);
            EXPECT_EQ(e.description, c.description);
        }
    }
    EXPECT_EQ(yov::currentPendingError().number, 0);
}

TEST_F(ErrorLog, ProgramErrorOutsideAShowIsRaisedForTheCaller) {
    try {
        yov::RaiseProgramError(u"Picture X not found");
        FAIL() << "expected a raise";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.number(), 6002);
        EXPECT_EQ(e.description(), u"Picture X not found");
    }
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(ErrorLog, DuringAShowTheFirstHandlerReportsAndOuterOnesStaySilent) {
    auto& st = yov::programState();
    st.run.RunFlags = 0x08;
    st.run.ProgressCode = 10311;
    int32_t innerAnswer = -1;
    try {
        try {
            yov::RaiseProgramError(u"Picture X not found");
        } catch (...) {
            // A script reader's handler: would log and show, but the error was reported.
            innerAnswer = yov::ReportError(31008, u"in line 4", 0x3000040);
            throw;
        }
    } catch (...) {
        // The frame step's fatal exit: stops the show, reports nothing.
        EXPECT_EQ(yov::ReportError(31005, u"", 0x0F200000), 0);
    }
    EXPECT_EQ(innerAnswer, 0);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(st.run.StopRequest, 1);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Rolvane started at " + stamp(), "Picture X not found (P=10311)"}));
}

}  // namespace
