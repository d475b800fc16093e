// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/shell_functions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QUrl>

#include <map>
#include <utility>

namespace tunewell::widgets {
namespace {

using TrayKey = std::pair<const QWidget*, int>;

std::map<TrayKey, QPointer<QSystemTrayIcon>>& TrayIcons() {
    static std::map<TrayKey, QPointer<QSystemTrayIcon>> icons;
    return icons;
}

int TrayMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger: return kTrayLeftButtonDown;
        case QSystemTrayIcon::Context: return kTrayRightButtonDown;
        case QSystemTrayIcon::DoubleClick: return kTrayLeftButtonDoubleClick;
        case QSystemTrayIcon::MiddleClick: return kTrayMiddleButtonDown;
        default: return 0;
    }
}

QIcon DrawnIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2E, 0x7D, 0xC8));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setBrush(Qt::white);
    painter.drawEllipse(8, 18, 9, 7);
    painter.drawRect(15, 7, 2, 15);
    painter.drawRect(15, 7, 9, 3);
    return QIcon(pixmap);
}

}  // namespace

QEvent::Type TrayMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

std::string BrowseForFolder(QWidget* owner, const std::string& title, std::uint32_t flags,
                            const std::string& root) {
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    if ((flags & kBrowseNewDialogStyle) == 0) options |= QFileDialog::DontUseNativeDialog;
    const QString start = root.empty() ? QDir::homePath() : QString::fromStdString(root);
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, QString::fromStdString(title), start, options);
    return QDir::toNativeSeparators(chosen).toStdString();
}

int AddTrayIcon(QWidget* window, const std::string& tip, int iconId) {
    if (window == nullptr) return 0;
    auto& icons = TrayIcons();
    const TrayKey key{window, iconId};
    if (auto found = icons.find(key); found != icons.end() && found->second) return 0;
    auto* icon = new QSystemTrayIcon(ProgramIcon(), window);
    icon->setToolTip(QString::fromStdString(tip));
    QObject::connect(icon, &QSystemTrayIcon::activated, window,
                     [window](QSystemTrayIcon::ActivationReason reason) {
                         if (const int message = TrayMessageFor(reason)) {
                             QCoreApplication::postEvent(window, new TrayMessageEvent(message));
                         }
                     });
    icons[key] = icon;
    icon->show();
    return 1;
}

int RemoveTrayIcon(QWidget* window, int iconId) {
    auto& icons = TrayIcons();
    const auto found = icons.find(TrayKey{window, iconId});
    if (found == icons.end()) return 0;
    const bool present = !found->second.isNull();
    if (present) {
        found->second->hide();
        found->second->deleteLater();
    }
    icons.erase(found);
    return present ? 1 : 0;
}

bool HasTrayIcon(const QWidget* window, int iconId) {
    const auto& icons = TrayIcons();
    const auto found = icons.find(TrayKey{window, iconId});
    return found != icons.end() && !found->second.isNull();
}

void ShowTrayMessage(QWidget* window, int iconId, const std::string& title, const std::string& text) {
    const auto found = TrayIcons().find(TrayKey{window, iconId});
    if (found == TrayIcons().end() || found->second.isNull()) return;
    constexpr int kShownMs = 10000;
    found->second->showMessage(QString::fromStdString(title), QString::fromStdString(text),
                               QSystemTrayIcon::Information, kShownMs);
}

QIcon ProgramIcon() {
    const QIcon own = QApplication::windowIcon();
    if (!own.isNull() && !own.availableSizes().isEmpty()) return own;
    // The icon an installed copy put into the icon theme (hicolor).
    const QIcon themed = QIcon::fromTheme(QStringLiteral("tunewell"));
    if (!themed.isNull()) return themed;
    static const QIcon drawn = DrawnIcon();
    return drawn;
}

void OpenUrl(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void OpenFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    const QFileInfo info(file);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    }
}

void OpenFolder(const std::string& path) {
    // Whatever the field holds goes to the file manager, which shows what it
    // can (an error for a missing folder): an empty field opens where the
    // file manager starts by itself, the home folder, and a relative path is
    // taken from the program's working folder, as a started command would.
    const QString folder = path.empty() ? QDir::homePath() : QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace tunewell::widgets
