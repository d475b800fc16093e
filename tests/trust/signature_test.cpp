// Update signatures checked through the libcrypto this build links (the
// cross-built one on Windows), on a program in a folder with a Chinese name.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <memory>
#include <string>

#include "support/temp_folder.h"
#include "trust/program_vetting.h"
#include "trust/signature_check.h"

namespace tunewell::trust {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

Key NewKey() { return Key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519")); }

std::string RawPublic(EVP_PKEY* key) {
    std::string raw(32, '\0');
    std::size_t size = raw.size();
    EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char*>(raw.data()), &size);
    return raw;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::string Sign(EVP_PKEY* key, const std::string& message) {
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    std::string signature(64, '\0');
    std::size_t size = signature.size();
    EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key);
    EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                   reinterpret_cast<const unsigned char*>(message.data()), message.size());
    return signature;
}

TEST(Signature, OnlyTheKeysOwnSignatureOfTheSameBytesPasses) {
    const Key key = NewKey();
    const Key other = NewKey();
    ASSERT_TRUE(key && other);
    const std::string message = std::string("MZ\x90\x00", 4) + "program bytes";
    const std::string signature = Sign(key.get(), message);
    std::string changed = message;
    changed.back() ^= 1;
    std::string badSignature = signature;
    badSignature[10] ^= 1;
    EXPECT_TRUE(VerifyEd25519(RawPublic(key.get()), message, signature));
    EXPECT_FALSE(VerifyEd25519(RawPublic(key.get()), changed, signature));
    EXPECT_FALSE(VerifyEd25519(RawPublic(key.get()), message, badSignature));
    EXPECT_FALSE(VerifyEd25519(RawPublic(other.get()), message, signature));
    EXPECT_FALSE(VerifyEd25519(RawPublic(key.get()), message, signature.substr(1)));
}

TEST(Signature, AProgramInAChineseFolderIsVettedByItsBytes) {
    const Key key = NewKey();
    ASSERT_TRUE(key);
    testing::TempFolder folder;
    std::filesystem::create_directory(platform::Utf8Path(folder.File("新版本")));
#ifdef _WIN32
    const std::string program = std::string("MZ\x90\x00", 4) + "new program";
#else
    const std::string program = "\x7f" "ELF new program";
#endif
    const std::string path = folder.File("新版本/Tunewell");
    testing::WriteBytes(path, program);
    const std::string keyText = Hex(RawPublic(key.get()));
    ASSERT_EQ(DecodePublicKey(keyText), RawPublic(key.get()));
    EXPECT_EQ(VetProgram(path, 0, keyText, Sign(key.get(), program)), Verdict::kAccepted);
    EXPECT_EQ(VetProgram(path, 0, keyText, Sign(key.get(), program + "x")), Verdict::kBadSignature);
    EXPECT_EQ(VetProgram(path, static_cast<std::int64_t>(program.size()) + 1, keyText, Sign(key.get(), program)),
              Verdict::kIncomplete);
    EXPECT_EQ(VetProgram(folder.File("新版本/没有"), 0, keyText, std::nullopt), Verdict::kMissing);
}

}  // namespace
}  // namespace tunewell::trust
