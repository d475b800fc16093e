// SPDX-License-Identifier: GPL-3.0-or-later
// Tunewell: the main program. Loads the main window and runs until it closes.
// `Tunewell ADDRESS` fetches the address once the window has started; a
// later start for the same settings folder hands its address to the window
// already running and ends.
#include <QApplication>
#include <QStringList>

#include "platform/program_folder.h"
#include "settings/install_entry.h"
#include "settings/program_places.h"
#include "shell/frm_main.h"
#include "shell/single_window.h"
#include "widgets/program_font.h"
#include "widgets/qt_translations.h"
#include "widgets/shell_functions.h"

int main(int argc, char** argv) {
    // Takes Qt's own arguments (-platform, -style ...) out of the list.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunewell"));
    const QStringList arguments = QApplication::arguments();
    // The desktop entry passes one address (%u); any further word is ignored.
    const QString address = arguments.size() > 1 ? arguments.at(1) : QString();

    const std::string programFolder = tunewell::platform::ProgramFolder();
    tunewell::shell::SingleWindow single(
        tunewell::shell::SingleWindow::NameFor(tunewell::settings::SettingsFolder(programFolder)));
    if (single.HandOver(address)) return 0;

    tunewell::widgets::InstallProgramFont();
    tunewell::widgets::InstallQtTranslations();
    QApplication::setWindowIcon(tunewell::widgets::ProgramIcon());
    // An update replaces the program but not the installer's entry: the
    // list of installed programs would go on showing the old version.
    tunewell::settings::KeepInstallRecordInStep(programFolder);

    tunewell::shell::MainWindowServices services;
    tunewell::shell::frmMain window(std::move(services));
    // A window that is closing takes nothing: the later start opens its own.
    single.Listen([&window](const QString& handed) { window.OpenFromElsewhere(handed.toStdString()); },
                  [&window] { return !window.Ending(); });
    window.Form_Load();
    if (!address.isEmpty()) window.OpenFromElsewhere(address.toStdString(), false);
    return QApplication::exec();
}
