#pragma once
#include <string>

namespace tunewell::settings {

// Private-profile (INI) access on a GBK-encoded file. Section and key names
// match regardless of ASCII case; blanks around a value are dropped and a
// value in matching quotation marks loses them. Texts in and out are UTF-8.

// Only ordinary files of at most 16 MiB are read; anything else (a pipe, a
// device, a larger file) reads as missing and is never written.

// The key's value, or `defaultValue` when the file, section or key is
// missing; cut to at most `length` GBK bytes without splitting a character.
std::string ReadIni(const std::string& section, const std::string& key,
                    const std::string& defaultValue, long length, const std::string& file);

// Stores the key: rewritten in place when present, else appended at the end
// of its section (the section is appended when missing, the file created
// with owner-only permissions since it holds a password in clear text).
// Other lines are kept as they are. Writers in every process are serialised
// by a lock file beside the file (".Config.ini.lock"). A symbolic link is
// kept: the file it points to is replaced. A file without write permission
// for its owner is left alone. Nonzero on success, 0 on failure.
int WriteIni(const std::string& section, const std::string& key, const std::string& value,
             const std::string& file);

}  // namespace tunewell::settings
