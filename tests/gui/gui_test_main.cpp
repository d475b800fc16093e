// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the window tests inside one QApplication: offscreen unless the
// environment chooses a platform, or, in the Windows build, Qt's Windows
// platform (the only one built there; wine never passes QT_ variables on,
// so the environment cannot choose it).
#include <QApplication>

#include <gtest/gtest.h>

#include "widgets/program_font.h"

int main(int argc, char** argv) {
#ifndef TUNEWELL_GUI_TEST_NATIVE_PLATFORM
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    tunewell::widgets::InstallProgramFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
