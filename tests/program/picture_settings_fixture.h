// Tests of windows that take pictures from the settings (n & "PPic", slot & "I"): the
// settings are a map the test fills, read through the util hooks, and pictures are small
// files written into a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <map>
#include <string>

#include "program/core/startup/util_hooks.h"

namespace picture_settings_test {

class PictureSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        yov::utilHooks() = {};
        yov::utilHooks().getRegString = [this](std::string_view name, std::string_view def) {
            const auto it = settings_.find(std::string(name));
            return it != settings_.end() ? it->second : std::string(def);
        };
    }
    void TearDown() override { yov::utilHooks() = {}; }

    // A picture file of one colour; its path.
    std::string picture(const char* name, QColor colour, int width = 8, int height = 6) {
        QImage img(width, height, QImage::Format_RGB32);
        img.fill(colour);
        const QString path = dir_.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(img.save(path));
        return path.toStdString();
    }

    QTemporaryDir dir_;
    std::map<std::string, std::string> settings_;
};

}  // namespace picture_settings_test
