#include "program/core/windows/form_icons.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>

#include <map>
#include <string>

#include "picture_settings_fixture.h"

namespace {

using FormIcons = picture_settings_test::PictureSettingsTest;

TEST_F(FormIcons, APictureSettingFillsThePictureBox) {
    setting("2PPic", picture("splash.png", Qt::red));
    QLabel box;
    yov::LoadPictureBox(&box, 2);
    ASSERT_FALSE(box.pixmap().isNull());
    EXPECT_EQ(box.pixmap().size(), QSize(8, 6));
    EXPECT_EQ(box.pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(FormIcons, AFileThatIsNoPictureLeavesTheDesignedOne) {
    const QString notPicture = dir_.filePath(QStringLiteral("readme.png"));
    QFile f(notPicture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    setting("7PPic", notPicture.toStdString());
    QLabel box;
    QPixmap designed(3, 3);
    designed.fill(Qt::blue);
    box.setPixmap(designed);
    yov::LoadPictureBox(&box, 7);  // and no built-in bitmap 307 either
    EXPECT_EQ(box.pixmap().size(), QSize(3, 3));
}

TEST_F(FormIcons, AnIconFileSettingSetsTheWindowIcon) {
    setting("33I", picture("cfg.png", Qt::green));
    QWidget w;
    yov::SetFormIcon(33, &w);
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(w.windowIcon().availableSizes().isEmpty());
}

TEST_F(FormIcons, AMissingIconKeepsTheDesignedOne) {
    setting("71I", dir_.filePath(QStringLiteral("missing.ico")).toStdString());
    QWidget w;
    QPixmap designed(4, 4);
    designed.fill(Qt::yellow);
    w.setWindowIcon(QIcon(designed));
    yov::SetFormIcon(71, &w);
    EXPECT_EQ(w.windowIcon().availableSizes().value(0), QSize(4, 4));
}

TEST(MoveForm, NegativeValuesKeepThePresentOnes) {
    QWidget parent;
    auto* control = new QWidget(&parent);
    control->setGeometry(5, 6, 70, 80);
    yov::MoveForm(control, -1, 20, -1, 40);
    EXPECT_EQ(control->geometry(), QRect(5, 20, 70, 40));
    yov::MoveForm(control, 9, -1, 11, -1);
    EXPECT_EQ(control->geometry(), QRect(9, 20, 11, 40));
}

TEST(MoveForm, AComboBoxKeepsItsHeight) {
    QWidget parent;
    auto* combo = new QComboBox(&parent);
    combo->setGeometry(0, 0, 50, 22);
    yov::MoveForm(combo, 1, 2, 90, 300);
    EXPECT_EQ(combo->geometry(), QRect(1, 2, 90, 22));
}

}  // namespace
