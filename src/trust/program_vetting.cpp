#include "trust/program_vetting.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/executable_check.h"
#include "platform/utf8_path.h"
#include "trust/signature_check.h"
#include "trust/update_signature.h"

namespace tunewell::trust {
namespace {

std::optional<std::string> ReadWhole(const std::string& path) {
    std::ifstream in(platform::Utf8Path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

}  // namespace

Verdict VetProgram(const std::string& path, std::int64_t announcedLength, const std::optional<std::string>& signatureFile,
                   const VersionRule& versions, std::string_view keyText) {
    const std::optional<std::string> program = ReadWhole(path);
    if (!program) return Verdict::kMissing;
    if (announcedLength > 0 && static_cast<std::int64_t>(program->size()) != announcedLength) {
        return Verdict::kIncomplete;
    }
    if (program->empty()) return Verdict::kEmpty;
    if (!platform::LooksStartable(*program)) return Verdict::kNotStartable;
    const std::optional<std::string> key = DecodePublicKey(keyText);
    if (!key) return Verdict::kBadKey;
    const std::optional<SignatureFile> signature =
        signatureFile ? ParseSignatureFile(*signatureFile) : std::nullopt;
    if (!signature) return Verdict::kNoSignature;
    // The signature first: a version is only worth judging once it is known
    // to be the publisher's.
    if (!VerifyEd25519(*key, SignedMessage(signature->version, Sha256Hex(*program)), signature->signature)) {
        return Verdict::kBadSignature;
    }
    return versions.Accepts(signature->version) ? Verdict::kAccepted : Verdict::kWrongVersion;
}

Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     const VersionRule& versions, std::string_view keyText) {
    std::int64_t announced = 0;
    if (!download(address, target, announced)) return Verdict::kMissing;
    const std::string signatureFile = target + ".sig";
    std::optional<std::string> signature;
    std::int64_t ignored = 0;
    if (download(address + ".sig", signatureFile, ignored)) signature = ReadWhole(signatureFile);
    std::remove(signatureFile.c_str());
    return VetProgram(target, announced, signature, versions, keyText);
}

}  // namespace tunewell::trust
