// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tunewell::trust {

// The 32 raw bytes of an Ed25519 public key written as hex (64 digits,
// either case) or base64 (44 characters with padding); blanks around it are
// ignored. Nothing when the text is neither or has the wrong length.
std::optional<std::string> DecodePublicKey(std::string_view text);

// True only when `signature` (64 bytes) is a valid Ed25519 signature of
// `message` by `publicKey` (32 raw bytes). Any malformed input is false.
bool VerifyEd25519(std::string_view publicKey, std::string_view message, std::string_view signature);

}  // namespace tunewell::trust
