// SPDX-License-Identifier: GPL-3.0-or-later
// Update signatures checked through the libcrypto this build links (the
// cross-built one on Windows), on a program in a folder with a Chinese name.
#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "platform/executable_check.h"
#include "trust/program_vetting.h"
#include "trust/sha256_stream.h"
#include "trust/signature_check.h"
#include "trust/update_signature.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"

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

// The program under test is a real program of this platform, so it passes
// the startable check wherever the suite runs.
std::string OwnProgramBytes() {
#ifdef _WIN32
    return testing::ReadBytes(platform::ProgramFolder() + "/test_trust.exe");
#else
    return testing::ReadBytes(platform::ProgramFolder() + "/test_trust");
#endif
}

TEST(Signature, AProgramInAChineseFolderIsVettedByItsBytesAndVersion) {
    const Key key = NewKey();
    ASSERT_TRUE(key);
    testing::TempFolder folder;
    std::filesystem::create_directory(platform::Utf8Path(folder.File("新版本")));
    const std::string program = OwnProgramBytes();
    ASSERT_FALSE(program.empty());
    const std::string path = folder.File("新版本/Tunewell");
    testing::WriteBytes(path, program);
    const std::string keyText = Hex(RawPublic(key.get()));
    ASSERT_EQ(DecodePublicKey(keyText), RawPublic(key.get()));
    const auto signatureFor = [&](const std::string& version, const std::string& bytes) {
        return FormatSignatureFile({version, Sign(key.get(), SignedMessage(version, Sha256Hex(bytes)))});
    };
    const VersionRule newer = VersionRule::Exactly("2.6");
    EXPECT_EQ(VetProgram(path, 0, signatureFor("2.6", program), newer, keyText), Verdict::kAccepted);
    EXPECT_EQ(VetProgram(path, 0, signatureFor("2.6", program + "x"), newer, keyText), Verdict::kBadSignature);
    EXPECT_EQ(VetProgram(path, 0, signatureFor("2.4", program), newer, keyText), Verdict::kWrongVersion);
    EXPECT_EQ(VetProgram(path, static_cast<std::int64_t>(program.size()) + 1, signatureFor("2.6", program), newer,
                         keyText),
              Verdict::kIncomplete);
    EXPECT_EQ(VetProgram(folder.File("新版本/没有"), 0, std::nullopt, newer, keyText), Verdict::kMissing);
}

// The file is read in pieces (never whole) for its length, head and
// digest: the digest matches the whole-bytes one and the published one of
// a million "a" (several read blocks), whatever the pieces.
TEST(Sha256, AFileReadInPiecesHashesLikeItsWholeBytes) {
    testing::TempFolder folder;
    const std::string million(1000000, 'a');
    const std::string path = folder.File("程序");
    testing::WriteBytes(path, million);
    const std::optional<ProgramScan> scan = ScanProgram(path);
    ASSERT_TRUE(scan.has_value());
    EXPECT_EQ(scan->sha256Hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(scan->sha256Hex, Sha256Hex(million));
    EXPECT_EQ(scan->size, 1000000);
    EXPECT_EQ(scan->head, million.substr(0, platform::kStartableHeadBytes));

    std::string varied;
    for (int i = 0; varied.size() < 200000; ++i) varied += std::to_string(i * 7919) + ",";
    Sha256Stream pieces;
    for (std::size_t at = 0, step = 1; at < varied.size(); at += step, step = step * 3 + 1)
        pieces.Add(std::string_view(varied).substr(at, step));
    EXPECT_EQ(pieces.FinishHex(), Sha256Hex(varied));
    EXPECT_FALSE(ScanProgram(folder.File("没有")).has_value());
}

// The fetch asks for both caps, keeps the program and removes the
// signature file, also in a folder with a Chinese name.
TEST(Signature, TheFetchRemovesTheSignatureFileInAChineseFolder) {
    const Key key = NewKey();
    ASSERT_TRUE(key);
    testing::TempFolder folder;
    std::filesystem::create_directory(platform::Utf8Path(folder.File("升级文件")));
    const std::string program = OwnProgramBytes();
    const std::string signature =
        FormatSignatureFile({"2.6", Sign(key.get(), SignedMessage("2.6", Sha256Hex(program)))});
    std::vector<std::int64_t> caps;
    const DownloadStep download = [&](const std::string& address, const std::string& target, std::int64_t maxBytes,
                                      std::int64_t& announced) {
        caps.push_back(maxBytes);
        const std::string& bytes = address.ends_with(".sig") ? signature : program;
        testing::WriteBytes(target, bytes);
        announced = static_cast<std::int64_t>(bytes.size());
        return true;
    };
    const std::string target = folder.File("升级文件/新程序");
    EXPECT_EQ(FetchProgram(download, "http://127.0.0.1/p", target, VersionRule::Exactly("2.6"),
                           Hex(RawPublic(key.get()))),
              Verdict::kAccepted);
    EXPECT_EQ(caps, (std::vector<std::int64_t>{kMaxProgramBytes, static_cast<std::int64_t>(kMaxSignatureFileBytes)}));
    EXPECT_TRUE(std::filesystem::exists(platform::Utf8Path(target)));
    EXPECT_FALSE(std::filesystem::exists(platform::Utf8Path(target + ".sig")));
}

}  // namespace
}  // namespace tunewell::trust
