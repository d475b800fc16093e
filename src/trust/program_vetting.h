#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "trust/update_key.h"
#include "trust/version_rule.h"

namespace tunewell::trust {

// What the check of a downloaded program found. Only kAccepted lets an
// updater replace the installed program.
enum class Verdict {
    kAccepted,
    kMissing,        // no file, or it cannot be read
    kIncomplete,     // fewer (or more) bytes than the server announced
    kEmpty,          // zero bytes
    kNotStartable,   // not a program this platform starts (an error page, plain text, a script)
    kBadKey,         // the build's update key is missing or malformed: nothing can be trusted
    kNoSignature,    // no signature file arrived, or it is malformed
    kBadSignature,   // the signature does not match the file and its version
    kWrongVersion,   // correctly signed, but for a version the updater does not accept
};

// Checks the downloaded program at `path`: it must exist, hold exactly
// `announcedLength` bytes when that is not 0 (0: the server sent no
// length), be non-empty and startable here, and come with `signatureFile`
// (the text of the ".sig" file, trust/update_signature.h) holding an
// Ed25519 signature by the key `keyText` of its version and the file's
// SHA-256, for a version `versions` accepts. Every build asks for the
// signature.
Verdict VetProgram(const std::string& path, std::int64_t announcedLength, const std::optional<std::string>& signatureFile,
                   const VersionRule& versions, std::string_view keyText = kUpdatePublicKey);

// One download: copies `address` into the file `target`, sets `announced`
// to the length the server announced (0 when none) and answers whether the
// transfer succeeded.
using DownloadStep = std::function<bool(const std::string& address, const std::string& target,
                                        std::int64_t& announced)>;

// The whole fetch of a new program: downloads `address` into `target`,
// then `address` + ".sig" beside it, and vets the result. Answers
// kAccepted only when the file at `target` may be installed; the signature
// file is removed in every case.
Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     const VersionRule& versions, std::string_view keyText = kUpdatePublicKey);

}  // namespace tunewell::trust
