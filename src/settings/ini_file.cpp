// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ini_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "platform/file_replace.h"
#include "settings/ini_document.h"
#include "text/charset.h"

namespace tunewell::settings {
namespace {

// A settings file is a few hundred bytes; anything beyond this is not one,
// and is neither loaded into memory nor rewritten. A write that would take
// the file past it is refused, or the next start would lose every key.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class ReadStatus { Ok, Missing, Failed };

using platform::PathStatus;
using Kind = platform::PathStatus::Kind;

// Fd owns a file descriptor and closes it on every path.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) platform::CloseFile(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool IsSettingsFile(const PathStatus& info) {
    return info.kind == Kind::kFile && static_cast<std::size_t>(info.size) <= kMaxFileBytes;
}

// Reads an ordinary file of at most kMaxFileBytes. Anything else (a pipe, a
// device, a folder, a larger file) is Failed without being opened for
// reading, so that it can neither block the program nor be replaced.
// `info` receives the file's status when it exists.
ReadStatus ReadWholeFile(const std::string& path, std::string& out, PathStatus& info) {
    out.clear();
    info = platform::StatusOf(path, true);
    if (info.kind == Kind::kMissing) return ReadStatus::Missing;
    if (!IsSettingsFile(info)) return ReadStatus::Failed;
    // Non-blocking in case the name was swapped for a pipe meanwhile.
    Fd fd(platform::OpenForReading(path, true));
    if (fd.get() < 0) {
        return platform::StatusOf(path, true).kind == Kind::kMissing ? ReadStatus::Missing : ReadStatus::Failed;
    }
    info = platform::StatusOfOpen(fd.get());
    if (!IsSettingsFile(info)) return ReadStatus::Failed;
    char buffer[8192];
    for (;;) {
        const long long got = platform::ReadSome(fd.get(), buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) return ReadStatus::Failed;
        out.append(buffer, static_cast<std::size_t>(got));
        if (out.size() > kMaxFileBytes) return ReadStatus::Failed;
    }
    return ReadStatus::Ok;
}

// The file a write must change: the path itself, or for a symbolic link
// the file it points to, so that the link survives. No value for a link
// that leads nowhere.
std::optional<std::string> WriteTarget(const std::string& file) {
    if (platform::StatusOf(file, false).kind != Kind::kLink) return file;
    return platform::ResolvedPath(file);
}

// Every writer of `file` holds this lock from reading to replacing. It
// lies beside the name the program was given, even when that is a link:
// the folder the link leads to is the user's, not the program's.
std::string LockPathFor(const std::string& file) {
    const std::string name = file.substr(platform::NameStart(file));
    return platform::FolderOf(file) + platform::PathSeparator() + "." + name + ".lock";
}

// The file holds the site password in clear text: the copy being written
// is readable by its owner only from its first byte, and so is the result.
// A file a link leads to keeps the mode its owner gave it.
bool ReplaceFile(const std::string& path, std::string_view contents, bool throughLink) {
    platform::ReplaceTemp::Options options{.createMode = 0600, .durable = true};
    if (!throughLink) options.fixedMode = 0600;
    return platform::ReplaceFileContents(path, contents, options);
}

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The longest start of `gbk` that fits in `limit` bytes without splitting a
// double-byte character.
std::string CutGbk(std::string_view gbk, std::size_t limit) {
    std::size_t end = 0;
    while (end < gbk.size()) {
        const bool pair = IsLeadByte(static_cast<unsigned char>(gbk[end])) && end + 1 < gbk.size();
        const std::size_t width = pair ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return std::string(gbk.substr(0, end));
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// The bytes a character takes in GBK; 2 for one that GBK lacks (it would
// stand there as a double-byte character of the system's code page at best).
std::size_t GbkWidth(std::string_view character) {
    if (character.size() == 1) return 1;
    const auto gbk = text::ToGbkExact(character);
    return gbk ? gbk->size() : 2;
}

// UTF-8 text cut, at a character, so that its GBK form fits in `limit`
// bytes. Characters outside GBK are kept as they are, never replaced.
std::string CutUtf8(const std::string& text, std::size_t limit) {
    const std::string clean = text::BytesToBstr(text, "utf-8");
    std::size_t end = 0;
    std::size_t width = 0;
    while (end < clean.size()) {
        const std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(clean[end])), clean.size() - end);
        width += GbkWidth(std::string_view(clean).substr(end, length));
        if (width > limit) break;
        end += length;
    }
    return clean.substr(0, end);
}

// Text as it is stored in the document: GBK, or UTF-8 in a file that was
// saved as UTF-8. No value when the text cannot be stored exactly (a
// character GBK lacks, bytes that are not UTF-8).
std::optional<std::string> ToFileBytes(const std::string& text, bool utf8) {
    if (!utf8) return text::ToGbkExact(text);
    if (text::BytesToBstr(text, "utf-8") != text) return std::nullopt;
    return text;
}

// The document re-encoded as UTF-8 with a byte-order mark, for a value GBK
// cannot hold: the whole file changes encoding, since a reader takes one
// for all of it. No value when a byte of the file is not GBK, as that byte
// could not be carried over unchanged.
std::optional<IniDocument> AsUtf8(const IniDocument& document) {
    const std::string gbk = document.Bytes();
    const std::string utf8 = text::FromGbk(gbk);
    if (text::ToGbk(utf8) != gbk) return std::nullopt;
    return IniDocument(std::string(kUtf8Bom) + utf8);
}

std::string BeforeNul(std::string text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

}  // namespace

std::string ReadIni(const std::string& section, const std::string& key,
                    const std::string& defaultValue, long length, const std::string& file) {
    const std::size_t limit = length > 0 ? static_cast<std::size_t>(length) : 0;
    std::string bytes;
    PathStatus info;
    if (ReadWholeFile(file, bytes, info) != ReadStatus::Ok) return CutUtf8(defaultValue, limit);
    const IniDocument document(bytes);
    const bool utf8 = document.IsUtf8();
    const auto sectionBytes = ToFileBytes(section, utf8);
    const auto keyBytes = ToFileBytes(key, utf8);
    if (!sectionBytes || !keyBytes) return CutUtf8(defaultValue, limit);
    const auto stored = document.Find(*sectionBytes, *keyBytes);
    if (!stored) return CutUtf8(defaultValue, limit);
    const std::string value = BeforeNul(*stored);
    if (utf8) return CutUtf8(value, limit);
    return text::FromGbk(CutGbk(value, limit));
}

int WriteIni(const std::string& section, const std::string& key, const std::string& value,
             const std::string& file) {
    // No place for the file (an installed copy without a home folder): the
    // lock must not land in the current folder.
    if (file.empty()) return 0;
    const std::optional<std::string> target = WriteTarget(file);
    if (!target) return 0;
    // Not even a lock file goes beside something that is not a settings file
    // (a link to a device).
    const Kind kind = platform::StatusOf(*target, true).kind;
    if (kind != Kind::kMissing && kind != Kind::kUnreadable && kind != Kind::kFile) return 0;
    // Another writer (a second window, tunewell-cli) must not read the old
    // contents while this one replaces them, or one of the keys is lost.
    const platform::FileLock lock(LockPathFor(file));
    if (!lock.Held()) return 0;
    std::string bytes;
    // A file that exists but cannot be read must not be replaced by one that
    // holds only this key; nor may a file its owner made read-only (the mode
    // bits are checked because they do not bind every user).
    PathStatus info;
    const ReadStatus status = ReadWholeFile(*target, bytes, info);
    if (status == ReadStatus::Failed) return 0;
    if (status == ReadStatus::Ok && !info.ownerWritable) return 0;
    IniDocument document(bytes);
    // Every value GBK holds stays GBK (other readers of the file expect it);
    // one it cannot hold turns the whole file into UTF-8 rather than being
    // stored as "?".
    if (!document.IsUtf8() &&
        !(ToFileBytes(section, false) && ToFileBytes(key, false) && ToFileBytes(value, false))) {
        auto converted = AsUtf8(document);
        if (!converted) return 0;
        document = std::move(*converted);
    }
    const bool utf8 = document.IsUtf8();
    const auto sectionBytes = ToFileBytes(section, utf8);
    const auto keyBytes = ToFileBytes(key, utf8);
    const auto valueBytes = ToFileBytes(value, utf8);
    if (!sectionBytes || !keyBytes || !valueBytes) return 0;
    if (!document.Set(*sectionBytes, *keyBytes, *valueBytes)) return 0;
    const std::string contents = document.Bytes();
    if (contents.size() > kMaxFileBytes) return 0;
    // Copies a killed writer left hold the password too; while the lock is
    // held no other writer of this Config.ini has one open.
    platform::RemoveLeftoverTemps(*target);
    const bool throughLink = *target != file;  // WriteTarget resolved a link
    return ReplaceFile(*target, contents, throughLink) ? 1 : 0;
}

}  // namespace tunewell::settings
