// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tunewell::trust {

// What the publisher of an update signs, and the file that carries the
// signature beside the download (its address + ".sig").
//
// The signed message is the statement, byte for byte,
//     "Tunewell update\nversion=" V "\nsha256=" H "\n"
// where V is the version the update is published as (the text the version
// server announces) and H the SHA-256 of the program file in 64 lower-case
// hex digits. Signing the version with the file means a program signed as
// 2.4 cannot be offered as 9.9.
//
// The signature file is two lines of text:
//     "version=" V "\n"
//     "ed25519=" S "\n"
// with S the 64-byte Ed25519 signature of the message in 128 hex digits
// (tools/sign_update.sh writes it). A version is 1 to 32 characters of
// letters, digits, ".", "-" and "_", so a valid signature file is under
// 200 bytes; the updaters take no more than kMaxSignatureFileBytes.
inline constexpr std::size_t kMaxSignatureFileBytes = 512;

std::string SignedMessage(std::string_view version, std::string_view sha256Hex);

// SHA-256 of `bytes` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

struct SignatureFile {
    std::string version;
    std::string signature;  // 64 raw bytes
};

// Parses a signature file; CR LF line ends and a missing final line end
// are accepted, anything else malformed (or longer than
// kMaxSignatureFileBytes) gives no value.
std::optional<SignatureFile> ParseSignatureFile(std::string_view text);

// The text of a signature file (the demo site serves it).
std::string FormatSignatureFile(const SignatureFile& file);

// Whether `version` is a version as the signature file allows it.
bool IsVersionText(std::string_view version);

}  // namespace tunewell::trust
