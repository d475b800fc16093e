// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "demo_site/program_signing.h"
#include "transfer/file_download_fetch.h"
#include "platform/executable_check.h"
#include "support/demo_site_fixture.h"
#include "support/site_urls.h"
#include "support/temp_folder.h"
#include "support/update_signing.h"
#include "transfer/file_download.h"
#include "trust/program_vetting.h"
#include "trust/signature_check.h"
#include "trust/update_signature.h"

namespace tunewell::trust {
namespace {

namespace stdfs = std::filesystem;
using testing::KeyPair;

// The first bytes of an ELF file: class, byte order, type and machine as
// given (little-endian fields, as on the machines this runs on).
std::string ElfHead(char elfClass, char data, unsigned type, unsigned machine) {
    std::string head("\x7f" "ELF", 4);
    head += elfClass;
    head += data;
    head += '\x01';
    head.resize(16, '\0');
    head += static_cast<char>(type & 0xFF);
    head += static_cast<char>(type >> 8);
    head += static_cast<char>(machine & 0xFF);
    head += static_cast<char>(machine >> 8);
    return head;
}

TEST(ExecutableCheck, OnlyAnElfProgramForThisMachineNeverAScript) {
    const std::string own = testing::ReadBytes("/proc/self/exe").substr(0, 20);
    ASSERT_EQ(own.size(), 20u);
    EXPECT_TRUE(platform::LooksStartable(own));
    std::string library = own;
    library[16] = 3;  // ET_DYN: position-independent programs are shared objects
    EXPECT_TRUE(platform::LooksStartable(library));
    std::string relocatable = own, core = own, otherMachine = own, otherClass = own;
    relocatable[16] = 1;
    core[16] = 4;
    otherMachine[18] = static_cast<char>(own[18] == 0x3E ? 0xB7 : 0x3E);  // x86-64 <-> AArch64
    otherClass[4] = own[4] == 2 ? 1 : 2;
    for (const std::string& head : std::vector<std::string>{
             "", "#!/bin/sh\n", "#!/usr/bin/env python3\nprint()\n", "MZ\x90\0PE\0\0", "<HTML>", "echo hi\n",
             std::string("\x7f" "ELF\x02\x01", 6), relocatable, core, otherMachine, otherClass,
             ElfHead(2, 2, 2, 0x3E) /* big-endian */}) {
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

// The statement is what a release signs with tools/sign_update.sh: its
// bytes are fixed.
TEST(UpdateSignature, StatementAndSignatureFileFormat) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(SignedMessage("2.6", "00ff"), "Tunewell update\nversion=2.6\nsha256=00ff\n");
    const std::string hex(128, 'a');
    const std::string good = "version=2.6\ned25519=" + hex + "\n";
    ASSERT_TRUE(ParseSignatureFile(good).has_value());
    EXPECT_EQ(ParseSignatureFile(good)->version, "2.6");
    EXPECT_EQ(ParseSignatureFile(good)->signature, std::string(64, '\xaa'));
    EXPECT_EQ(FormatSignatureFile(*ParseSignatureFile(good)), good);
    EXPECT_TRUE(ParseSignatureFile("version=2.6\r\ned25519=" + hex + "\r\n").has_value());
    EXPECT_TRUE(ParseSignatureFile("version=2.6.1-rc_2\ned25519=" + hex).has_value());
    for (const std::string& bad : std::vector<std::string>{
             "", std::string(64, 'x'), "ed25519=" + hex + "\nversion=2.6\n", "version=\ned25519=" + hex + "\n",
             "version=2 6\ned25519=" + hex + "\n", "version=" + std::string(33, '9') + "\ned25519=" + hex + "\n",
             "version=2.6\ned25519=" + hex.substr(2) + "\n", "version=2.6\ned25519=" + hex.substr(1) + "g\n",
             good + "extra\n", "versionx=2.6\ned25519=" + hex + "\n"}) {
        EXPECT_FALSE(ParseSignatureFile(bad).has_value()) << bad;
    }
}

TEST(VersionRule, ExactlyTheAnnouncedOrNotOlderThanThisBuild) {
    const struct {
        VersionRule rule;
        const char* offered;
        bool accepted;
    } cases[] = {
        {VersionRule::Exactly("2.6"), "2.6", true},    {VersionRule::Exactly("2.6"), "2.60", false},
        {VersionRule::Exactly("9.9"), "2.4", false},   {VersionRule::Exactly(""), "", false},
        {VersionRule::AtLeast("2.5"), "2.5", true},    {VersionRule::AtLeast("2.5"), "2.6.1", true},
        {VersionRule::AtLeast("2.5"), "10.0", true},   {VersionRule::AtLeast("2.5"), "2.4", false},
        {VersionRule::AtLeast("2.5"), "2.4.9", false}, {VersionRule::AtLeast("2.5"), "beta", false},
        {VersionRule::AtLeast("2.5"), "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rule.Accepts(c.offered), c.accepted) << c.offered;
}

class VetProgramTest : public testing::TempFolderTest {
protected:
    std::string File(const std::string& bytes) {
        const auto path = work_ / "program";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    const KeyPair& key_ = testing::TestUpdateKey();
};

TEST_F(VetProgramTest, CompleteStartableProgramsSignedForAnAcceptedVersionOnly) {
    const std::string program = testing::StandInProgram();
    ASSERT_TRUE(platform::LooksStartable(program));
    const std::string script = "#!/bin/sh\nexit 0\n";
    const std::string signedAs26 = testing::SignatureFileFor(key_, "2.6", program);
    const auto size = static_cast<std::int64_t>(program.size());
    const struct {
        const char* what;
        std::string bytes;
        std::int64_t announced;
        std::optional<std::string> signature;
        Verdict expected;
    } cases[] = {
        {"signed program", program, 0, signedAs26, Verdict::kAccepted},
        {"announced length", program, size, signedAs26, Verdict::kAccepted},
        {"short of the announced length", program, size + 1, signedAs26, Verdict::kIncomplete},
        {"empty", "", 0, signedAs26, Verdict::kEmpty},
        {"empty, length announced", "", 10, signedAs26, Verdict::kIncomplete},
        {"error page", "<HTML><BODY>404</BODY></HTML>", 0, signedAs26, Verdict::kNotStartable},
        {"signed script", script, 0, testing::SignatureFileFor(key_, "2.6", script), Verdict::kNotStartable},
        {"no signature", program, 0, std::nullopt, Verdict::kNoSignature},
        {"raw 64-byte signature", program, 0, std::string(64, 'x'), Verdict::kNoSignature},
        {"signature of other bytes", program + "x", 0, signedAs26, Verdict::kBadSignature},
        {"version changed after signing", program, 0,
         "version=2.7" + signedAs26.substr(signedAs26.find('\n')), Verdict::kBadSignature},
        {"signed for another version", program, 0, testing::SignatureFileFor(key_, "2.4", program),
         Verdict::kWrongVersion},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VetProgram(File(c.bytes), c.announced, c.signature, VersionRule::Exactly("2.6"), key_.publicHex),
                  c.expected)
            << c.what;
    }
    EXPECT_EQ(VetProgram((work_ / "missing").string(), 0, signedAs26, VersionRule::Exactly("2.6"), key_.publicHex),
              Verdict::kMissing);
    // No build goes without a key: a missing or malformed one trusts nothing.
    for (const char* badKey : {"", "not a key"}) {
        EXPECT_EQ(VetProgram(File(program), 0, signedAs26, VersionRule::Exactly("2.6"), badKey), Verdict::kBadKey);
    }
}

// The whole fetch against the demo version server: the right key accepts,
// another key, a missing signature or one for another version refuses.
class SignedFetchTest : public testing::DemoSiteTest {
protected:
    Verdict Fetch(const std::string& key, const VersionRule& versions = VersionRule::Exactly("2.5")) {
        const DownloadStep download = [this](const std::string& source, const std::string& target,
                                             std::int64_t maxBytes, std::int64_t& announced) {
            announced = 0;
            transfer_.SetSizeCap(maxBytes);
            return transfer_.StartDownloading(source, target);
        };
        return FetchProgram(download, testing::VersionUrl("/upload/tunewell.exe"), folder_.File("p"), versions,
                            key);
    }
    testing::TempFolder folder_;
    transfer::CFileDownload fileDownload_;
    transfer::FileDownloadFetch transfer_{fileDownload_};
    const KeyPair& signer_ = testing::TestUpdateKey();
};

TEST_F(SignedFetchTest, GoodWrongAndMissingSignatures) {
    const KeyPair other = testing::NewKeyPair();
    ASSERT_FALSE(other.publicHex.empty());
    EXPECT_EQ(Fetch(signer_.publicHex), Verdict::kAccepted);
    EXPECT_EQ(Fetch(other.publicHex), Verdict::kBadSignature);
    EXPECT_EQ(Fetch(""), Verdict::kBadKey);  // no build installs unsigned updates
    Options().programBytes = testing::StandInProgram() + "tampered";
    Options().signingKeyPem = other.privatePem;
    EXPECT_EQ(Fetch(signer_.publicHex), Verdict::kBadSignature);
    Options().signingKeyPem.clear();
    EXPECT_EQ(Fetch(signer_.publicHex), Verdict::kNoSignature);
    EXPECT_FALSE(stdfs::exists(folder_.File("p.sig")));  // never left behind
}

// A genuine older program, correctly signed as 2.4, offered as 9.9: the
// in-program updater wants 9.9, UpDate nothing older than itself.
TEST_F(SignedFetchTest, AnOlderSignedProgramCannotBeReplayedAsANewerOne) {
    Options().latestVersion = "9.9";
    Options().signedVersion = "2.4";
    EXPECT_EQ(Fetch(signer_.publicHex, VersionRule::Exactly("9.9")), Verdict::kWrongVersion);
    EXPECT_EQ(Fetch(signer_.publicHex, VersionRule::AtLeast("2.5")), Verdict::kWrongVersion);
    Options().signedVersion.clear();  // signed as announced
    EXPECT_EQ(Fetch(signer_.publicHex, VersionRule::Exactly("9.9")), Verdict::kAccepted);
}

// The 136-byte kind of reply that used to be installed: a "#!/bin/sh"
// script, unsigned or even signed, is never a program.
TEST_F(SignedFetchTest, AScriptIsRefusedSignedOrNot) {
    Options().latestVersion = "9.9";
    Options().programBytes = "#!/bin/sh\n" + std::string(126, '#');
    Options().signingKeyPem.clear();
    EXPECT_EQ(Fetch(signer_.publicHex, VersionRule::Exactly("9.9")), Verdict::kNotStartable);
    Options().signingKeyPem = signer_.privatePem;
    EXPECT_EQ(Fetch(signer_.publicHex, VersionRule::Exactly("9.9")), Verdict::kNotStartable);
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

// A 1 GB program or signature file, with its length announced or not: the
// transfer stops at the cap instead of taking the gigabyte (the site hands
// out little of it), and nothing of it stays beside the download.
TEST_F(SignedFetchTest, HugeProgramsAndSignatureFilesStopAtTheCapAndLeaveNothing) {
    constexpr std::uint64_t kGigabyte = 1ull << 30;
    constexpr std::uint64_t kSlack = 32ull << 20;  // what socket buffers may hold when the transfer stops
    using Cause = transfer::TransferFailure::Cause;
    Options().programSize = kGigabyte;
    for (const bool chunked : {false, true}) {
        Options().programChunked = chunked;
        const std::uint64_t before = Site().ProgramBytesSent();
        EXPECT_EQ(Fetch(signer_.publicHex), Verdict::kDownloadFailed) << chunked;
        EXPECT_EQ(fileDownload_.LastFailure().cause, Cause::kTooLarge) << chunked;
        // An announced length is refused before its first byte.
        const std::uint64_t allowed = chunked ? kMaxProgramBytes + kSlack : kSlack;
        EXPECT_LT(Site().ProgramBytesSent() - before, allowed) << chunked;
        EXPECT_TRUE(NamesIn(folder_.path()).empty()) << chunked;
    }
    Options().programSize = 0;
    Options().signatureSize = kGigabyte;
    const std::uint64_t program = testing::StandInProgram().size() + 512 * 1024;
    for (const bool chunked : {false, true}) {
        Options().programChunked = chunked;
        const std::uint64_t before = Site().ProgramBytesSent();
        EXPECT_EQ(Fetch(signer_.publicHex), Verdict::kNoSignature) << chunked;
        EXPECT_EQ(fileDownload_.LastFailure().cause, Cause::kTooLarge) << chunked;
        EXPECT_LT(Site().ProgramBytesSent() - before, program + kSlack) << chunked;
        EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"p"}) << chunked;  // the program, for its caller
    }
}

// tools/sign_update.sh, the release recipe, makes files the updaters accept.
TEST_F(VetProgramTest, TheReleaseSigningScriptMakesWhatTheUpdatersAccept) {
    const std::string keyFile = (work_ / "key.pem").string();
    testing::WriteBytes(keyFile, key_.privatePem);
    const std::string program = File(testing::StandInProgram());
    const std::string command = std::string("bash ") + TUNEWELL_SOURCE_DIR + "/tools/sign_update.sh " + keyFile +
                                " " + program + " 2.6.1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string signature = testing::ReadBytes(program + ".sig");
    EXPECT_EQ(VetProgram(program, 0, signature, VersionRule::Exactly("2.6.1"), key_.publicHex), Verdict::kAccepted);
    EXPECT_EQ(VetProgram(program, 0, signature, VersionRule::Exactly("2.6"), key_.publicHex), Verdict::kWrongVersion);
    const std::string refused = std::string("bash ") + TUNEWELL_SOURCE_DIR + "/tools/sign_update.sh " + keyFile +
                                " " + program + " '2.6 x' >/dev/null 2>&1";
    EXPECT_NE(std::system(refused.c_str()), 0);
}

// Without a release key, configuring made a key pair in the build folder:
// the build trusts its public half.
TEST(BuildUpdateKey, TheBuildTrustsTheKeyMadeInTheBuildFolder) {
    const std::string keyFile = TUNEWELL_BUILD_UPDATE_KEY_FILE;
    if (keyFile.empty()) GTEST_SKIP() << "configured with a release key";
    const std::string privatePem = testing::ReadBytes(keyFile);
    ASSERT_FALSE(privatePem.empty()) << keyFile;
    EXPECT_EQ(testing::ModeOf(keyFile) & 077, 0u);  // the owner's alone
    const std::string message = SignedMessage("2.5", Sha256Hex("program"));
    const std::optional<std::string> key = DecodePublicKey(kUpdatePublicKey);
    ASSERT_TRUE(key.has_value());
    EXPECT_TRUE(VerifyEd25519(*key, message, demo::SignEd25519(privatePem, message)));
}

// The demo site program, run from the build folder, signs with that key
// by default, so what it serves passes the updaters' check.
TEST(BuildUpdateKey, TheDemoSiteFromTheBuildFolderServesSignedPrograms) {
    if (std::string(TUNEWELL_BUILD_UPDATE_KEY_FILE).empty()) GTEST_SKIP() << "configured with a release key";
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = TUNEWELL_DEMO_SITE, port = "--port", zero = "0";
    char* argv[] = {program.data(), port.data(), zero.data(), nullptr};
    pid_t site = -1;
    ASSERT_EQ(::posix_spawn(&site, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string first;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') first += c;
    ::close(out[0]);
    ASSERT_EQ(first.rfind("http_proxy=", 0), 0u) << first;
    const char* saved = std::getenv("http_proxy");
    const std::string previous = saved ? saved : "";
    ::setenv("http_proxy", first.substr(11).c_str(), 1);

    testing::TempFolder folder;
    transfer::CFileDownload fileDownload;
    transfer::FileDownloadFetch transfer(fileDownload);
    const DownloadStep download = [&](const std::string& source, const std::string& target, std::int64_t maxBytes,
                                      std::int64_t& announced) {
        announced = 0;
        transfer.SetSizeCap(maxBytes);
        return transfer.StartDownloading(source, target);
    };
    EXPECT_EQ(FetchProgram(download, testing::VersionUrl("/Upload/Tunewell.exe"), folder.File("p"),
                           VersionRule::AtLeast("2.5")),
              Verdict::kAccepted);
    saved ? ::setenv("http_proxy", previous.c_str(), 1) : ::unsetenv("http_proxy");
    ::kill(site, SIGTERM);
    ::waitpid(site, nullptr, 0);
}

}  // namespace
}  // namespace tunewell::trust
