// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned frame: slicing, caption, buttons, window shape and mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "chrome/caption_button.h"
#include "chrome/frame_layout.h"
#include "chrome/skin.h"
#include "chrome/window_shape.h"

namespace tunewell::chrome {
namespace {

constexpr Qt::WindowFlags kBaseFlags = Qt::Window | Qt::WindowCloseButtonHint;

// A window of `size` carrying a frame; minimise and maximise buttons by flag.
struct Framed {
    Framed(bool hasMin, bool hasMax, QSize size = {368, 211}) : host(new QWidget) {
        Qt::WindowFlags flags = kBaseFlags;
        flags.setFlag(Qt::WindowMinimizeButtonHint, hasMin);
        flags.setFlag(Qt::WindowMaximizeButtonHint, hasMax);
        host->setWindowFlags(flags);
        host->resize(size);
        host->setWindowTitle("Tunewell");
        skin = new Skin(host.get());
    }
    std::unique_ptr<QWidget> host;
    Skin* skin;
};

void SendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Art whose every pixel names its own position: red = x, green = y.
QImage PositionArt() {
    QImage art(256, 159, QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) art.setPixel(x, y, qRgb(x, y, 0));
    return art;
}

struct SliceCase {
    QPoint dest;
    int sourceX0, sourceX1, sourceY0, sourceY1;  // inclusive source ranges
};

TEST(ChromeFrame, SlicesCopyTheirSourceRectangles) {
    const QSize frame(300, 200);
    QImage out(frame, QImage::Format_RGB32);
    out.fill(Qt::blue);
    {
        QPainter painter(&out);
        PaintFrameSlices(painter, PositionArt(), frame);
    }
    const SliceCase cases[] = {
        {{0, 0}, 0, 0, 0, 0},          {{2, 20}, 2, 2, 20, 20},        // top left corner
        {{150, 10}, 4, 7, 10, 10},                                      // title bar, stretched
        {{298, 5}, 254, 254, 5, 5},                                     // top right corner
        {{1, 100}, 1, 1, 132, 135},                                     // left edge
        {{298, 100}, 254, 254, 27, 30},                                 // right edge
        {{1, 197}, 1, 1, 156, 156},    {{298, 199}, 254, 254, 158, 158},  // bottom corners
        {{150, 197}, 4, 7, 156, 156},                                   // bottom edge
        {{150, 100}, 5, 9, 27, 31},                                     // client fill
        {{150, 180}, 4, 7, 139, 139},                                   // bottom strip
        {{290, 180}, 246, 246, 139, 139},                               // strip's right end
    };
    for (const SliceCase& c : cases) {
        const QRgb pixel = out.pixel(c.dest);
        SCOPED_TRACE(testing::Message() << "at " << c.dest.x() << "," << c.dest.y());
        EXPECT_GE(qRed(pixel), c.sourceX0);
        EXPECT_LE(qRed(pixel), c.sourceX1);
        EXPECT_GE(qGreen(pixel), c.sourceY0);
        EXPECT_LE(qGreen(pixel), c.sourceY1);
        EXPECT_EQ(qBlue(pixel), 0);
    }
}

// Leftmost and topmost white pixel of the title bar, or (-1, -1).
QPoint FirstWhite(const QImage& surface) {
    QPoint first(-1, -1);
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < surface.width(); ++x)
            if (surface.pixel(x, y) == qRgb(255, 255, 255)) {
                if (first.x() < 0 || x < first.x()) first.setX(x);
                if (first.y() < 0 || y < first.y()) first.setY(y);
            }
    return first;
}

TEST(ChromeFrame, CaptionStartsRightOfTheIconOrNearTheEdge) {
    Framed plain(false, false);
    const QPoint noIcon = FirstWhite(plain.skin->Surface());
    EXPECT_GE(noIcon.x(), CaptionOrigin(false).x());
    EXPECT_LE(noIcon.x(), CaptionOrigin(false).x() + 3);
    EXPECT_GE(noIcon.y(), CaptionOrigin(false).y());

    Framed withIcon(false, false);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    withIcon.host->setWindowIcon(QIcon(red));
    const QImage& surface = withIcon.skin->Surface();
    EXPECT_EQ(surface.pixel(IconRect().center()), qRgb(255, 0, 0));
    const QPoint iconed = FirstWhite(surface);
    EXPECT_GE(iconed.x(), CaptionOrigin(true).x());
    EXPECT_LE(iconed.x(), CaptionOrigin(true).x() + 3);
}

struct ButtonCase {
    bool hasMin, hasMax;
    int minLeft;  // the maximise button, when shown, stands at 292
};

TEST(ChromeFrame, ButtonsStandRightToLeftWithoutGaps) {
    const ButtonCase cases[] = {{true, true, 264}, {true, false, 290}, {false, false, 290},
                                {false, true, 264}};
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "min " << c.hasMin << " max " << c.hasMax);
        Framed f(c.hasMin, c.hasMax);
        EXPECT_EQ(f.skin->CloseButton()->geometry(), QRect(318, 1, 43, 17));
        EXPECT_EQ(!f.skin->MinButton()->isHidden(), c.hasMin);
        EXPECT_EQ(!f.skin->MaxButton()->isHidden(), c.hasMax);
        if (c.hasMax) {
            EXPECT_EQ(f.skin->MaxButton()->geometry(), QRect(292, 1, 26, 17));
        }
        EXPECT_EQ(f.skin->MinButton()->geometry(), QRect(c.minLeft, 1, 28, 17));
        EXPECT_EQ(f.skin->MoveStrip()->geometry(), QRect(0, 0, 367, 20));
        EXPECT_TRUE(f.host->windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_FALSE(f.skin->MaxButtom());
    }
}

TEST(ChromeFrame, CornersAndKeyColourAreCutFromTheWindow) {
    Framed f(true, false);
    f.host->resize(200, 120);
    f.host->show();
    const QRegion mask = f.host->mask();
    for (QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 119), QPoint(199, 119)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    for (QPoint kept : {QPoint(2, 0), QPoint(1, 1), QPoint(100, 60), QPoint(199, 60)})
        EXPECT_TRUE(mask.contains(kept)) << kept.x() << "," << kept.y();

    // Magenta in the client area, drawn by a control, is see-through too.
    auto* keyed = new QWidget(f.host.get());
    keyed->setGeometry(50, 50, 20, 20);
    keyed->setAutoFillBackground(true);
    QPalette palette = keyed->palette();
    palette.setColor(QPalette::Window, QColor(255, 0, 255));
    keyed->setPalette(palette);
    keyed->show();
    f.host->hide();
    f.host->show();
    EXPECT_FALSE(f.host->mask().contains(QPoint(60, 60)));
    EXPECT_TRUE(f.host->mask().contains(QPoint(45, 60)));
    f.host->resize(210, 120);  // a new shape from the new drawing
    EXPECT_FALSE(f.host->mask().contains(QPoint(60, 60)));
    EXPECT_TRUE(f.host->mask().contains(QPoint(205, 60)));

    QImage rendered(40, 30, QImage::Format_RGB32);
    rendered.fill(Qt::white);
    rendered.setPixel(20, 15, qRgb(255, 0, 255));
    rendered.setPixel(21, 15, qRgb(254, 0, 255));
    const QRegion shape = WindowShape(rendered);
    EXPECT_FALSE(shape.contains(QPoint(20, 15)));
    EXPECT_TRUE(shape.contains(QPoint(21, 15)));
    EXPECT_TRUE(shape.contains(QPoint(19, 15)));
}

TEST(ChromeSkin, ClicksActAndRaiseTheirEvents) {
    Framed f(true, true);
    f.host->show();
    QSignalSpy minSpy(f.skin, &Skin::MinClick), maxSpy(f.skin, &Skin::MaxClick),
        closeSpy(f.skin, &Skin::CloseClick);

    QTest::mouseClick(f.skin->MaxButton(), Qt::LeftButton);
    EXPECT_EQ(maxSpy.count(), 1);
    EXPECT_TRUE(f.host->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(f.skin->MaxButton()->State(), 4);
    EXPECT_EQ(f.skin->MaxButton()->toolTip(), QStringLiteral("向下还原"));
    QTest::mouseClick(f.skin->MaxButton(), Qt::LeftButton);
    EXPECT_FALSE(f.host->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(f.skin->MaxButton()->toolTip(), QStringLiteral("最大化"));

    // Pressed, then released outside: the normal image and no click.
    QTest::mousePress(f.skin->MinButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.skin->MinButton()->State(), 3);
    QTest::mouseRelease(f.skin->MinButton(), Qt::LeftButton, {}, QPoint(-30, 40));
    EXPECT_EQ(f.skin->MinButton()->State(), 1);
    EXPECT_EQ(minSpy.count(), 0);
    QTest::mouseClick(f.skin->MinButton(), Qt::LeftButton);
    EXPECT_EQ(minSpy.count(), 1);

    f.host->showNormal();
    QTest::mouseClick(f.skin->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(closeSpy.count(), 1);
    EXPECT_FALSE(f.host->isVisible());
}

TEST(ChromeSkin, HoverImageNeedsAFrameMoveFirst) {
    Framed f(true, false);
    f.host->show();
    CaptionButton* close = f.skin->CloseButton();
    SendMouse(close, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(close->State(), 1);  // no frame move yet
    SendMouse(f.skin, QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
    SendMouse(close, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(close->State(), 2);
    SendMouse(f.skin->MoveStrip(), QEvent::MouseMove, {40, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(close->State(), 1);
}

TEST(ChromeSkin, TitleStripDragsOnlyANormalWindow) {
    Framed f(true, true);
    f.host->move(100, 100);
    f.host->show();
    QWidget* strip = f.skin->MoveStrip();
    const QPoint before = f.host->pos();
    SendMouse(strip, QEvent::MouseButtonPress, {50, 10}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, {80, 30}, Qt::NoButton, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseButtonRelease, {80, 30}, Qt::LeftButton, Qt::NoButton);
    // Offscreen there is no system move, so the frame moves the window.
    EXPECT_EQ(f.host->pos(), before + QPoint(30, 20));

    f.host->showMaximized();
    const QPoint maximised = f.host->pos();
    SendMouse(strip, QEvent::MouseButtonPress, {50, 10}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, {90, 40}, Qt::NoButton, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseButtonRelease, {90, 40}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(f.host->pos(), maximised);
}

TEST(ChromeSkin, DoubleClickOnTitleNeedsAMaximiseButton) {
    for (bool hasMax : {false, true}) {
        Framed f(true, hasMax);
        f.host->show();
        SendMouse(f.skin->MoveStrip(), QEvent::MouseButtonDblClick, {50, 10}, Qt::LeftButton,
                  Qt::LeftButton);
        EXPECT_EQ(bool(f.host->windowState() & Qt::WindowMaximized), hasMax);
    }
}

}  // namespace
}  // namespace tunewell::chrome
