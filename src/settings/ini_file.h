// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::settings {

// Private-profile (INI) access on a GBK-encoded file, or a UTF-8 one (one
// that starts with a byte-order mark, or is entirely valid UTF-8 and holds
// non-ASCII bytes; settings/ini_document.h). Section and key names match regardless of
// ASCII case; blanks around a value are dropped and a value in matching
// quotation marks loses them. Texts in and out are UTF-8.

// Only ordinary files of at most 1 MiB are read; anything else (a pipe, a
// device, a larger file) reads as missing and is never written.

// The key's value, or `defaultValue` when the file, section or key is
// missing; cut to at most `length` GBK bytes without splitting a character.
std::string ReadIni(const std::string& section, const std::string& key,
                    const std::string& defaultValue, long length, const std::string& file);

// Stores the key: rewritten in place when present, else appended at the end
// of its section (the section is appended when missing, the file created
// with owner-only permissions since it holds a password in clear text).
// Other lines are kept as they are. A UTF-8 file stays UTF-8, with its
// byte-order mark or without one. A GBK file stays GBK while every text
// has GBK bytes; a text GBK lacks turns the whole file into UTF-8 with a
// byte-order mark, so that nothing is stored other than as given. A write
// that would make the file larger than 1 MiB fails. The temporary copies a
// killed writer left beside the file are removed. Writers in every process are serialised
// by a lock file beside the file (".Config.ini.lock"). A symbolic link is
// kept, and so is its lock beside it: the file it points to is replaced
// and keeps its permission bits. The copy being written is readable by its
// owner only. A file without write permission for its owner is left
// alone. Nonzero on success, 0 on failure.
int WriteIni(const std::string& section, const std::string& key, const std::string& value,
             const std::string& file);

}  // namespace tunewell::settings
