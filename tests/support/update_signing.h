// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::testing {

// An Ed25519 key pair made in the test process: the PEM private key (what
// the demo site signs with) and the public key as hex (what a build
// carries). Tests never depend on the key of the build folder.
struct KeyPair {
    std::string privatePem;
    std::string publicHex;
};

KeyPair NewKeyPair();

// One key pair for the whole test program. The demo-site fixture signs
// with it; updaters under test are given its public key.
const KeyPair& TestUpdateKey();

// The signature file (trust/update_signature.h) for `bytes` published as
// `version`, signed with `key`.
std::string SignatureFileFor(const KeyPair& key, const std::string& version, const std::string& bytes);

// The bytes of the stand-in program (tunewell-standin): a real program of
// this platform that an updater accepts.
std::string StandInProgram();

}  // namespace tunewell::testing
