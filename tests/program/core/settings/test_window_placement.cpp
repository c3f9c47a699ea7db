// Windows opened and closed: placement kept in the settings, engine registration, and
// texts from the keys in the controls' tags. Qt on the offscreen platform.
#include "program/core/settings/window_placement.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "core_fixture.h"
#include "desktop_fakes.h"
#include "program/core/windows/context_help.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/texts/localize.h"
#include "program/core/texts/program_error.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/service_window.h"
#include "recording_engine.h"

namespace {

using core_test::addLanguage;
using core_test::addText;
using core_test::CoreTest;

constexpr uint8_t kSlot = 33;

class Placement : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        auto& st = yov::programState();
        st.machine.ScreenWidthPx = 1000;
        st.machine.ScreenHeightPx = 800;
    }

    std::unique_ptr<QWidget> window(int w = 300, int h = 200) {
        auto win = std::make_unique<QWidget>();
        win->resize(w, h);
        return win;
    }
    static QRect rect(const QWidget& w) { return {w.pos(), w.size()}; }

    const FormLimits& limits() const { return engine_.openedLimits; }

    engine_test::RecordingEngine engine_;
};

TEST_F(Placement, FirstStartOpensCentredAtTheDesignedSize) {
    auto w = window();
    yov::OpenForm(kSlot, w.get(), 300, 200);
    EXPECT_EQ(rect(*w), QRect(350, 300, 300, 200));
    EXPECT_EQ(engine_.callsOf("OpenFrm"), std::vector<std::string>{"OpenFrm 33"});
    EXPECT_EQ(engine_.openedWindow, reinterpret_cast<LvWindow>(w.get()));
    EXPECT_EQ(yov::programState().WindowTable[33].window, w.get());
    EXPECT_EQ(yov::programState().WindowTable[33].inUse, -1);
}

TEST_F(Placement, PlacementIsStoredOnCloseAndRestoredOnOpen) {
    for (const std::u16string letter : {u"", u"B", u"E"}) {
        SCOPED_TRACE(core_test::utf8(letter));
        yov::programState().road.InstanceLetter = letter;
        auto first = window();
        yov::OpenForm(kSlot, first.get(), 300, 200);
        first->show();
        first->move(40, 50);
        first->resize(320, 240);
        yov::CloseForm(kSlot);
        EXPECT_FALSE(first->isVisible());
        EXPECT_EQ(yov::programState().WindowTable[33].inUse, 0);
        EXPECT_EQ(engine_.callsOf("CloseFrm").back(), "CloseFrm 33");
        EXPECT_EQ(yov::GetRegString(u"33X", u"", letter), u"40");
        EXPECT_EQ(yov::GetRegString(u"33H", u"", letter), u"240");

        auto second = window();
        yov::OpenForm(kSlot, second.get(), 300, 200);
        EXPECT_EQ(rect(*second), QRect(40, 50, 320, 240));
    }
    // Each instance has its own sibling key.
    yov::programState().road.InstanceLetter = u"C";
    auto other = window();
    yov::OpenForm(kSlot, other.get(), 300, 200);
    EXPECT_EQ(rect(*other), QRect(350, 300, 300, 200));
}

TEST_F(Placement, StoredPlacementsAreKeptInsideTheScreen) {
    struct Case {
        const char* name;
        int x, y, w, h;  // stored
        int minW, minH;  // given to OpenForm
        QRect expected;
    };
    const std::vector<Case> cases = {
        {"dragged off to the left", -30, 10, 300, 200, 0, 0, QRect(0, 10, 300, 200)},
        {"beyond the right edge", 900, 700, 300, 200, 0, 0, QRect(700, 600, 300, 200)},
        {"wider than the screen", 10, 10, 1500, 900, 0, 0, QRect(0, 0, 1000, 800)},
        {"raised to the minimum", 10, 10, 100, 50, 250, 120, QRect(10, 10, 250, 120)},
        {"minimum above the screen", 10, 10, 100, 50, 5000, 5000, QRect(0, 0, 1000, 800)},
        {"zero size takes the screen", 10, 10, 0, 0, 0, 0, QRect(0, 0, 1000, 800)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto w = window();
        if (c.x < 0) {
            // As the window would store it when closed there.
            w->move(c.x, c.y);
            w->resize(c.w, c.h);
            yov::SaveFormPos(kSlot, w.get());
        } else {
            yov::SaveRegNumber(u"33X", c.x);
            yov::SaveRegNumber(u"33Y", c.y);
            yov::SaveRegNumber(u"33W", c.w);
            yov::SaveRegNumber(u"33H", c.h);
        }
        auto reopened = window();
        yov::OpenForm(kSlot, reopened.get(), 300, 200, c.minW, c.minH);
        EXPECT_EQ(rect(*reopened), c.expected);
    }
}

// Windows outside the table (slot codes 64 to 74) carry the bit that keeps their size.
TEST_F(Placement, AWindowThatKeepsItsSizeStoresOnlyItsPlace) {
    const uint8_t slot = yov::kSlotKeepsSize | 1;  // slot code 65
    auto w = window(300, 200);
    yov::InitForm(slot, w.get());
    EXPECT_EQ(rect(*w), QRect(350, 300, 300, 200));
    w->move(70, 80);
    w->resize(500, 500);
    yov::SaveFormPos(slot, w.get());
    EXPECT_EQ(yov::GetRegString(u"65X"), u"70");
    EXPECT_EQ(yov::GetRegString(u"65W", u"none"), u"none");
    auto again = window(300, 200);
    yov::InitForm(slot, again.get());
    EXPECT_EQ(rect(*again), QRect(70, 80, 300, 200));
}

TEST_F(Placement, OwnKeyNoRestoreMinimisedAndFullScreen) {
    // A caller's own key: plain value names under it.
    auto w = window();
    yov::OpenForm(kSlot, w.get(), 300, 200, 0, 0, u"\\Stock\\A|B.STK\\");
    w->move(11, 12);
    yov::CloseForm(kSlot, u"\\Stock\\A|B.STK\\");
    EXPECT_EQ(yov::GetRegString(u"X", u"", u"\\Stock\\A|B.STK\\"), u"11");

    // 0x80: opened where it is.
    auto fixed = window();
    fixed->move(5, 6);
    yov::OpenForm(yov::kSlotNoRestore | 34, fixed.get(), 300, 200);
    EXPECT_EQ(rect(*fixed), QRect(5, 6, 300, 200));

    // A minimised or maximised window neither stores nor restores.
    auto small = window();
    yov::OpenForm(35, small.get(), 300, 200);
    small->move(1, 2);
    small->setWindowState(Qt::WindowMinimized);
    yov::CloseForm(35);
    EXPECT_EQ(yov::GetRegString(u"35X", u"none"), u"none");

    // The show window closed from a full-screen show keeps its windowed placement.
    yov::SaveRegNumber(u"0X", 123);
    auto show = window();
    yov::OpenForm(0, show.get(), 300, 200);
    show->move(0, 0);
    yov::programState().run.ShowMode = 1;
    yov::CloseForm(0);
    EXPECT_EQ(yov::GetRegString(u"0X"), u"123");
    yov::programState().run.ShowMode = 0;
}

TEST_F(Placement, OpenFormFillsTheLimitsTheEngineReads) {
    auto& st = yov::programState();
    st.Shared.Limits.Flags = 0xE000;
    auto w = window();
    yov::OpenForm(12, w.get(), 300, 200, 2000, 150);
    EXPECT_EQ(limits().Flags, 0xE000 | 0x0800 | 0x0400);
    EXPECT_EQ(limits().MinWidth, 1000);
    EXPECT_EQ(limits().MinHeight, 150);
    EXPECT_EQ(limits().OwnerWindow, 0) << "no service window yet: the preview has none";
    const yov::HFrm& service = yov::LoadServiceWindow();
    yov::OpenForm(12, w.get(), 300, 200, 2000, 150);
    EXPECT_EQ(limits().OwnerWindow, reinterpret_cast<intptr_t>(&service)) << "the service window owns the window";
    yov::UnloadServiceWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The flags are only ever set.
    yov::helpFiles().HelpFile = u"doc/help.html";
    st.files.DocFile = u"doc/index.html";
    st.Shared.Limits.Flags = 0xE000;
    auto w2 = window();
    yov::OpenForm(13, w2.get(), 300, 200);
    EXPECT_EQ(limits().Flags, 0xE000);

    auto outside = window();
    EXPECT_THROW(yov::OpenForm(64, outside.get()), yov::ProgramError);
}

TEST_F(Placement, AHelpFileChosenLaterClearsTheNoHelpFlag) {
    auto& st = yov::programState();
    st.files.DocFile = u"doc/index.html";
    auto before = window();
    yov::OpenForm(12, before.get(), 300, 200);
    EXPECT_EQ(limits().Flags & 0x0800, 0x0800) << "no help file found at start-up";

    {
        desktop_test::AnsweringFileDialogs dialogs(
            [](const yov::FileDialogRequest&) { return QStringList{"/tmp/chosen-help.html"}; });
        EXPECT_TRUE(yov::ShowContextHelp(yov::help_cmd::kChooseHelpFile, nullptr, 0));
    }

    st.Shared.Limits.Flags = 0;
    auto after = window();
    yov::OpenForm(13, after.get(), 300, 200);
    EXPECT_EQ(limits().Flags & 0x0800, 0) << "a window opened after the choice offers help";
}

TEST_F(Placement, PendingMoveIsRepeatedByTheServiceTimer) {
    auto w = window();
    yov::OpenForm(kSlot, w.get(), 300, 200);  // centred: 350, 300
    w->move(0, 0);                            // the window system moved it meanwhile
    yov::TickPendingMove();
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    yov::TickPendingMove();
    EXPECT_EQ(w->pos(), QPoint(350, 300));
    EXPECT_EQ(yov::placementState().move.countdown, 0);

    // While one move is pending, another window's request is not recorded.
    yov::DeferFormMove(10, 10, 300, 200, w.get(), kSlot);
    auto other = window();
    yov::programState().WindowTable[20] = {other.get(), -1};
    yov::DeferFormMove(20, 20, 300, 200, other.get(), 20);
    EXPECT_EQ(yov::placementState().move.slot, 33);

    // A window outside the table is found through the side table, and forgotten safely.
    yov::placementState().move = {};
    auto outer = std::make_unique<QWidget>();
    yov::DeferFormMove(-1, -1, 100, 100, outer.get(), 66);
    outer->move(0, 0);
    yov::TickPendingMove();
    yov::TickPendingMove();
    EXPECT_EQ(outer->pos(), QPoint(450, 350));
    yov::DeferFormMove(-1, -1, 100, 100, outer.get(), 66);
    outer.reset();
    yov::TickPendingMove();
    EXPECT_NO_FATAL_FAILURE(yov::TickPendingMove());
}

class Localize : public Placement {
protected:
    void SetUp() override {
        Placement::SetUp();
        addLanguage(u"E");
        addLanguage(u"C");
        yov::programState().Shared.CurrentLanguage = 2;
    }
};

TEST_F(Localize, EveryControlTakesItsTextsFromItsTag) {
    addText(u"OK", {u"", u"", u"&Bud\u017Ei\u0161"});
    addText(u"NAME", {u"", u"", u"Jm\u00E9no"});
    addText(u"SND", {u"", u"", u"Zvuk"});
    addText(u"SND2_TIP", {u"", u"", u"P\u0159ehr\u00E1t zvuk"});
    addText(u"SND_TIP", {u"", u"", u"wrong tip"});
    addText(u"EDT_TIP", {u"", u"", u"Text vlaku"});
    addText(u"GRP", {u"", u"", u"Skupina"});
    addText(u"TAB1", {u"", u"", u"Prvn\u00ED"});
    addText(u"TAB1_TIP", {u"", u"", u"Prvn\u00ED karta"});
    addText(u"CFG", {u"", u"", u"Nastaven\u00ED &programu"});

    QWidget form;
    yov::setControlTag(&form, u"CFG");
    form.setWindowTitle(QStringLiteral("Settings"));
    auto* layout = new QVBoxLayout(&form);
    auto* ok = new QPushButton(QStringLiteral("&O.K."));
    auto* name = new QLabel(QStringLiteral("Name:"));
    auto* sound = new QCheckBox(QStringLiteral("Sound"));
    auto* edit = new QLineEdit;
    auto* group = new QGroupBox(QStringLiteral("Group"));
    auto* plain = new QPushButton(QStringLiteral("Designed"));
    auto* tabs = new QTabBar;
    for (QWidget* c : std::initializer_list<QWidget*>{ok, name, sound, edit, group, plain, tabs}) layout->addWidget(c);
    yov::setControlTag(ok, u"OK");
    yov::setControlTag(name, u"NAME");
    yov::setControlTag(sound, u"SND#2");
    yov::setControlTag(edit, u"#EDT");
    yov::setControlTag(group, u"GRP");
    yov::setControlTag(plain, u"NOTRANS");
    plain->setToolTip(QStringLiteral("designed tip"));
    tabs->addTab(QStringLiteral("First"));
    tabs->setTabData(0, QStringLiteral("TAB1"));
    tabs->addTab(QStringLiteral("Second"));

    yov::InitForm(kSlot, &form);
    EXPECT_EQ(ok->text(), QStringLiteral("&Bud\u017Ei\u0161"));  // access key kept
    EXPECT_EQ(name->text(), QStringLiteral("Jm\u00E9no:"));      // ending inherited
    EXPECT_EQ(sound->text(), QStringLiteral("Zvuk"));
    EXPECT_EQ(sound->toolTip(), QStringLiteral("P\u0159ehr\u00E1t zvuk"));
    EXPECT_EQ(edit->toolTip(), QStringLiteral("Text vlaku"));
    EXPECT_EQ(group->title(), QStringLiteral("Skupina"));
    EXPECT_EQ(plain->text(), QStringLiteral("Designed"));
    EXPECT_EQ(plain->toolTip(), QStringLiteral("designed tip"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Prvn\u00ED"));
    EXPECT_EQ(tabs->tabToolTip(0), QStringLiteral("Prvn\u00ED karta"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Second"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Nastaven\u00ED programu"));
    // InitForm also placed the window (centred at its present size).
    EXPECT_EQ(form.pos(), QPoint((1000 - form.width()) / 2, (800 - form.height()) / 2));
}

TEST_F(Localize, WindowCaptionsAreFoldedOntoOneLine) {
    struct Case {
        const char* name;
        std::u16string caption;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"word broken at its hyphen", u"Nasta-\r\nven\u00ED", u"Nastaven\u00ED"},
        {"two lines", u"Two\r\nlines", u"Two lines"},
        {"line break first stays", u"\r\nX", u"\r\nX"},
        {"hyphen first", u"-\r\nx", u"x"},
        {"several", u"a-\r\nb\r\nc-\r\nd", u"ab cd"},
        {"a lone hyphen stays", u"a - b", u"a - b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(yov::FoldCaptionLines(c.caption), c.expected);
    }
    addText(u"WIN", {u"", u"", u"Seznam vo-\\nz\u016F"});
    QWidget form;
    yov::setControlTag(&form, u"WIN");
    yov::LocalizeForm(&form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Seznam voz\u016F"));
}

}  // namespace
