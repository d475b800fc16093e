// Runs the window tests inside one QApplication (offscreen unless the
// environment chooses a platform).
#include <QApplication>

#include <gtest/gtest.h>

#include "widgets/program_font.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tunewell::widgets::InstallProgramFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
