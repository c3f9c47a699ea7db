// The About window on the offscreen platform: the demo stock's authors in its credits,
// pane positions that agree with the credits' own (CR LF counting two), links of stock
// files opened only as web pages or mail, and the layout applied to the controls.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <string>
#include <vector>

#include "modal_driver.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/upper_calls.h"
#include "program/core/windows/shell_open.h"
#include "program/stock/window_support.h"
#include "program/ui/about_window.h"
#include "screenshot.h"
#include "stock_loading_fixture.h"
#include "desktop_fakes.h"

namespace {

class AboutWindowTest : public stock_load_test::StockLoadTest {
protected:
    // Authors of the test's own, each named by one stock entry.
    void SetAuthors(const std::vector<AuthorEntry>& authors) {
        yov::ProgramState& st = yov::programState();
        const int32_t n = static_cast<int32_t>(authors.size());
        ASSERT_TRUE(st.Arrays.Authors.redim(n));
        ASSERT_TRUE(st.Arrays.Stock.redim(n));
        for (int32_t i = 1; i <= n; ++i) {
            st.Arrays.Authors[i] = authors[static_cast<size_t>(i - 1)];
            st.Arrays.Stock[i].Author = static_cast<int16_t>(i);
        }
        st.Shared.AuthorCount = n;
        st.Shared.StockCount = n;
    }

    // The point of the pane over a credits position.
    static QPoint pointAt(yov::AboutWindow& w, int32_t creditsPosition) {
        QTextCursor c(w.Txt.document());
        // Each paragraph break before the position is one character in the pane, two in
        // the credits.
        int32_t pane = creditsPosition;
        const int32_t last = w.Txt.document()->characterCount() - 1;
        for (int32_t guess = 0; guess <= creditsPosition && guess <= last; ++guess) {
            c.setPosition(guess);
            if (guess + c.block().blockNumber() == creditsPosition) {
                pane = guess;
                break;
            }
        }
        c.setPosition(pane);
        const QRect r = w.Txt.cursorRect(c);
        return QPoint(r.x() + 2, r.center().y());
    }

    // The addresses handed to the desktop, as text.
    std::vector<std::string> opened() const {
        std::vector<std::string> out;
        for (const QUrl& u : desktop_.opened) out.push_back(u.toString().toStdString());
        return out;
    }
    desktop_test::RecordingDesktop desktop_;
};

TEST_F(AboutWindowTest, ListsTheDemoStocksAuthors) {
    Load(std::string(YOV_DEMO_DATA) + "/demo.stk");
    ASSERT_GE(yov::programState().Shared.AuthorCount, 1);
    yov::AboutWindow w;
    w.resize(500, 400);
    EXPECT_TRUE(w.Txt.toPlainText().contains(QStringLiteral("Picture authors:")));
    EXPECT_TRUE(w.Txt.toPlainText().contains(QStringLiteral("The Yov project")));
    EXPECT_EQ(w.credits().AuthorLineCount(), 1);
    EXPECT_EQ(w.Label1.text(), QStringLiteral("Yov"));
    EXPECT_TRUE(w.Lab[0]->text().contains(QStringLiteral("4.3.10X")));
    w.resize(560, 460);
    yov_test::keepScreen(&w, "about_demo.png");
}

TEST_F(AboutWindowTest, TheAboutCommandOpensItModallyInSlot31) {
    const yov::UpperCalls saved = yov::upperCalls();
    yov::WireAbout();
    yov_test::ModalWatchdog watchdog;
    QPointer<QWidget> shown;
    bool escapeKeptIt = false;
    yov_test::whenModal([&](QWidget* window) {
        shown = window;
        EXPECT_NE(dynamic_cast<yov::AboutWindow*>(window), nullptr);
        EXPECT_EQ(yov::programState().WindowTable[31].window, window);
        QTest::keyClick(window, Qt::Key_Escape);
        escapeKeptIt = window->isVisible();
        QTest::keyClick(window, Qt::Key_F4, Qt::ControlModifier);
    });
    EXPECT_TRUE(yov::HandleFormCmd(4113, nullptr, 0));
    EXPECT_TRUE(escapeKeptIt) << "Escape does not close the About window";
    EXPECT_TRUE(shown.isNull()) << "closed and released";
    EXPECT_EQ(yov::programState().WindowTable[31].inUse, 0);
    yov::upperCalls() = saved;
}

TEST_F(AboutWindowTest, PanePositionsCountLineBreaksAsTwoAndLinksOpenOnlyWebAndMail) {
    AuthorEntry ann, bob, eve;
    ann.Name = u"Ann Berg";
    ann.Mail = u"ann@example.org";
    ann.HomePage = u"https://example.org/ann";
    bob.Name = u"Bob Cole";
    bob.HomePage = u"file:///etc/passwd";
    eve.Name = u"Eve Dunn";
    eve.HomePage = u"javascript:alert(1)";
    SetAuthors({ann, bob, eve});
    yov::AboutWindow w;
    w.resize(700, 500);
    w.show();
    const yov::Credits& c = w.credits();
    ASSERT_EQ(c.AuthorLineCount(), 3);
    // Every position of the first author line maps back to itself through the pane.
    for (int32_t p : {c.lines[1].start, c.lines[1].mailStart + 1, c.lines[1].homeStart + 1}) {
        const QPoint at = pointAt(w, p);
        EXPECT_NEAR(w.CreditsPositionAt(at), p, 1) << "position " << p;
    }
    w.Txt_MouseMove(pointAt(w, c.lines[1].mailStart + 2));
    EXPECT_EQ(w.ShownKind, yov::CreditLink::Mail);
    w.Txt_MouseDown(pointAt(w, c.lines[1].mailStart + 2));
    w.Txt_MouseDown(pointAt(w, c.lines[1].homeStart + 2));
    EXPECT_EQ(opened(), (std::vector<std::string>{"mailto:ann@example.org", "https://example.org/ann"}));
    const size_t boxesBefore = boxes_.size();
    w.Txt_MouseDown(pointAt(w, c.lines[2].homeStart + 2));  // a local file from a stock file
    w.Txt_MouseDown(pointAt(w, c.lines[3].homeStart + 2));  // another scheme
    EXPECT_EQ(opened().size(), 2u);
    EXPECT_EQ(boxes_.size(), boxesBefore + 2);  // each refusal said
    w.Txt_MouseMove(pointAt(w, c.lines[1].start + 1));
    EXPECT_EQ(w.ShownKind, yov::CreditLink::None);
}

TEST_F(AboutWindowTest, TheControlsStandWhereTheLayoutPutsThem) {
    yov::AboutWindow w;
    w.resize(640, 420);
    w.show();
    const yov::AboutPlaces& p = w.places();
    ASSERT_TRUE(p.changed);
    EXPECT_EQ(w.Txt.geometry(), QRect(p.credits.x, p.credits.y, p.credits.w, p.credits.h));
    EXPECT_EQ(w.Command1.geometry().topLeft(), QPoint(p.button.x, p.button.y));
    EXPECT_EQ(w.Pic2.geometry().right(), 639);  // the right picture ends at the window's edge
    EXPECT_EQ(w.Pic3.isVisible(), true);
    EXPECT_EQ(w.Pic3.pixmap().width(), 640);
    EXPECT_GE(w.minimumWidth(), 450);
    w.Lab_Click(3);
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0].rfind("https://", 0), 0u);
}

}  // namespace
