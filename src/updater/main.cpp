// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "updater/up_main.h"
#include "widgets/qt_translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("UpDate"));
    tunewell::widgets::InstallQtTranslations();
    tunewell::updater::upMain window;
    window.show();
    return app.exec();
}
