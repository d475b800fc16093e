// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>

namespace tunewell::transfer {

// Whether a Content-Type value names an HTML page: "text/html" in any
// letter case, its parameters (a charset) ignored.
bool IsHtmlType(const std::string& contentType);

// The first non-blank byte of a body, looked for as the pieces arrive, so
// that a page can be told from a song at the body's start without keeping
// any of it. Blanks are ASCII white space.
class BodyStart {
public:
    enum class Seen {
        kBlanksOnly,  // nothing but blanks (or nothing) so far
        kMarkup,      // the first non-blank byte is "<"
        kOther,       // it is anything else
    };

    // The verdict after one more piece; once decided it no longer changes.
    Seen Feed(const char* data, std::size_t size);
    Seen Verdict() const { return seen_; }

private:
    Seen seen_ = Seen::kBlanksOnly;
};

}  // namespace tunewell::transfer
