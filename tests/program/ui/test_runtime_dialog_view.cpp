// The run-time dialog on the offscreen platform: built from field lists of every kind,
// edited, read back into the records and the settings, reused for a smaller dialog, and
// fed by a dropped file.
#include <gtest/gtest.h>

#include <optional>

#include <QDir>
#include <QFileDialog>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "core_fixture.h"
#include "modal_driver.h"
#include "program/core/settings/settings.h"
#include "program/core/windows/file_dialog.h"
#include "program/core/windows/modal.h"
#include "program/ui/runtime_dialog_view.h"
#include "desktop_fakes.h"

namespace {

namespace df = yov::dlg_flag;
using yov::DialogField;

DialogField field(uint32_t flags, int16_t next, const char16_t* caption, int16_t link = 0) {
    DialogField f;
    f.FieldFlags = flags;
    f.NextField = next;
    f.FieldCaption = caption;
    f.LinkIndex = link;
    return f;
}

class RuntimeDialogView : public core_test::CoreTest {
protected:
    // Every kind: a required upper-case text field, a folder field, a framed group of two
    // check boxes side by side, an option group, the button row.
    void Fill() {
        yov::DialogService& ds = yov::dialogService();
        ds.DialogFields.assign(11, DialogField{});
        ds.DialogFields[1] = field(df::kGroup, 0, u"", 2);
        ds.DialogFields[2] = field(df::kTypeUpper | df::kRequired | df::kStore, 3, u"Name");
        ds.DialogFields[2].FieldText = u"abc";
        ds.DialogFields[3] = field(df::kFolderBrowse | df::kStore | 1, 4, u"Folder");
        ds.DialogFields[4] = field(df::kFramedGroup | df::kSideBySide, 7, u"", 5);
        ds.DialogFields[5] = field(df::kCheckBox | df::kStore | 2, 6, u"Snow");
        ds.DialogFields[6] = field(df::kCheckBox | 5, 0, u"Night");
        ds.DialogFields[6].FieldValue = 1;
        ds.DialogFields[7] = field(df::kOptionGroup, 10, u"", 8);
        ds.DialogFields[8] = field(df::kOption, 9, u"Slow");
        ds.DialogFields[9] = field(df::kOption, 0, u"Fast");
        ds.DialogFields[10] = field(df::kButtonRow, 0, u"");
        ds.DialogFieldCount = 10;
        ds.DialogValuePrefix = u"Dlg";
    }
};

TEST_F(RuntimeDialogView, BuiltEditedAndStored) {
    Fill();
    yov::DlgFrm w;
    ASSERT_TRUE(w.DlgPrepare());
    ASSERT_GE(w.Txt.size(), 2u);
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("abc"));
    EXPECT_TRUE(w.Chk[1]->isChecked());
    EXPECT_TRUE(w.Opt[0]->isChecked());  // option 0 of the group
    EXPECT_EQ(w.Chk[0]->parentWidget(), w.Frm[0]);
    EXPECT_TRUE(w.CmdBrw[0]->isVisibleTo(&w));
    // Typing follows the input case rule; a label click empties its field.
    w.Txt[0]->setFocus();
    w.Txt[0]->selectAll();
    QTest::keyClicks(w.Txt[0], QStringLiteral("dora"));
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("DORA"));
    w.Txt[1]->setText(QStringLiteral("scenes/snow"));
    w.Chk[0]->setChecked(true);
    w.Opt[1]->setChecked(true);
    w.CmdOk_Click();
    const yov::DialogService& ds = yov::dialogService();
    EXPECT_EQ(yov::modalState().DialogResult, 1);
    EXPECT_EQ(ds.DialogFields[2].FieldText, u"DORA");
    EXPECT_EQ(ds.DialogFields[3].FieldText, u"scenes/snow/") << "the folder as written, its separator after it";
    EXPECT_EQ(ds.DialogFields[5].FieldValue, 4);
    EXPECT_EQ(ds.DialogFields[7].FieldValue, 1);
    EXPECT_EQ(yov::GetRegString(u"Dlg2"), u"DORA");
    EXPECT_EQ(yov::GetRegString(u"Dlg3"), u"scenes/snow");
    EXPECT_EQ(yov::GetRegNumber(u"Dlg5", -1), 1);
    EXPECT_EQ(yov::GetRegNumber(u"Dlg6", -1), -1);  // not marked for storing
}

TEST_F(RuntimeDialogView, RequiredEmptyClosesWithZeroAndASmallerDialogHidesTheRest) {
    Fill();
    yov::DlgFrm w;
    ASSERT_TRUE(w.DlgPrepare());
    w.Lab_Click(0);  // empties the required field
    EXPECT_TRUE(w.Txt[0]->text().isEmpty());
    w.CmdOk_Click();
    EXPECT_EQ(yov::modalState().DialogResult, 0);
    EXPECT_EQ(yov::GetRegString(u"Dlg3", u"-"), u"");  // the other fields were stored all the same

    yov::DialogService& ds = yov::dialogService();
    ds.DialogFields.assign(3, DialogField{});
    ds.DialogFields[1] = field(df::kGroup, 0, u"", 2);
    ds.DialogFields[2] = field(df::kCheckBox, 0, u"Only");
    ds.DialogFieldCount = 2;
    ASSERT_TRUE(w.DlgPrepare());
    EXPECT_TRUE(w.Chk[0]->isVisibleTo(&w));
    EXPECT_FALSE(w.Chk[1]->isVisibleTo(&w));
    EXPECT_FALSE(w.Txt[0]->isVisibleTo(&w));
    EXPECT_FALSE(w.Frm[0]->isVisibleTo(&w));
}

TEST_F(RuntimeDialogView, AFileDroppedOnAFolderFieldGivesItsFolder) {
    Fill();
    yov::DlgFrm w;
    ASSERT_TRUE(w.DlgPrepare());
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(QStringLiteral("/srv/scenes/snow.ttt"))});
    w.DropOnto(w.Txt[1], &file);
    EXPECT_EQ(w.Txt[1]->text(), QStringLiteral("/srv/scenes"));
    QMimeData text;
    text.setText(QStringLiteral("xy"));
    w.Txt[0]->setText(QStringLiteral("A"));
    w.Txt[0]->setCursorPosition(1);
    w.DropOnto(w.Txt[0], &text);
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("AXY"));  // upper-cased as typed text is
    // Several files are no drop, even when their names come along as text.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(QStringLiteral("/a")), QUrl::fromLocalFile(QStringLiteral("/b"))});
    two.setText(QStringLiteral("/a\n/b"));
    w.DropOnto(w.Txt[0], &two);
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("AXY"));
}

TEST_F(RuntimeDialogView, EscapeCancelsTheModalShowing) {
    Fill();
    yov::DlgFrm w;
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    w.DlgShow();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(yov::modalState().DialogResult, 0);
    EXPECT_EQ(yov::dialogService().DialogFields[2].FieldText, u"abc");  // the input kept
}

TEST_F(RuntimeDialogView, TooManyRecordsAreNotShown) {
    yov::DialogService& ds = yov::dialogService();
    ds.DialogFields.assign(200, DialogField{});
    ds.DialogFieldCount = 199;
    yov::DlgFrm w;
    w.DlgShow();  // returns at once
    EXPECT_EQ(yov::modalState().DialogResult, 0);
    const std::string log = readFile(logPath());
    EXPECT_NE(log.find("191"), std::string::npos) << log;
}

TEST_F(RuntimeDialogView, BrowseButtonsFillTheirFieldsAndACancelChangesNothing) {
    yov::DialogService& ds = yov::dialogService();
    ds.DialogFields.assign(4, DialogField{});
    ds.DialogFields[1] = field(df::kGroup, 0, u"", 2);
    ds.DialogFields[2] = field(df::kFileBrowse | df::kTypeUpper, 3, u"Scene");
    ds.DialogFields[3] = field(df::kFolderBrowse, 0, u"Folder");
    ds.DialogFieldCount = 3;
    yov::DlgFrm w;
    w.setWindowTitle(QStringLiteral("Options"));
    ASSERT_TRUE(w.DlgPrepare());
    ASSERT_GE(w.CmdBrw.size(), 2u);

    QStringList answer{QStringLiteral("/srv/scenes/snow.ttt")};
    QString title;
    std::optional<desktop_test::AnsweringFileDialogs> dialogs(std::in_place, [&](const yov::FileDialogRequest& r) {
        title = r.title;
        return answer;
    });
    w.CmdBrw_Click(0);
    EXPECT_EQ(title, QStringLiteral("Options: Scene")) << "the dialog's caption and the field's label";
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("/SRV/SCENES/SNOW.TTT")) << "the field's input case rule";
    answer.clear();  // cancelled
    w.CmdBrw_Click(0);
    EXPECT_EQ(w.Txt[0]->text(), QStringLiteral("/SRV/SCENES/SNOW.TTT"));
    dialogs.reset();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    w.Txt[1]->setText(dir.path());
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([](QWidget* chooser) {
        ASSERT_NE(qobject_cast<QFileDialog*>(chooser), nullptr);
        static_cast<QDialog*>(chooser)->accept();
    });
    w.CmdBrw_Click(1);
    EXPECT_EQ(QDir(w.Txt[1]->text()).absolutePath(), QDir(dir.path()).absolutePath());
}

TEST_F(RuntimeDialogView, CtrlF4ClosesTheShowingAndTheWindowServesTheNext) {
    Fill();
    yov::DlgFrm w;
    QPointer<yov::DlgFrm> guard(&w);
    yov_test::ModalWatchdog watchdog;
    yov_test::whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_F4, Qt::ControlModifier); });
    w.DlgShow();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(yov::modalState().DialogResult, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(guard.isNull()) << "the window is kept for the next dialog";
    yov_test::whenModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    w.DlgShow();
    EXPECT_FALSE(w.isVisible());
}

}  // namespace
