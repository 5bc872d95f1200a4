// main() of the GUI tests: a QApplication (offscreen unless the environment picks a platform), the
// delivery gate bound to its thread, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>

#include "platform/ui/Gate.h"

#if defined(__SANITIZE_THREAD__)
// Qt paints some widgets on its own uninstrumented thread pool; what happens inside Qt is not ours to
// check, and without this every GUI test under ThreadSanitizer reports Qt's internals.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1";
}
#endif

namespace {

// The offscreen platform's own screen is 800 x 600, smaller than any desktop the module runs on; the
// tests get a common desktop's screen instead, so that dialogs are laid out as users see them.
QString OffscreenScreen() {
    const QString path =
        QDir::temp().filePath(QString("ksx-offscreen-%1.json").arg(QCoreApplication::applicationPid()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QString screenFile;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        screenFile = OffscreenScreen();
        if (!screenFile.isEmpty()) {
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screenFile.toLocal8Bit());
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    int rc = 0;
    {
        QApplication app(argc, argv);
        ksx::ui::InstallGate();
        rc = RUN_ALL_TESTS();
        ksx::ui::UninstallGate();
    }
    if (!screenFile.isEmpty()) {
        QFile::remove(screenFile);
    }
    return rc;
}
