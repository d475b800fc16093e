// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/ata_identity.h"

namespace tunewell::update {
namespace {

struct FieldBytes {
    std::size_t high;    // index of the first character's byte (a word's high byte)
    std::size_t length;  // characters in the field
};

FieldBytes BytesOf(IdentityField field) {
    switch (field) {
        case IdentityField::Model: return {55, 40};
        case IdentityField::Serial: return {21, 20};
        case IdentityField::Firmware: return {47, 8};
    }
    return {0, 0};
}

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

constexpr std::uint8_t kAtaPassThrough16 = 0x85;
constexpr std::uint8_t kIdentifyDevice = 0xEC;
constexpr std::uint8_t kPioDataIn = 4 << 1;
// t_dir = from device, byt_blok = in blocks, t_length = sector count field.
constexpr std::uint8_t kTransferFlags = 0x0E;
constexpr std::uint8_t kMasterDevice = 0xA0;
constexpr std::uint8_t kSlaveDevice = 0xB0;

}  // namespace

std::array<std::uint8_t, 16> IdentifyCommandBlock(unsigned drive) {
    std::array<std::uint8_t, 16> cdb{};
    cdb[0] = kAtaPassThrough16;
    cdb[1] = kPioDataIn;
    cdb[2] = kTransferFlags;
    cdb[6] = 1;  // sector count
    cdb[13] = drive % 2 == 0 ? kMasterDevice : kSlaveDevice;
    cdb[14] = kIdentifyDevice;
    return cdb;
}

std::optional<IdentityField> FieldForSelector(int selector) {
    if (selector < 0 || selector > 2) return std::nullopt;
    return static_cast<IdentityField>(selector);
}

std::string ExtractIdentityField(std::span<const std::uint8_t> identify, IdentityField field) {
    const FieldBytes bytes = BytesOf(field);
    std::string text;
    for (std::size_t i = bytes.high; i + 1 <= bytes.high + bytes.length; i += 2) {
        if (i >= identify.size() || identify[i] == 0) break;
        text += static_cast<char>(identify[i]);
        if (identify[i - 1] == 0) break;
        text += static_cast<char>(identify[i - 1]);
    }
    return TrimSpaces(text);
}

}  // namespace tunewell::update
