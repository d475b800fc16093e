// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <string>
#include <string_view>

struct evp_md_ctx_st;  // libcrypto's EVP_MD_CTX, kept out of this header

namespace tunewell::trust {

// The SHA-256 of bytes that arrive in pieces, so that a large file is
// hashed while it is read instead of being held whole.
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    void Add(std::string_view bytes);
    // The digest of everything added, as 64 lower-case hex digits; empty
    // when libcrypto failed at any step. Call once: the stream is spent.
    std::string FinishHex();

private:
    struct ContextFree {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextFree> context_;
    bool ok_ = false;
};

}  // namespace tunewell::trust
