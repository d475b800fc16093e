// SPDX-License-Identifier: GPL-3.0-or-later
#include "trust/signature_check.h"

#include <openssl/evp.h>

#include <cctype>
#include <memory>

namespace tunewell::trust {
namespace {

constexpr std::size_t kKeyBytes = 32;
constexpr std::size_t kSignatureBytes = 64;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> FromHex(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::optional<std::string> FromBase64(std::string_view text) {
    unsigned char out[64] = {};
    if (text.size() % 4 != 0 || text.size() / 4 * 3 > sizeof out) return std::nullopt;
    const int decoded = EVP_DecodeBlock(out, reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(text.size()));
    if (decoded < 0) return std::nullopt;
    std::size_t length = static_cast<std::size_t>(decoded);
    // EVP_DecodeBlock counts the padding as zero bytes.
    if (text.ends_with("==")) length -= 2; else if (text.ends_with("=")) length -= 1;
    return std::string(reinterpret_cast<const char*>(out), length);
}

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

}  // namespace

std::optional<std::string> DecodePublicKey(std::string_view text) {
    text = Trimmed(text);
    std::optional<std::string> bytes;
    if (text.size() == 2 * kKeyBytes) bytes = FromHex(text);
    if (!bytes && text.size() == 44) bytes = FromBase64(text);
    if (!bytes || bytes->size() != kKeyBytes) return std::nullopt;
    return bytes;
}

bool VerifyEd25519(std::string_view publicKey, std::string_view message, std::string_view signature) {
    if (publicKey.size() != kKeyBytes || signature.size() != kSignatureBytes) return false;
    std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char*>(publicKey.data()), publicKey.size()));
    if (!key) return false;
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(), reinterpret_cast<const unsigned char*>(message.data()),
                            message.size()) == 1;
}

}  // namespace tunewell::trust
