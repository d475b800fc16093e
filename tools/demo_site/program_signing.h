// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::demo {

// The 64-byte Ed25519 signature of `message` by the PEM private key
// `privateKeyPem`; empty when the key cannot be read or is no Ed25519 key.
std::string SignEd25519(const std::string& privateKeyPem, const std::string& message);

}  // namespace tunewell::demo
