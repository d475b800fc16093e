// SPDX-License-Identifier: GPL-3.0-or-later
// Colour lists: pixel placement, colour conversion and the transparent key.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <string>

#include "chrome/color_list.h"

namespace tunewell::chrome {
namespace {

constexpr QRgb kUnpainted = 0x00000000;

QImage BlankSurface() {
    QImage surface(4, 4, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    return surface;
}

TEST(ChromeColorList, FillsColumnsTopToBottomThenLeftToRight) {
    QImage surface = BlankSurface();
    EXPECT_EQ(DrawColorList(surface, 1, "1,255,255,65280", 0, 0, true, 0), 1);
    EXPECT_EQ(surface.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(surface.pixel(1, 1), kUnpainted);
    EXPECT_EQ(surface.pixel(0, 2), kUnpainted);
}

TEST(ChromeColorList, RunsOfLengthStartAtTheOffset) {
    QImage surface = BlankSurface();
    DrawColorList(surface, 2, "0,16711680", 1, 2, true, 0);  // blue, 2 pixels at (1, 2)
    EXPECT_EQ(surface.pixel(0, 2), kUnpainted);
    EXPECT_EQ(surface.pixel(1, 2), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(3, 2), kUnpainted);  // the end point is not painted
}

struct PixelCase {
    const char* name;
    std::string list;
    bool adjust;
    std::int16_t amount;
    QRgb expected;
};

class ChromeColorListPixel : public ::testing::TestWithParam<PixelCase> {};

TEST_P(ChromeColorListPixel, PaintsTheDrawingColour) {
    const PixelCase& c = GetParam();
    QImage surface = BlankSurface();
    DrawColorList(surface, 1, c.list, 0, 0, c.adjust, c.amount);
    EXPECT_EQ(surface.pixel(0, 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ChromeColorListPixel,
    ::testing::Values(
        PixelCase{"RedAsGrey", "0,255", false, 0, qRgb(85, 85, 85)},
        PixelCase{"GreyIgnoresAmount", "0,255", false, 40, qRgb(85, 85, 85)},
        PixelCase{"GreyRoundsToNearest", "0,196607", false, 0, qRgb(171, 171, 171)},  // 512 / 3
        PixelCase{"MagentaPaintedWithoutAmount", "0,16711935", true, 0, qRgb(255, 0, 255)},
        PixelCase{"MagentaSkippedWithAmount", "0,16711935", true, 10, kUnpainted},
        PixelCase{"MagentaSkippedWhenGrey", "0,16711935", false, -3, kUnpainted},
        PixelCase{"BrightnessClampsEachChannel", "0,8388863", true, 10, qRgb(255, 10, 138)},
        PixelCase{"DarkeningClampsAtZero", "0,332805", true, -10, qRgb(0, 10, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChromeColorList, EmptyOrBrokenListsStopWithoutHarm) {
    QImage surface = BlankSurface();
    EXPECT_EQ(DrawColorList(surface, 1, "", 0, 0, true, 0), 0);
    EXPECT_EQ(DrawColorList(surface, 1, "x,255", 0, 0, true, 0), 0);
    EXPECT_EQ(surface.pixel(0, 0), kUnpainted);
    // Painting stops at the bad element and keeps what came before it.
    EXPECT_EQ(DrawColorList(surface, 1, "0,255,oops,255", 0, 0, true, 0), 1);
    EXPECT_EQ(surface.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(1, 0), kUnpainted);
    EXPECT_EQ(surface.pixel(2, 0), kUnpainted);
}

TEST(ChromeColorList, SystemColoursComeFromThePalette) {
    const QRgb face = QGuiApplication::palette().color(QPalette::Button).rgb();
    for (const char* list : {"0,2147483663", "0,-2147483633"}) {  // &H8000000F
        QImage surface = BlankSurface();
        DrawColorList(surface, 1, list, 0, 0, true, 0);
        EXPECT_EQ(surface.pixel(0, 0), face) << list;
    }
}

TEST(ChromeColorList, ClipsToTheSurface) {
    QImage surface = BlankSurface();
    EXPECT_EQ(DrawColorList(surface, 100, "1,255,255,255,255", -1, 3, true, 0), 1);
    EXPECT_EQ(surface.pixel(0, 3), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(3, 3), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace tunewell::chrome
