// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/skin_art.h"

#include <QPixmap>
#include <QString>

// Resources compiled into a static library must be registered by hand; the
// macro has to be used outside any namespace.
static void RegisterChromeResources() {
    Q_INIT_RESOURCE(chrome);
}

namespace tunewell::chrome {

namespace {

QImage LoadImage(const QString& path, QSize size) {
    QImage image(path);
    if (image.isNull() || image.size() != size) {
        image = QImage(size, QImage::Format_ARGB32);
        image.fill(QColor(0x25, 0x2D, 0x38));
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

SkinArt LoadArt() {
    RegisterChromeResources();
    const int h = SkinArt::kButtonHeight;
    SkinArt art;
    art.frame = LoadImage(":/chrome/art/frame.png", QSize(256, 159));
    art.close = LoadImage(":/chrome/art/close.png", QSize(3 * SkinArt::kCloseWidth, h));
    art.minimise = LoadImage(":/chrome/art/min.png", QSize(3 * SkinArt::kMinimiseWidth, h));
    art.maximise = LoadImage(":/chrome/art/max.png", QSize(6 * SkinArt::kMaximiseWidth, h));
    art.pointer = LoadImage(":/chrome/art/pointer.png", QSize(32, 32));
    return art;
}

}  // namespace

const SkinArt& Art() {
    static const SkinArt art = LoadArt();
    return art;
}

QCursor ButtonCursor() {
    return QCursor(QPixmap::fromImage(Art().pointer), 6, 1);
}

}  // namespace tunewell::chrome
