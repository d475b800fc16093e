// SPDX-License-Identifier: GPL-3.0-or-later
#include "trust/sha256_stream.h"

#include <openssl/evp.h>

namespace tunewell::trust {

void Sha256Stream::ContextFree::operator()(evp_md_ctx_st* context) const { EVP_MD_CTX_free(context); }

Sha256Stream::Sha256Stream() : context_(EVP_MD_CTX_new()) {
    ok_ = context_ && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1;
}

Sha256Stream::~Sha256Stream() = default;

void Sha256Stream::Add(std::string_view bytes) {
    if (ok_ && !bytes.empty()) ok_ = EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) == 1;
}

std::string Sha256Stream::FinishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!ok_ || EVP_DigestFinal_ex(context_.get(), digest, &length) != 1) return {};
    ok_ = false;
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0F];
    }
    return text;
}

}  // namespace tunewell::trust
