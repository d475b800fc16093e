// SPDX-License-Identifier: GPL-3.0-or-later
// The framed text box, the top-and-alpha helper and the progress painter.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>

#include "chrome/chrome_units.h"
#include "chrome/skin_paint.h"
#include "chrome/text_box.h"
#include "chrome/window_top_alpha.h"

namespace tunewell::chrome {
namespace {

const QRgb kGrey = qRgb(153, 153, 153);
const QRgb kWhite = qRgb(255, 255, 255);

TEST(ChromeTextBox, KeepsItsHeightAndFitsTheField) {
    QWidget host;
    auto* box = new TextBox(&host);
    box->setGeometry(10, 10, 200, TwipsToPixels(315));
    host.show();
    EXPECT_EQ(box->height(), TwipsToPixels(312));
    box->resize(120, 40);
    EXPECT_EQ(box->size(), QSize(120, 21));
    EXPECT_EQ(box->Field()->geometry(), QRect(3, 3, 114, 16));
    EXPECT_FALSE(box->Field()->hasFrame());
}

TEST(ChromeTextBox, PaintsAOnePixelGreyBorderAroundWhite) {
    // Inside a host: Windows keeps a top-level window wider than 50 pixels.
    QWidget host;
    auto* box = new TextBox(&host);
    box->resize(50, 21);
    host.show();
    const QImage& s = box->Surface();
    ASSERT_EQ(s.size(), QSize(50, 21));
    struct { QPoint at; QRgb colour; } cases[] = {
        {{0, 0}, kGrey},  {{0, 10}, kGrey},  {{0, 20}, kGrey},  {{1, 0}, kGrey},
        {{1, 10}, kWhite}, {{1, 20}, kGrey}, {{25, 0}, kGrey},  {{25, 10}, kWhite},
        {{25, 19}, kWhite}, {{25, 20}, kGrey}, {{48, 10}, kWhite}, {{49, 10}, kGrey},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s.pixel(c.at), c.colour) << c.at.x() << "," << c.at.y();
}

TEST(ChromeTextBox, TextRoundTripsAndChangeFiresOncePerChange) {
    TextBox box;
    QSignalSpy change(&box, &TextBox::Change);
    box.Field()->setEchoMode(QLineEdit::Password);
    box.SetText(QStringLiteral("秘密 pass"));
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(box.Text(), QStringLiteral("秘密 pass"));
    box.SetText(QStringLiteral("秘密 pass"));
    EXPECT_EQ(change.count(), 1);
}

// A pasted address of 100 KB stays whole: the window fetches and saves what
// the user gave, as the command line does.
TEST(ChromeTextBox, HoldsAHundredKilobyteTextWhole) {
    TextBox box;
    const QString address = QStringLiteral("http://host/music/") + QString(100 * 1024, QLatin1Char('a'));
    box.SetText(address);
    EXPECT_EQ(box.Text(), address);
    box.SetText(QString());
    box.Field()->insert(address);
    EXPECT_EQ(box.Text().size(), address.size());
}

TEST(ChromeTopAlpha, ClampsAlphaAndSetsTheWindowFlags) {
    struct { std::int32_t alpha, expected; bool topmost, clickThrough; } cases[] = {
        {300, 255, true, false}, {-5, 0, false, true}, {128, 128, true, true}};
    for (const auto& c : cases) {
        QWidget window;
        window.show();
        std::int32_t alpha = c.alpha;
        SetWindowTopAlpha(&window, c.topmost, alpha, c.clickThrough);
        EXPECT_EQ(alpha, c.expected);
        EXPECT_DOUBLE_EQ(window.windowOpacity(), c.expected / 255.0);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.topmost);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowTransparentForInput), c.clickThrough);
        EXPECT_TRUE(window.isVisible());
    }
}

TEST(ChromePaint, ProgressBarFillsItsShareFromTheLeft) {
    QImage image(102, 10, QImage::Format_RGB32);
    for (int value : {0, 50, 100, 140}) {
        image.fill(Qt::black);
        QPainter painter(&image);
        PaintProgressBar(painter, image.rect(), value, QString());
        painter.end();
        const int filled = std::min(value, 100);  // inner width is 100 pixels
        const auto isFill = [&](int x) { return qBlue(image.pixel(x, 5)) > qRed(image.pixel(x, 5)) + 40; };
        if (filled > 0) {
            EXPECT_TRUE(isFill(filled)) << value;
        }
        if (filled < 100) {
            EXPECT_FALSE(isFill(filled + 1)) << value;
        }
    }
}

}  // namespace
}  // namespace tunewell::chrome
