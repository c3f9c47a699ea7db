// Tests of windows that take pictures from the settings (n & "PPic", slot & "I"): the
// settings are the program's, kept in a temporary folder for the test, and pictures are
// small files written into it.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <string>

#include "platform/codepage.h"
#include "platform/config_folder.h"
#include "platform/registry.h"
#include "program/core/settings/settings.h"

namespace picture_settings_test {

class PictureSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        plat::Registry::current().reopen(dir_.filePath(QStringLiteral("config")).toStdString());
    }
    void TearDown() override { plat::Registry::current().reopen(plat::configFolder()); }

    // A setting under the program key, as the settings dialog stores it.
    static void setting(const std::string& name, const std::string& text) {
        yov::SaveRegString(plat::utf8ToUtf16(name), plat::utf8ToUtf16(text));
    }

    // A picture file of one colour; its path.
    std::string picture(const char* name, QColor colour, int width = 8, int height = 6) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = dir_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(img.save(path));
        return path.toStdString();
    }

    QTemporaryDir dir_;
};

}  // namespace picture_settings_test
