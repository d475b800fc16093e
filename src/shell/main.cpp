// Tunewell: the main program. Loads the main window and runs until it closes.
#include <QApplication>

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

    tunewell::shell::MainWindowServices services;
    tunewell::shell::frmMain window(std::move(services));
    window.Form_Load();
    return QApplication::exec();
}
