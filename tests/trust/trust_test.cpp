#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "download/file_download_transfer.h"
#include "platform/executable_check.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "transfer/file_download.h"
#include "trust/program_vetting.h"
#include "trust/signature_check.h"

namespace tunewell::trust {
namespace {

namespace stdfs = std::filesystem;

// An Ed25519 key pair made in the test: the PEM private key (what the demo
// site signs with) and the public key as hex (what the build carries).
struct KeyPair {
    std::string privatePem;
    std::string publicHex;
};

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

TEST(ExecutableCheck, ElfAndInterpreterScriptsOnly) {
    EXPECT_TRUE(platform::LooksStartable(std::string("\x7f" "ELF\x02\x01", 6)));
    EXPECT_TRUE(platform::LooksStartable("#!/bin/sh\n"));
    for (const char* head : {"", "#", "MZ\x90", "<HTML>", "echo hi\n", "\x7f" "EL"}) {
        EXPECT_FALSE(platform::LooksStartable(head)) << head;
    }
    EXPECT_TRUE(platform::IsStartableFile("/bin/sh"));
    EXPECT_FALSE(platform::IsStartableFile("/nonexistent/program"));
}

TEST(DecodePublicKey, HexOrBase64Of32Bytes) {
    const std::string hex(64, 'a');
    ASSERT_TRUE(DecodePublicKey(" " + hex + "\n").has_value());
    EXPECT_EQ(*DecodePublicKey(hex), std::string(32, '\xaa'));
    EXPECT_EQ(*DecodePublicKey("qqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqqo="), std::string(32, '\xaa'));
    for (const std::string& bad : std::vector<std::string>{"", "xyz", hex.substr(2), hex.substr(1) + "g", std::string(44, '*')}) {
        EXPECT_FALSE(DecodePublicKey(bad).has_value()) << bad;
    }
}

class VetProgramTest : public testing::TempFolderTest {
protected:
    std::string File(const std::string& bytes) {
        const auto path = work_ / "program";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
};

TEST_F(VetProgramTest, CompleteStartableProgramsOnly) {
    const std::string script = "#!/bin/sh\nexit 0\n";
    const struct {
        std::string bytes;
        std::int64_t announced;
        Verdict expected;
    } cases[] = {
        {script, 0, Verdict::kAccepted},
        {script, static_cast<std::int64_t>(script.size()), Verdict::kAccepted},
        {script, static_cast<std::int64_t>(script.size()) + 1, Verdict::kIncomplete},
        {"", 0, Verdict::kEmpty},
        {"", 10, Verdict::kIncomplete},
        {"<HTML><BODY>404</BODY></HTML>", 0, Verdict::kNotStartable},
        {"echo plain text\n", 0, Verdict::kNotStartable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VetProgram(File(c.bytes), c.announced, "", std::nullopt), c.expected) << c.bytes;
    }
    EXPECT_EQ(VetProgram((work_ / "missing").string(), 0, "", std::nullopt), Verdict::kMissing);
    EXPECT_EQ(VetProgram(File(script), 0, "not a key", std::string(64, 'x')), Verdict::kBadKey);
}

// The whole fetch against the demo version server, which signs with a key
// made here: the right key accepts, another key or a missing signature
// refuses.
class SignedFetchTest : public testing::DemoSiteTest {
protected:
    Verdict Fetch(const std::string& key) {
        const DownloadStep download = [this](const std::string& source, const std::string& target,
                                             std::int64_t& announced) {
            announced = 0;
            return transfer_.StartDownloading(source, target);
        };
        return FetchProgram(download, testing::VersionUrl("/upload/tunewell.exe"), folder_.File("p"),
                            key);
    }
    testing::TempFolder folder_;
    transfer::CFileDownload fileDownload_;
    download::FileDownloadTransfer transfer_{fileDownload_};
};

TEST_F(SignedFetchTest, GoodWrongAndMissingSignatures) {
    const KeyPair signer = NewKeyPair(), other = NewKeyPair();
    ASSERT_FALSE(signer.publicHex.empty());
    EXPECT_EQ(Fetch(signer.publicHex), Verdict::kNoSignature);  // the site signs nothing yet
    EXPECT_EQ(Fetch(""), Verdict::kAccepted);                   // unsigned builds ask for none
    Options().signingKeyPem = signer.privatePem;
    EXPECT_EQ(Fetch(signer.publicHex), Verdict::kAccepted);
    EXPECT_EQ(Fetch(other.publicHex), Verdict::kBadSignature);
    Options().programBytes = "#!/bin/sh\necho tampered\n";
    Options().signingKeyPem = other.privatePem;
    EXPECT_EQ(Fetch(signer.publicHex), Verdict::kBadSignature);
    EXPECT_FALSE(stdfs::exists(folder_.File("p.sig")));  // never left behind
}

}  // namespace
}  // namespace tunewell::trust
