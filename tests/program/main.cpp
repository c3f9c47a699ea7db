// Program tests run inside one QApplication on the offscreen platform, so widgets can be
// made without a display (also when the binary is run by hand or listed by CTest).
#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>

#include "program/ui/window_ops_qt.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's window system, as the program puts it in place at start-up.
    yov::UseQtWindowSystem();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
