// main() of the GUI tests: a QApplication (offscreen unless the environment picks a platform), the
// delivery gate bound to its thread, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/ui/Gate.h"

#if defined(__SANITIZE_THREAD__)
// Qt paints some widgets on its own uninstrumented thread pool; what happens inside Qt is not ours to
// check, and without this every GUI test under ThreadSanitizer reports Qt's internals.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
#endif

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
