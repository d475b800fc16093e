// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/update_signing.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

#include "demo_site/demo_catalogue.h"
#include "demo_site/program_signing.h"
#include "support/temp_folder.h"
#include "trust/update_signature.h"

namespace tunewell::testing {

KeyPair NewKeyPair() {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"),
                                                            &EVP_PKEY_free);
    if (!key) return {};
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
    PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    KeyPair pair{std::string(data, static_cast<std::size_t>(length)), ""};
    unsigned char raw[32];
    std::size_t rawLength = sizeof raw;
    EVP_PKEY_get_raw_public_key(key.get(), raw, &rawLength);
    static const char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < rawLength; ++i) {
        pair.publicHex += kHex[raw[i] >> 4];
        pair.publicHex += kHex[raw[i] & 0xF];
    }
    return pair;
}

const KeyPair& TestUpdateKey() {
    static const KeyPair pair = NewKeyPair();
    return pair;
}

std::string SignatureFileFor(const KeyPair& key, const std::string& version, const std::string& bytes) {
    const std::string signature =
        demo::SignEd25519(key.privatePem, trust::SignedMessage(version, trust::Sha256Hex(bytes)));
    return trust::FormatSignatureFile({version, signature});
}

std::string StandInProgram() { return ReadBytes(demo::StandInProgramPath()); }

}  // namespace tunewell::testing
