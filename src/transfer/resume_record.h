// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace tunewell::transfer {

// What a partial download remembers about its source, so that the next
// transfer of the same song can ask for the rest only when the server still
// has the same file: the address, the target's file name, the server's
// validators and the whole length.
struct ResumeRecord {
    std::string source;
    std::string target;        // the final file's name (no folder)
    std::string etag;          // as sent, quotes included; may be empty
    std::string lastModified;  // as sent; may be empty
    std::int64_t total = -1;   // the whole body's length; -1 when unknown

    // Resuming needs a validator to compare and the whole length.
    bool Usable() const { return (!etag.empty() || !lastModified.empty()) && total > 0; }
};

// The record as a small text file ("key=value" lines after a first line
// naming the format); values are kept on one line.
std::string FormatResumeRecord(const ResumeRecord& record);
// Nothing for anything that is not a well-formed record (garbage, a
// truncated file, another format, an unusable record).
std::optional<ResumeRecord> ParseResumeRecord(const std::string& text);

// Reads and parses the record file (refusing links and anything large).
std::optional<ResumeRecord> ReadResumeRecord(const std::string& path);
// Whether the file is a record this program wrote, usable for resuming or
// not (a partial of a reply without validators has one too, so that the
// partial is known as the program's own after a crash).
bool IsResumeRecordFile(const std::string& path);
// Replaces the record file in one rename. False on failure.
bool WriteResumeRecord(const std::string& path, const ResumeRecord& record);

}  // namespace tunewell::transfer
