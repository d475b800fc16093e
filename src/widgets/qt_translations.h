// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tunewell::widgets {

// Makes Qt's own dialogs (folder chooser, message box buttons) speak the
// user's language, falling back to Simplified Chinese, the language of the
// program's own texts. Uses Qt's qtbase translations from the system's
// translations folder; returns false when none could be loaded (the
// dialogs then stay in English). Call once, after the application exists.
// Header-only, so that both programs use it without linking each other's code.
inline bool InstallQtTranslations(const QLocale& locale = QLocale()) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const bool loaded =
        translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        translator->load(QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China),
                         QStringLiteral("qtbase"), QStringLiteral("_"), folder);
    if (!loaded) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tunewell::widgets
