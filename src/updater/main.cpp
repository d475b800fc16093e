#include <QApplication>

#include "updater/up_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("UpDate"));
    tunewell::updater::upMain window;
    window.show();
    return app.exec();
}
