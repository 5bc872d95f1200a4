// main() of the GUI tests: a QApplication (offscreen unless the environment picks a platform), the
// delivery gate bound to its thread, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/Gate.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    int rc = 0;
    {
        QApplication app(argc, argv);
        ksx::ui::InstallGate();
        rc = RUN_ALL_TESTS();
        ksx::ui::UninstallGate();
    }
    return rc;
}
