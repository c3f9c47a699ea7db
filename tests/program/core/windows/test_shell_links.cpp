#include "program/core/windows/shell_open.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <string>
#include <vector>

#include "program/core/startup/core_state.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/msgbox.h"
#include "program/core/startup/program_state.h"
#include "platform/config_folder.h"
#include "platform/registry.h"
#include "program/core/settings/settings.h"
#include "answering_msgbox.h"
#include "desktop_fakes.h"
#include "upper_calls_recorder.h"

namespace {

using yov::LinkKind;

// Files of every kind the guard tells apart, made fresh for each test.
class LinkFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        write("page.htm", "<html><body><a id=\"topic42\">x</a><a name=\"topic7\">y</a></body></html>");
        write("notes.TXT", "notes");
        write("picture.png", "png");
        write("tool.sh", "#!/bin/sh\necho hi\n");
        QFile::setPermissions(path("tool.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write("runme.htm", "<html></html>");
        QFile::setPermissions(path("runme.htm"), QFile::ReadOwner | QFile::ExeOwner);
        write("app.desktop", "[Desktop Entry]\nExec=xterm\n");
        QFile::link(path("tool.sh"), path("disguised.htm"));
        QFile::link(path("page.htm"), path("alias.dat"));

        plat::Registry::current().reopen(dir_.filePath(QStringLiteral("config")).toStdString());
    }
    void TearDown() override {
        for (const program_test::MsgBoxRequest& box : boxes_.requests) EXPECT_EQ(box.style, yov::msgbox::kOk);
        plat::Registry::current().reopen(plat::configFolder());
    }

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::string spath(const char* name) const { return path(name).toStdString(); }
    std::u16string upath(const char* name) const { return path(name).toStdU16String(); }
    void write(const char* name, const char* content) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    QTemporaryDir dir_;
    desktop_test::RecordingDesktop desktop_;
    std::vector<QUrl>& opened_ = desktop_.opened;
    program_test::AnsweringMsgBox boxes_{yov::msgbox::kOk};
    std::vector<program_test::MsgBoxRequest>& messages_ = boxes_.requests;
};

struct GuardCase {
    const char* name;
    std::string target;  // "@" stands for the test folder
    LinkKind kind;
};

class LinkGuard : public LinkFiles, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(LinkGuard, OnlyWebMailAndDocumentsAreOpened) {
    std::string target = GetParam().target;
    if (const size_t at = target.find('@'); at != std::string::npos && target.rfind("mailto:", 0) != 0)
        target.replace(at, 1, dir_.path().toStdString());
    const yov::LinkDecision d = yov::classifyLink(target);
    EXPECT_EQ(d.kind, GetParam().kind) << target << ": " << d.reason;
    if (d.kind == LinkKind::Refused) {
        EXPECT_FALSE(d.reason.empty());
        EXPECT_TRUE(d.url.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, LinkGuard,
                         ::testing::Values(GuardCase{"Http", "http://example.org/trains", LinkKind::Web},
                                           GuardCase{"HttpsUpperCase", "HTTPS://Example.org/A?b=c#d", LinkKind::Web},
                                           GuardCase{"HttpBlanksAround", "  https://example.org  ", LinkKind::Web},
                                           GuardCase{"HttpWithoutHost", "http:///etc/passwd", LinkKind::Refused},
                                           GuardCase{"Mailto", "mailto:driver@example.org", LinkKind::Mail},
                                           GuardCase{"MailtoEmpty", "mailto:", LinkKind::Refused},
                                           GuardCase{"LocalPage", "@/page.htm", LinkKind::Document},
                                           GuardCase{"LocalPageAsFileUrl", "file://@/page.htm", LinkKind::Document},
                                           GuardCase{"UpperCaseTextSuffix", "@/notes.TXT", LinkKind::Document},
                                           GuardCase{"Picture", "@/picture.png", LinkKind::Document},
                                           GuardCase{"SystemProgram", "/usr/bin/env", LinkKind::Refused},
                                           GuardCase{"SystemProgramFileUrl", "file:///usr/bin/env", LinkKind::Refused},
                                           GuardCase{"ShellScript", "@/tool.sh", LinkKind::Refused},
                                           GuardCase{"ExecutablePage", "@/runme.htm", LinkKind::Refused},
                                           GuardCase{"DesktopLauncher", "@/app.desktop", LinkKind::Refused},
                                           GuardCase{"ProgramBehindPageName", "@/disguised.htm", LinkKind::Refused},
                                           GuardCase{"PageBehindOtherName", "@/alias.dat", LinkKind::Refused},
                                           GuardCase{"Folder", "@", LinkKind::Refused},
                                           GuardCase{"MissingFile", "@/missing.htm", LinkKind::Refused},
                                           GuardCase{"Javascript", "javascript:alert(1)", LinkKind::Refused},
                                           GuardCase{"Ftp", "ftp://example.org/file.htm", LinkKind::Refused},
                                           GuardCase{"Smb", "smb://server/share/page.htm", LinkKind::Refused},
                                           GuardCase{"Data", "data:text/html,<b>x</b>", LinkKind::Refused},
                                           GuardCase{"RemoteFileUrl", "file://server/share/page.htm",
                                                     LinkKind::Refused},
                                           GuardCase{"LineBreakInside", "https://example.org/\nrm", LinkKind::Refused},
                                           GuardCase{"Empty", "", LinkKind::Refused},
                                           GuardCase{"BareHostName", "www.example.org", LinkKind::Refused}),
                         [](const ::testing::TestParamInfo<GuardCase>& i) { return std::string(i.param.name); });

TEST_F(LinkFiles, ARefusedLinkIsReportedAndNotOpened) {
    EXPECT_FALSE(yov::OpenWithShell("file:///usr/bin/env"));
    EXPECT_TRUE(opened_.empty());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(u"file:///usr/bin/env"), std::u16string::npos);
}

TEST_F(LinkFiles, AnAllowedLinkGoesToTheDesktopWithoutAMessage) {
    EXPECT_TRUE(yov::OpenWithShell("https://example.org/x"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl(QStringLiteral("https://example.org/x")));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LinkFiles, SendMailPutsMailtoInFront) {
    EXPECT_TRUE(yov::SendMail("author@example.org"));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened_[0].path(), QStringLiteral("author@example.org"));
}

TEST_F(LinkFiles, TheStoredAddressIsTheDocumentationPage) {
    EXPECT_FALSE(yov::OpenStoredAddress());  // none found at start-up: nothing
    EXPECT_TRUE(opened_.empty());
    yov::programState().files.DocFile = path("page.htm").toStdU16String();
    EXPECT_TRUE(yov::OpenStoredAddress());
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl::fromLocalFile(path("page.htm")));
}

// ---------------------------------------------------------------------------------------
// Help commands.

TEST_F(LinkFiles, TopicsAreAnchorsOfTheHelpPage) {
    const std::u16string help = upath("page.htm");
    EXPECT_EQ(yov::helpTopicUrl(help, 42).fragment(), QStringLiteral("topic42"));
    EXPECT_EQ(yov::helpTopicUrl(help, 7).fragment(), QStringLiteral("topic7"));
    EXPECT_EQ(yov::helpTopicUrl(help, 8).fragment(), QString());  // no anchor: the page's top
    EXPECT_EQ(yov::helpTopicUrl(help, 0).fragment(), QString());
    EXPECT_TRUE(yov::helpTopicUrl(upath("missing.htm"), 42).isEmpty());
    EXPECT_TRUE(yov::helpTopicUrl(upath("notes.TXT"), 42).isEmpty());
    EXPECT_TRUE(yov::helpTopicUrl(u"", 42).isEmpty());
}

TEST_F(LinkFiles, WithoutAHelpPageHelpIsNotAvailable) {
    QWidget w;
    EXPECT_TRUE(yov::ShowContextHelp(yov::help_cmd::kContents, &w, 0));
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(messages_.size(), 1u);
}

struct HelpCase {
    const char* name;
    int32_t code;
    int32_t menuItem;
    bool handled;
    QString fragmentOpened;  // "-" = nothing opened
};

class HelpCommands : public LinkFiles, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpCommands, OpenTheirTopic) {
    const HelpCase& c = GetParam();
    write("help.html",
          "<p id=\"topic10000\"></p><p id=\"topic55\"></p><p id=\"topic66\"></p>"
          "<p id=\"topic100009\"></p>");
    yov::helpFiles().HelpFile = upath("help.html");
    QWidget window;
    window.setProperty(yov::kHelpIdProperty, 55);
    auto* withId = new QLineEdit(&window);
    withId->setProperty(yov::kHelpIdProperty, 66);
    auto* withoutId = new QLineEdit(&window);
    // F1 asks the focused control; this one has no topic, so the window's counts.
    withoutId->setFocus();
    (void)withId;

    EXPECT_EQ(yov::ShowContextHelp(c.code, &window, c.menuItem), c.handled);
    if (c.fragmentOpened == QStringLiteral("-")) {
        EXPECT_TRUE(opened_.empty());
    } else {
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0].fragment(), c.fragmentOpened);
        EXPECT_TRUE(opened_[0].isLocalFile());
    }
    EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, HelpCommands,
                         ::testing::Values(HelpCase{"Contents", 4379, 0, true, QStringLiteral("topic10000")},
                                           HelpCase{"Finder", 4384, 0, true, QString()},
                                           HelpCase{"F1ControlWithoutTopic", 112, 0, true, QStringLiteral("topic55")},
                                           HelpCase{"ActiveControlCommand", 4380, 0, true, QStringLiteral("topic55")},
                                           HelpCase{"AltF1", 1136, 0, true, QStringLiteral("topic55")},
                                           HelpCase{"CtrlF1", 624, 0, true, QStringLiteral("topic55")},
                                           HelpCase{"MenuItem", 4387, 9, true, QStringLiteral("topic100009")},
                                           HelpCase{"MenuItemZero", 4387, 0, true, QStringLiteral("-")},
                                           HelpCase{"MenuItemTooHigh", 4387, 16384, true, QStringLiteral("-")},
                                           HelpCase{"NotAHelpCode", 4200, 0, false, QStringLiteral("-")},
                                           HelpCase{"PlainKey", 65, 0, false, QStringLiteral("-")}),
                         [](const ::testing::TestParamInfo<HelpCase>& i) { return std::string(i.param.name); });

TEST_F(LinkFiles, F1OnAControlWithATopicShowsThatTopic) {
    write("help.html", "<p id=\"topic55\"></p><p id=\"topic66\"></p>");
    yov::helpFiles().HelpFile = upath("help.html");
    QWidget window;
    window.setProperty(yov::kHelpIdProperty, 55);
    auto* control = new QLineEdit(&window);
    control->setProperty(yov::kHelpIdProperty, 66);
    window.show();
    control->setFocus();
    EXPECT_EQ(yov::activeHelpId(&window), 66);
    EXPECT_TRUE(yov::ShowContextHelp(112, &window, 0));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].fragment(), QStringLiteral("topic66"));
}

TEST_F(LinkFiles, AWindowWithoutTopicOpensNothing) {
    write("help.html", "<p></p>");
    yov::helpFiles().HelpFile = upath("help.html");
    QWidget window;
    EXPECT_TRUE(yov::ShowContextHelp(1136, &window, 0));
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LinkFiles, ScriptLinksOpenThroughTheGuard) {
    program_test::UpperCallsRecorder above;
    above.link = [](int entry) -> std::string {
        if (entry == 3) return "https://example.org/line3";
        if (entry == 4) return "/usr/bin/env";
        return {};
    };
    EXPECT_TRUE(yov::ShowContextHelp(4992 + 3, nullptr, 0));
    EXPECT_TRUE(yov::ShowContextHelp(4992 + 4, nullptr, 0));
    EXPECT_TRUE(yov::ShowContextHelp(4992 + 20, nullptr, 0));  // beyond the 17 entries: nothing
    EXPECT_TRUE(yov::ShowContextHelp(4992 + 0, nullptr, 0));   // empty entry: nothing
    EXPECT_EQ(above.linksAsked, (std::vector<int>{3, 4, 0}));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].host(), QStringLiteral("example.org"));
    EXPECT_EQ(messages_.size(), 1u);  // the program was refused
    EXPECT_FALSE(yov::ShowContextHelp(5024, nullptr, 0));
}

TEST_F(LinkFiles, AboutAndHomePage) {
    program_test::UpperCallsRecorder above;
    yov::SaveRegString(u"HomePage", u"https://example.org/yov");
    EXPECT_TRUE(yov::ShowContextHelp(4113, nullptr, 0));
    EXPECT_EQ(above.abouts, 1);
    EXPECT_TRUE(yov::ShowContextHelp(4201, nullptr, 0));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].path(), QStringLiteral("/yov"));
}

TEST_F(LinkFiles, ChoosingAHelpFileStoresItUnderTheLanguage) {
    yov::ProgramState& st = yov::programState();
    st.Arrays.Languages.redim(2);
    st.Arrays.Languages[1].Code = u"E";
    st.Shared.LanguageCount = 1;
    st.Shared.CurrentLanguage = 1;
    std::vector<yov::FileDialogRequest> asked;
    {
        desktop_test::AnsweringFileDialogs dialogs([&](const yov::FileDialogRequest& r) {
            asked.push_back(r);
            return QStringList{path("page.htm")};
        });
        EXPECT_TRUE(yov::ShowContextHelp(4544, nullptr, 0));
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_FALSE(asked[0].save);
    EXPECT_EQ(yov::helpFiles().HelpFile, upath("page.htm"));
    EXPECT_EQ(yov::GetRegString(u"EHlp"), upath("page.htm"));
}

}  // namespace
