// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/resume_record.h"

namespace tunewell::transfer {

// The header lines of the final reply of a transfer: a status line (after a
// redirect, say) starts the collection over. Kept small: lines beyond 64 KiB
// in all are dropped.
class ReplyHeaders {
public:
    void Add(const char* data, std::size_t size);
    void Clear() { block_.clear(); }
    // The trimmed value of the first header named `name` (any letter case);
    // "" when absent.
    std::string Value(const std::string& name) const;

private:
    std::string block_;
};

// The seconds a reply's "Retry-After" asks to wait, when given in seconds
// (up to a day); -1 when absent, a date, or not a number.
int RetryAfterSeconds(const ReplyHeaders& headers);

// The record a fresh reply makes: its validators and `length`, the whole
// body's announced length (-1 when unknown).
ResumeRecord RecordOf(const ReplyHeaders& headers, const std::string& source,
                      const std::string& targetName, std::int64_t length);

// Whether a 206 reply carries the rest of `previous` from byte `from`: the
// same validators, the same whole length, a range from `from` to the end,
// and a body length (`length`, -1 when none was announced) of that range.
bool ContinuesPartial(const ReplyHeaders& headers, const ResumeRecord& previous, std::int64_t from,
                      std::int64_t length);

// The "If-Range" value for `previous`: a strong entity tag, else the date;
// "" when neither can be used.
std::string IfRangeValue(const ResumeRecord& previous);

}  // namespace tunewell::transfer
