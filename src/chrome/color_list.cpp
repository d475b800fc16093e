// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/color_list.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace tunewell::chrome {

namespace {

constexpr std::int64_t kSystemColourBase = 0x80000000LL;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> ParseWhole(std::string_view text) {
    text = Trim(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The palette colour behind a system colour index (window, text, button
// face and so on); unknown indexes give black.
QColor SystemColour(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 5: return palette.color(QPalette::Base);             // window background
    case 8: return palette.color(QPalette::Text);             // window text
    case 13: return palette.color(QPalette::Highlight);
    case 14: return palette.color(QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Button);          // button face
    case 16: return palette.color(QPalette::Mid);             // button shadow
    case 18: return palette.color(QPalette::ButtonText);
    case 20: return palette.color(QPalette::Light);           // button highlight
    default: return QColor(Qt::black);
    }
}

// System colours are written as 32-bit signed numbers (&H8000000F is
// -2147483633); both spellings are accepted.
std::int64_t Unsigned32(std::int64_t colour) {
    return colour < 0 && colour >= -0x80000000LL ? colour + 0x100000000LL : colour;
}

QColor ResolveColour(std::int64_t colour) {
    colour = Unsigned32(colour);
    if (colour >= kSystemColourBase) return SystemColour(static_cast<int>(colour - kSystemColourBase));
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

bool IsListColour(std::int64_t colour) {
    colour = Unsigned32(colour);
    return (colour >= 0 && colour <= 0xFFFFFF) ||
           (colour >= kSystemColourBase && colour <= kSystemColourBase + 0xFF);
}

void PaintRun(QImage& surface, int left, int top, int length, QRgb colour) {
    if (top < 0 || top >= surface.height()) return;
    const int from = std::max(left, 0);
    const int to = std::min(left + length, surface.width());
    auto* line = reinterpret_cast<QRgb*>(surface.scanLine(top));
    for (int x = from; x < to; ++x) line[x] = colour;
}

}  // namespace

QColor ListColourToDrawColour(std::int64_t colour, bool adjust, int amount) {
    const QColor base = ResolveColour(colour);
    if (!adjust) {
        const double average = (base.red() + base.green() + base.blue()) / 3.0;
        const int grey = static_cast<int>(std::nearbyint(average));  // ties to even
        return QColor(grey, grey, grey);
    }
    const auto shift = [amount](int channel) { return std::clamp(channel + amount, 0, 255); };
    return QColor(shift(base.red()), shift(base.green()), shift(base.blue()));
}

std::int16_t DrawColorList(QImage& surface, std::int16_t length, std::string_view list,
                           std::int16_t x, std::int16_t y, bool adjust, std::int16_t amount) {
    if (list.empty()) return 0;
    if (surface.format() != QImage::Format_ARGB32_Premultiplied &&
        surface.format() != QImage::Format_ARGB32 && surface.format() != QImage::Format_RGB32) {
        surface = surface.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    std::size_t comma = list.find(',');
    const auto last = ParseWhole(list.substr(0, comma));
    if (!last) return 0;
    const std::int64_t lastRow = *last;
    std::int64_t column = 0, row = 0;
    while (comma != std::string_view::npos) {
        const std::size_t start = comma + 1;
        comma = list.find(',', start);
        const auto colour = ParseWhole(list.substr(start, comma == std::string_view::npos
                                                              ? std::string_view::npos
                                                              : comma - start));
        if (row > lastRow) {
            row = 0;
            ++column;
        }
        if (!colour || !IsListColour(*colour)) break;
        if (*colour != kColorListTransparent || amount == 0) {
            const QColor draw = ListColourToDrawColour(*colour, adjust, amount);
            PaintRun(surface, static_cast<int>(x + column), static_cast<int>(y + row), length,
                     draw.rgb());
        }
        ++row;
    }
    return static_cast<std::int16_t>(column);
}

}  // namespace tunewell::chrome
