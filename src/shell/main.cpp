// Tunewell: the main program. Loads the main window and runs until it closes.
#include <QApplication>

#include "shell/frm_main.h"
#include "shell/program_font.h"
#include "shell/shell_functions.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunewell"));
    tunewell::shell::InstallProgramFont();
    QApplication::setWindowIcon(tunewell::shell::ProgramIcon());

    tunewell::shell::MainWindowServices services;
    tunewell::shell::frmMain window(std::move(services));
    window.Form_Load();
    return QApplication::exec();
}
