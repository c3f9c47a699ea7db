// The settings dialog as start-up opens it under the offscreen platform, over a settings file
// of the test's own: REGEDIT4 lines of the program key, where "@SCRIPT@" and "@STOCK@" stand
// for the test's scene script and stock. The process end is recorded (startup_fixture.h).
#pragma once

#include <QDir>
#include <QFile>
#include <QPixmap>

#include <string>

#include "platform/registry.h"
#include "program/core/startup/startup.h"
#include "program/dialogs/dialogs_state.h"
#include "program/dialogs/cfg_state.h"
#include "program/stock_data/stock_loading.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/program_parts.h"
#include "startup_fixture.h"

namespace cfg_test {

class CfgDialogTest : public startup_test::StartupTest {
    yov::FreshDialogsState freshDialogs_;  // each test on a state of its own
protected:
    void SetUp() override {
        StartupTest::SetUp();
        yov::UseProgramParts();  // Main opens the program's own dialog
    }
    // Writes the settings: the program key's lines after its header.
    void writeSettings(std::string lines) {
        for (const char* mark : {"@SCRIPT@", "@STOCK@"}) {
            const std::string& file = std::string(mark) == "@SCRIPT@" ? script_ : stock_;
            for (size_t at = lines.find(mark); at != std::string::npos; at = lines.find(mark))
                lines.replace(at, std::string(mark).size(), file);
        }
        const std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Vantrel\\Yov]\n" + lines;
        const std::string dir = folder() + "/config";
        QDir().mkpath(QString::fromStdString(dir));
        QFile f(QString::fromStdString(dir + "/registry.reg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.c_str());
        f.close();
        plat::Registry::current().reopen(dir);
    }
    void TearDown() override {
        yov::PostDeferredAction(0);
        runUntilEnded();
        StartupTest::TearDown();
    }

    yov::CfgFrm* dialog() {
        return dynamic_cast<yov::CfgFrm*>(yov::programState().WindowTable[yov::kSettingsSlot].window);
    }
    // "/c" with the settings written: the dialog, or null.
    yov::CfgFrm* open() {
        yov::Main(u"/c");
        runFor(100);
        return dialog();
    }
    void selectTab(yov::CfgFrm* cfg, int index) {
        cfg->Tab1->setCurrentIndex(index);
        runFor(30);
    }
    // A picture of the dialog for a person to look at, when YOV_SCREENSHOTS names a folder.
    void keepPicture(yov::CfgFrm* cfg, const char* name) {
        const QPixmap picture = cfg->grab();
        EXPECT_FALSE(picture.isNull());
        const QString dir = qEnvironmentVariable("YOV_SCREENSHOTS");
        if (!dir.isEmpty()) picture.save(dir + "/" + name);
    }

    std::string script_;
    std::string stock_;
};

}  // namespace cfg_test
