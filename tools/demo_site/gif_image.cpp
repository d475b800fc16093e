// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo_site/gif_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tunewell::demo {
namespace {

// A banner the size of the advertisement area (361 x 57 on the window).
constexpr int kWidth = 360;
constexpr int kHeight = 56;
constexpr int kFrames = 4;

// 5 x 7 glyphs of the letters of "TUNEWELL", one row a byte (bit 4 left).
struct Glyph {
    char letter;
    std::uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
};
constexpr const char* kBannerText = "TUNEWELL";
constexpr int kScale = 4;  // each glyph pixel drawn as 4 x 4

bool TextPixel(int x, int y) {
    const int textWidth = 8 * 6 * kScale - kScale;
    const int left = (kWidth - textWidth) / 2;
    const int top = (kHeight - 7 * kScale) / 2;
    if (x < left || y < top || y >= top + 7 * kScale || x >= left + textWidth) return false;
    const int column = (x - left) / kScale;
    const int letter = column / 6;
    const int bit = column % 6;
    if (bit == 5) return false;  // the gap between letters
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.letter != kBannerText[letter]) continue;
        return (glyph.rows[(y - top) / kScale] >> (4 - bit)) & 1u;
    }
    return false;
}

void PutWord(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

// LSB-first bit packing as GIF's LZW stream expects.
class BitWriter {
public:
    void Put(unsigned code, int width) {
        for (int i = 0; i < width; ++i) {
            if ((code >> i) & 1u) current_ |= static_cast<std::uint8_t>(1u << used_);
            if (++used_ == 8) Flush();
        }
    }
    std::vector<std::uint8_t> Finish() {
        if (used_ > 0) Flush();
        return bytes_;
    }

private:
    void Flush() {
        bytes_.push_back(current_);
        current_ = 0;
        used_ = 0;
    }
    std::vector<std::uint8_t> bytes_;
    std::uint8_t current_ = 0;
    int used_ = 0;
};

// Image data with a minimum code size of 2: every pixel is sent as a literal
// code and a clear code follows every two pixels, so the decoder's table never
// grows past the 3-bit code width. Larger than real compression, but valid.
std::string EncodePixels(const std::vector<std::uint8_t>& pixels) {
    constexpr unsigned kClear = 4;
    constexpr unsigned kEnd = 5;
    BitWriter bits;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0) bits.Put(kClear, 3);
        bits.Put(pixels[i], 3);
    }
    bits.Put(kEnd, 3);
    const auto data = bits.Finish();
    std::string out(1, '\x02');  // minimum code size
    for (std::size_t start = 0; start < data.size(); start += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - start);
        out += static_cast<char>(length);
        out.append(reinterpret_cast<const char*>(data.data()) + start, length);
    }
    out += '\0';  // block terminator
    return out;
}

// Frame n: the name in white over diagonal stripes that move one step per
// frame, with an accent line along the bottom.
std::vector<std::uint8_t> FramePixels(int frame) {
    std::vector<std::uint8_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t colour = ((x + y + frame * 6) / 12) % 2 == 0 ? 0 : 1;
            if (y >= kHeight - 3) colour = 3;
            if (TextPixel(x, y)) colour = 2;
            pixels[y * kWidth + x] = colour;
        }
    }
    return pixels;
}

}  // namespace

std::string AnimatedGif() {
    std::string out = "GIF89a";
    PutWord(out, kWidth);
    PutWord(out, kHeight);
    out += '\xF1';  // global colour table, 2 bits of colour resolution, 4 entries
    out += '\0';    // background colour index
    out += '\0';    // pixel aspect ratio
    // Navy, a lighter blue, white, orange.
    out += std::string("\x1E\x3A\x5F" "\x2A\x52\x80" "\xFF\xFF\xFF" "\xF0\x90\x30", 12);
    // Loop for ever (NETSCAPE2.0 application extension).
    out += std::string("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01\x00\x00\x00", 19);
    for (int frame = 0; frame < kFrames; ++frame) {
        out += std::string("\x21\xF9\x04\x04", 4);  // graphic control: do not dispose
        PutWord(out, 30);                            // 0.3 s
        out += std::string("\x00\x00", 2);           // no transparency, terminator
        out += '\x2C';                               // image descriptor
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, kWidth);
        PutWord(out, kHeight);
        out += '\0';  // no local colour table, not interlaced
        out += EncodePixels(FramePixels(frame));
    }
    out += '\x3B';  // trailer
    return out;
}

}  // namespace tunewell::demo
