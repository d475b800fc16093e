// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/message_dialog.h"

#include <QMessageBox>
#include <QString>

#include "ports/message_box.h"

namespace tunewell::widgets {
namespace {

MessageHandler& InstalledHandler() {
    static MessageHandler handler;
    return handler;
}

void ShowDialog(QWidget* owner, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ports::kMessageCaption),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    // Messages may carry a page's text (the sign-in error): shown as it is,
    // never as mark-up with links and pictures.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void ShowMessage(QWidget* owner, const std::string& text) {
    if (InstalledHandler()) {
        InstalledHandler()(owner, text);
    } else {
        ShowDialog(owner, text);
    }
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(InstalledHandler());
    InstalledHandler() = std::move(handler);
    return previous;
}

}  // namespace tunewell::widgets
