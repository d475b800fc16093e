// SPDX-License-Identifier: GPL-3.0-or-later
#include "trust/update_signature.h"

#include "trust/sha256_stream.h"

namespace tunewell::trust {
namespace {

constexpr std::size_t kSignatureBytes = 64;
constexpr std::size_t kMaxVersionLength = 32;

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 0x0F];
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of the line "<key>=<value>" at the start of `text`, which is
// moved past the line; nothing when the line has another key.
std::optional<std::string_view> TakeLine(std::string_view& text, std::string_view key) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != '=') return std::nullopt;
    return line.substr(key.size() + 1);
}

}  // namespace

std::string SignedMessage(std::string_view version, std::string_view sha256Hex) {
    std::string message = "Tunewell update\nversion=";
    message += version;
    message += "\nsha256=";
    message += sha256Hex;
    message += '\n';
    return message;
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256Stream digest;
    digest.Add(bytes);
    return digest.FinishHex();
}

bool IsVersionText(std::string_view version) {
    if (version.empty() || version.size() > kMaxVersionLength) return false;
    for (const char c : version) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             c == '.' || c == '-' || c == '_';
        if (!allowed) return false;
    }
    return true;
}

std::optional<SignatureFile> ParseSignatureFile(std::string_view text) {
    if (text.size() > kMaxSignatureFileBytes) return std::nullopt;
    const std::optional<std::string_view> version = TakeLine(text, "version");
    const std::optional<std::string_view> hex = TakeLine(text, "ed25519");
    if (!version || !hex || !text.empty() || !IsVersionText(*version) || hex->size() != 2 * kSignatureBytes) {
        return std::nullopt;
    }
    SignatureFile file{std::string(*version), {}};
    for (std::size_t i = 0; i < hex->size(); i += 2) {
        const int high = HexValue((*hex)[i]), low = HexValue((*hex)[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        file.signature += static_cast<char>(high * 16 + low);
    }
    return file;
}

std::string FormatSignatureFile(const SignatureFile& file) {
    return "version=" + file.version + "\ned25519=" + Hex(file.signature) + "\n";
}

}  // namespace tunewell::trust
