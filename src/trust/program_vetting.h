// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "trust/update_key.h"
#include "trust/version_rule.h"

namespace tunewell::trust {

// The most bytes a downloaded program may have (the program is a few
// megabytes): a larger download stops as soon as its length is known or
// its bytes pass this, and leaves nothing behind.
inline constexpr std::int64_t kMaxProgramBytes = 64LL * 1024 * 1024;

// What the check of a downloaded program found. Only kAccepted lets an
// updater replace the installed program.
enum class Verdict {
    kAccepted,
    kDownloadFailed,  // the program's transfer failed (the transfer tells why)
    kMissing,         // no file, or it cannot be read
    kIncomplete,      // fewer (or more) bytes than the server announced
    kEmpty,           // zero bytes
    kNotStartable,    // not a program this platform starts (an error page, plain text, a script)
    kBadKey,          // the build's update key is missing or malformed: nothing can be trusted
    kNoSignature,     // no signature file arrived, or it is malformed
    kBadSignature,    // the signature does not match the file and its version
    kWrongVersion,    // correctly signed, but for a version the updater does not accept
};

// Words for the user: why a download with this verdict is not installed;
// empty for kAccepted. For kDownloadFailed the transfer's words say more.
std::string VerdictText(Verdict verdict);

// What one reading of a downloaded program found: its length, its first
// bytes (up to platform::kStartableHeadBytes) and its SHA-256 in hex.
struct ProgramScan {
    std::int64_t size = 0;
    std::string head;
    std::string sha256Hex;
};

// Reads the file at `path` once, in pieces: memory stays small whatever
// its size. Nothing when it cannot be opened or read.
std::optional<ProgramScan> ScanProgram(const std::string& path);

// Checks the downloaded program at `path`: it must exist, hold exactly
// `announcedLength` bytes when that is not 0 (0: the server sent no
// length), be non-empty and startable here, and come with `signatureFile`
// (the text of the ".sig" file, trust/update_signature.h) holding an
// Ed25519 signature by the key `keyText` of its version and the file's
// SHA-256, for a version `versions` accepts. Every build asks for the
// signature. The file is read once, in pieces (ScanProgram).
Verdict VetProgram(const std::string& path, std::int64_t announcedLength, const std::optional<std::string>& signatureFile,
                   const VersionRule& versions, std::string_view keyText = kUpdatePublicKey);

// One download: copies `address` into the file `target`, failing the
// transfer (and leaving no file) once the file would pass `maxBytes`; sets
// `announced` to the length the server announced (0 when none) and answers
// whether the transfer succeeded.
using DownloadStep = std::function<bool(const std::string& address, const std::string& target,
                                        std::int64_t maxBytes, std::int64_t& announced)>;

// The whole fetch of a new program: downloads `address` into `target`
// (at most kMaxProgramBytes), then `address` + ".sig" beside it (at most
// kMaxSignatureFileBytes), and vets the result. Answers kAccepted only
// when the file at `target` may be installed, kDownloadFailed when the
// program's transfer failed; the signature file is removed in every case.
Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     const VersionRule& versions, std::string_view keyText = kUpdatePublicKey);

}  // namespace tunewell::trust
