#include "trust/program_vetting.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/executable_check.h"
#include "platform/utf8_path.h"
#include "trust/signature_check.h"

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

bool SignatureRequired(std::string_view keyText) {
    return keyText.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

Verdict VetProgram(const std::string& path, std::int64_t announcedLength, std::string_view keyText,
                   const std::optional<std::string>& signature) {
    const std::optional<std::string> program = ReadWhole(path);
    if (!program) return Verdict::kMissing;
    if (announcedLength > 0 && static_cast<std::int64_t>(program->size()) != announcedLength) {
        return Verdict::kIncomplete;
    }
    if (program->empty()) return Verdict::kEmpty;
    if (!platform::LooksStartable(*program)) return Verdict::kNotStartable;
    if (!SignatureRequired(keyText)) return Verdict::kAccepted;
    const std::optional<std::string> key = DecodePublicKey(keyText);
    if (!key) return Verdict::kBadKey;
    if (!signature || signature->size() != 64) return Verdict::kNoSignature;
    return VerifyEd25519(*key, *program, *signature) ? Verdict::kAccepted : Verdict::kBadSignature;
}

Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     std::string_view keyText) {
    std::int64_t announced = 0;
    if (!download(address, target, announced)) return Verdict::kMissing;
    std::optional<std::string> signature;
    if (SignatureRequired(keyText)) {
        const std::string signatureFile = target + ".sig";
        std::int64_t ignored = 0;
        if (download(address + ".sig", signatureFile, ignored)) signature = ReadWhole(signatureFile);
        std::remove(signatureFile.c_str());
    }
    return VetProgram(target, announced, keyText, signature);
}

}  // namespace tunewell::trust
