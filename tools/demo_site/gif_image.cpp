#include "demo_site/gif_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tunewell::demo {
namespace {

constexpr int kSize = 16;
constexpr int kFrames = 3;

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

// Frame n: a diagonal band that moves one step per frame.
std::vector<std::uint8_t> FramePixels(int frame) {
    std::vector<std::uint8_t> pixels(kSize * kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            pixels[y * kSize + x] = static_cast<std::uint8_t>(((x + y) / 4 + frame) % 4);
        }
    }
    return pixels;
}

}  // namespace

std::string AnimatedGif() {
    std::string out = "GIF89a";
    PutWord(out, kSize);
    PutWord(out, kSize);
    out += '\xF1';  // global colour table, 2 bits of colour resolution, 4 entries
    out += '\0';    // background colour index
    out += '\0';    // pixel aspect ratio
    out += std::string("\xFF\xFF\xFF" "\xE0\x30\x30" "\x30\x80\xE0" "\x20\x20\x20", 12);
    // Loop for ever (NETSCAPE2.0 application extension).
    out += std::string("\x21\xFF\x0B" "NETSCAPE2.0" "\x03\x01\x00\x00\x00", 19);
    for (int frame = 0; frame < kFrames; ++frame) {
        out += std::string("\x21\xF9\x04\x04", 4);  // graphic control: do not dispose
        PutWord(out, 30);                            // 0.3 s
        out += std::string("\x00\x00", 2);           // no transparency, terminator
        out += '\x2C';                               // image descriptor
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, kSize);
        PutWord(out, kSize);
        out += '\0';  // no local colour table, not interlaced
        out += EncodePixels(FramePixels(frame));
    }
    out += '\x3B';  // trailer
    return out;
}

}  // namespace tunewell::demo
