#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "trust/update_key.h"

namespace tunewell::trust {

// What the check of a downloaded program found. Only kAccepted lets an
// updater replace the installed program.
enum class Verdict {
    kAccepted,
    kMissing,        // no file, or it cannot be read
    kIncomplete,     // fewer (or more) bytes than the server announced
    kEmpty,          // zero bytes
    kNotStartable,   // not a program this platform starts (an error page, plain text)
    kBadKey,         // the build's update key is malformed: nothing can be trusted
    kNoSignature,    // a key is set but no 64-byte signature arrived
    kBadSignature,   // the signature does not match the file
};

// True when the build carries an update key, so every download must come
// with a signature.
bool SignatureRequired(std::string_view keyText = kUpdatePublicKey);

// Checks the downloaded program at `path`: it must exist, hold exactly
// `announcedLength` bytes when that is not 0 (0: the server sent no
// length), be non-empty and startable here, and, when `keyText` is not
// empty, carry `signature`, an Ed25519 signature of its bytes by that key.
Verdict VetProgram(const std::string& path, std::int64_t announcedLength, std::string_view keyText,
                   const std::optional<std::string>& signature);

// One download: copies `address` into the file `target`, sets `announced`
// to the length the server announced (0 when none) and answers whether the
// transfer succeeded.
using DownloadStep = std::function<bool(const std::string& address, const std::string& target,
                                        std::int64_t& announced)>;

// The whole fetch of a new program: downloads `address` into `target`,
// then, when a key is set, `address` + ".sig" beside it, and vets the
// result. Answers kAccepted only when the file at `target` may be
// installed; the signature file is removed in every case.
Verdict FetchProgram(const DownloadStep& download, const std::string& address, const std::string& target,
                     std::string_view keyText = kUpdatePublicKey);

}  // namespace tunewell::trust
