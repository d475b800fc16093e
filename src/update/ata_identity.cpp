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

}  // namespace

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
