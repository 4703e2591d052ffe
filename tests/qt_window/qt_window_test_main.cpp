// The Qt window tests share one application object, made before any test runs, at the DPI the
// run names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtGlobal>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A run at another DPI than 96 (ctest runs the tests at 96, 120 and 144): Qt scales the
    // whole window by it, as a screen of that DPI does.
    if (!qEnvironmentVariableIsEmpty("ROMTOOL_TEST_DPI")) {
        qputenv("QT_SCALE_FACTOR",
                QByteArray::number(qEnvironmentVariableIntValue("ROMTOOL_TEST_DPI") / 96.0));
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
