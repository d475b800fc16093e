// SPDX-License-Identifier: GPL-3.0-or-later
// Tunewell: the main program. Loads the main window and runs until it closes.
#include <QApplication>

#include "platform/program_folder.h"
#include "settings/install_entry.h"
#include "shell/frm_main.h"
#include "widgets/program_font.h"
#include "widgets/qt_translations.h"
#include "widgets/shell_functions.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunewell"));
    tunewell::widgets::InstallProgramFont();
    tunewell::widgets::InstallQtTranslations();
    QApplication::setWindowIcon(tunewell::widgets::ProgramIcon());
    // An update replaces the program but not the installer's entry: the
    // list of installed programs would go on showing the old version.
    tunewell::settings::KeepInstallRecordInStep(tunewell::platform::ProgramFolder());

    tunewell::shell::MainWindowServices services;
    tunewell::shell::frmMain window(std::move(services));
    window.Form_Load();
    return QApplication::exec();
}
