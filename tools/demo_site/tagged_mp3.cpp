// SPDX-License-Identifier: GPL-3.0-or-later
// The demo site's real MP3 file, for tagging.
#include <algorithm>
#include <cstdint>
#include <string>

#include "demo_site/demo_catalogue.h"

namespace tunewell::demo {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

// An ID3v2.3 frame: id, size (plain big-endian), no flags, body.
void PutFrame(std::string& out, const char* id, const std::string& body) {
    out += id;
    PutBigEndian(out, static_cast<std::uint32_t>(body.size()));
    out += std::string(2, '\0');
    out += body;
}

// UTF-16 little-endian with its byte order mark, for BMP text in UTF-8.
std::string Utf16WithBom(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = lead;
        std::size_t length = 1;
        if (lead >= 0xE0) {
            code = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xC0) {
            code = lead & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += static_cast<char>(code & 0xFF);
        out += static_cast<char>(code >> 8);
        i += length;
    }
    return out;
}

std::string Id3v2Tag() {
    std::string frames;
    PutFrame(frames, "TIT2", std::string(1, '\0') + kTaggedOldTitle);
    PutFrame(frames, "TPE1", std::string(1, '\0') + "Old Singer");
    PutFrame(frames, "TALB", std::string(1, '\1') + Utf16WithBom(kTaggedAlbum));
    // Latin-1 description, "image/png", front cover, empty description.
    PutFrame(frames, "APIC", std::string(1, '\0') + "image/png" + std::string(1, '\0') + "\x03" +
                                 std::string(1, '\0') + kTaggedPicture);
    frames += std::string(64, '\0');  // padding
    std::string tag = "ID3\x03";
    tag += std::string(2, '\0');  // revision, flags
    const auto size = static_cast<std::uint32_t>(frames.size());
    for (int shift = 21; shift >= 0; shift -= 7) tag += static_cast<char>((size >> shift) & 0x7F);  // syncsafe
    return tag + frames;
}

std::string Id3v1Tag() {
    std::string tag = "TAG";
    const auto field = [&tag](const std::string& text, std::size_t width) {
        tag += text.substr(0, width);
        tag += std::string(width - std::min(width, text.size()), '\0');
    };
    field(kTaggedOldTitle, 30);
    field("Old Singer", 30);
    field("Old Album", 30);
    field("2008", 4);
    field("", 30);
    tag += '\xFF';  // no genre
    return tag;
}

}  // namespace

std::string TaggedMp3Bytes() {
    std::string file = Id3v2Tag();
    // MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, joint stereo; all-zero
    // side information decodes to silence.
    const std::string header = "\xFF\xFB\x90\x64";
    for (int i = 0; i < kTaggedFrames; ++i) file += header + std::string(kTaggedFrameBytes - header.size(), '\0');
    return file + Id3v1Tag();
}

}  // namespace tunewell::demo
