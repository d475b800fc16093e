// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <string>

namespace tunewell::transfer {

// The partial file of a song: hidden beside the final file, named after it
// ("." + name + ".part"), the name cut at a UTF-8 character boundary so that
// it and its record (PartialRecordPath) stay within 255 bytes.
std::string PartialPathFor(const std::string& targetPath);
// The resume record kept beside a partial file (see ResumeRecord).
std::string PartialRecordPath(const std::string& partialPath);

// Removes, in `folder`, what this program left there more than `maxAge`
// ago and no running transfer holds (each transfer locks its partial while
// writing): partial files beside a record this program wrote (with the
// record), records left without a partial, and its own temporaries
// (".tw-" + six letters or digits + ".part"). Any other file, however
// much it looks like a partial, is the user's and stays. A download run
// calls this at its start. Returns how many files went; problems with
// single entries are skipped.
int RemoveStalePartials(const std::string& folder,
                        std::chrono::hours maxAge = std::chrono::hours(24 * 7));

}  // namespace tunewell::transfer
