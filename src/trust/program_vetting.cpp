// SPDX-License-Identifier: GPL-3.0-or-later
#include "trust/program_vetting.h"

#include <vector>

#include "platform/executable_check.h"
#include "platform/file_io.h"
#include "trust/sha256_stream.h"
#include "trust/signature_check.h"
#include "trust/update_signature.h"

namespace tunewell::trust {
namespace {

// Big enough that reading costs little next to hashing, small enough to
// matter nowhere.
constexpr std::size_t kReadBlock = 64 * 1024;

// Hands the file's bytes to `piece` block by block until the end, or until
// `piece` answers false. False when the file cannot be opened or read.
bool ReadInPieces(const std::string& path, const std::function<bool(std::string_view)>& piece) {
    const int fd = platform::OpenForReading(path, true);
    if (fd < 0) return false;
    std::vector<char> block(kReadBlock);
    bool ok = true;
    for (;;) {
        const long long got = platform::ReadSome(fd, block.data(), block.size());
        if (got < 0) ok = false;
        if (got <= 0 || !piece(std::string_view(block.data(), static_cast<std::size_t>(got)))) break;
    }
    platform::CloseFile(fd);
    return ok;
}

// The first `limit` bytes of the file at `path` (all of a shorter one).
std::optional<std::string> ReadAtMost(const std::string& path, std::size_t limit) {
    std::string bytes;
    const bool read = ReadInPieces(path, [&](std::string_view piece) {
        bytes += piece.substr(0, limit - bytes.size());
        return bytes.size() < limit;
    });
    if (!read) return std::nullopt;
    return bytes;
}

}  // namespace

std::string VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::kAccepted: return {};
        case Verdict::kDownloadFailed: return "下载失败";
        case Verdict::kMissing: return "下载的文件无法读取";
        case Verdict::kIncomplete: return "下载的文件不完整";
        case Verdict::kEmpty: return "下载的文件是空的";
        case Verdict::kNotStartable: return "下载的文件不是可运行的程序";
        case Verdict::kBadKey: return "本程序的升级密钥无效";
        case Verdict::kNoSignature: return "没有找到有效的签名文件";
        case Verdict::kBadSignature: return "签名与下载的文件不符";
        case Verdict::kWrongVersion: return "签名的版本不符";
    }
    return "升级文件无效";
}

std::optional<ProgramScan> ScanProgram(const std::string& path) {
    ProgramScan scan;
    Sha256Stream digest;
    const bool read = ReadInPieces(path, [&](std::string_view piece) {
        if (scan.head.size() < platform::kStartableHeadBytes)
            scan.head += piece.substr(0, platform::kStartableHeadBytes - scan.head.size());
        scan.size += static_cast<std::int64_t>(piece.size());
        digest.Add(piece);
        return true;
    });
    if (!read) return std::nullopt;
    scan.sha256Hex = digest.FinishHex();
    return scan;
}

Verdict VetProgram(const std::string& path, std::int64_t announcedLength, const std::optional<std::string>& signatureFile,
                   const VersionRule& versions, std::string_view keyText) {
    const std::optional<ProgramScan> program = ScanProgram(path);
    if (!program) return Verdict::kMissing;
    if (announcedLength > 0 && program->size != announcedLength) return Verdict::kIncomplete;
    if (program->size == 0) return Verdict::kEmpty;
    if (!platform::LooksStartable(program->head)) return Verdict::kNotStartable;
    const std::optional<std::string> key = DecodePublicKey(keyText);
    if (!key) return Verdict::kBadKey;
    const std::optional<SignatureFile> signature =
        signatureFile ? ParseSignatureFile(*signatureFile) : std::nullopt;
    if (!signature) return Verdict::kNoSignature;
    // The signature first: a version is only worth judging once it is known
    // to be the publisher's.
    if (program->sha256Hex.empty() ||
        !VerifyEd25519(*key, SignedMessage(signature->version, program->sha256Hex), signature->signature)) {
        return Verdict::kBadSignature;
    }
    return versions.Accepts(signature->version) ? Verdict::kAccepted : Verdict::kWrongVersion;
}

Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     const VersionRule& versions, std::string_view keyText) {
    std::int64_t announced = 0;
    if (!download(address, target, kMaxProgramBytes, announced)) return Verdict::kDownloadFailed;
    const std::string signatureFile = target + ".sig";
    std::optional<std::string> signature;
    std::int64_t ignored = 0;
    // Read one byte past the limit, so that an over-long file is refused
    // whatever the transfer let through.
    if (download(address + ".sig", signatureFile, static_cast<std::int64_t>(kMaxSignatureFileBytes), ignored))
        signature = ReadAtMost(signatureFile, kMaxSignatureFileBytes + 1);
    platform::RemoveFile(signatureFile);
    return VetProgram(target, announced, signature, versions, keyText);
}

}  // namespace tunewell::trust
