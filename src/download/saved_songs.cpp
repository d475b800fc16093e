// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/saved_songs.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "text/number.h"

namespace tunewell::download {
namespace {

constexpr std::string_view kLineMark = "S1";
// Another run appending holds the lock for one short write: trying again
// at once a few hundred times outlasts it without waiting on a clock.
constexpr int kLockTries = 500;

std::uint32_t CheckValue(std::string_view text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

// Tabs and line ends would cut a line: a path may hold anything but NUL.
std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<std::int64_t> Whole(std::string_view text, int base = 10) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value < 0) return std::nullopt;
    return value;
}

std::optional<SavedSongs::Entry> ParseLine(std::string_view line) {
    const std::size_t lastTab = line.rfind('\t');
    if (lastTab == std::string_view::npos) return std::nullopt;
    const std::optional<std::int64_t> check = Whole(line.substr(lastTab + 1), 16);
    const std::string_view body = line.substr(0, lastTab);
    if (!check || line.size() - lastTab - 1 != 8 || *check != CheckValue(body)) return std::nullopt;
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = body.find('\t', start);
        fields.push_back(body.substr(start, tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (fields.size() != 5 || fields[0] != kLineMark) return std::nullopt;
    std::optional<std::string> id = Unescaped(fields[1]);
    std::optional<std::string> path = Unescaped(fields[4]);
    const std::optional<std::int64_t> size = Whole(fields[2]);
    const std::optional<std::int64_t> time = Whole(fields[3]);
    if (!id || id->empty() || !path || path->empty() || !size || !time) return std::nullopt;
    return SavedSongs::Entry{std::move(*id), std::move(*path), *size, *time};
}

// The last kMaxReadBytes of the file; empty when it cannot be read.
std::string ReadTail(const std::string& path) {
    const int fd = platform::OpenForReading(path, true);
    if (fd < 0) return {};
    std::string text;
    const platform::PathStatus status = platform::StatusOfOpen(fd);
    if (status.kind == platform::PathStatus::Kind::kFile) {
        const std::int64_t start = status.size > SavedSongs::kMaxReadBytes ? status.size - SavedSongs::kMaxReadBytes : 0;
        if (platform::SeekFile(fd, start)) {
            char buffer[64 * 1024];
            for (;;) {
                const std::size_t room = static_cast<std::size_t>(SavedSongs::kMaxReadBytes) - text.size();
                if (room == 0) break;
                const long long got = platform::ReadSome(fd, buffer, room < sizeof buffer ? room : sizeof buffer);
                if (got <= 0) break;
                text.append(buffer, static_cast<std::size_t>(got));
            }
        }
        // Reading from the middle of the file: its first line is a piece.
        if (start > 0) {
            const std::size_t newline = text.find('\n');
            text.erase(0, newline == std::string::npos ? text.size() : newline + 1);
        }
    }
    platform::CloseFile(fd);
    return text;
}

// The file ends in a torn line when its last byte is no newline.
bool EndsTorn(int fd) {
    const std::int64_t size = platform::StatusOfOpen(fd).size;
    if (size <= 0 || !platform::SeekFile(fd, size - 1)) return false;
    char last = '\n';
    return platform::ReadSome(fd, &last, 1) == 1 && last != '\n';
}

}  // namespace

std::string SavedLine(const SavedSongs::Entry& entry) {
    std::string body = std::string(kLineMark) + '\t' + Escaped(entry.id) + '\t' + std::to_string(entry.size) + '\t' +
                       std::to_string(entry.time) + '\t' + Escaped(entry.path);
    char check[16];
    std::snprintf(check, sizeof check, "%08x", static_cast<unsigned>(CheckValue(body)));
    return body + '\t' + check + '\n';
}

std::vector<SavedSongs::Entry> ParseSavedLines(const std::string& text) {
    std::vector<SavedSongs::Entry> entries;
    const std::string_view all(text);
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t newline = all.find('\n', start);
        if (newline == std::string_view::npos) break;  // torn
        std::string_view line = all.substr(start, newline - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // an editor's line ends
        if (std::optional<SavedSongs::Entry> entry = ParseLine(line)) entries.push_back(std::move(*entry));
        start = newline + 1;
    }
    return entries;
}

SavedSongs::SavedSongs(std::string path) : path_(std::move(path)) {}

void SavedSongs::Load() {
    byId_.clear();
    if (path_.empty()) return;
    for (Entry& entry : ParseSavedLines(ReadTail(path_))) byId_[entry.id] = std::move(entry);
}

bool SavedSongs::Add(const Entry& entry) {
    if (path_.empty() || entry.id.empty() || entry.path.empty()) return false;
    int fd = -1;
    for (int attempt = 0; attempt < kLockTries && fd < 0; ++attempt) fd = platform::OpenLockedFile(path_);
    if (fd < 0) return false;
    // A line torn by a crash ends here, so that the new one stands alone.
    const std::string line = (EndsTorn(fd) ? "\n" : "") + SavedLine(entry);
    const bool written = platform::SeekFile(fd, platform::StatusOfOpen(fd).size) && platform::WriteAllTo(fd, line);
    const bool closed = platform::CloseFile(fd);
    if (written && closed) byId_[entry.id] = entry;
    return written && closed;
}

std::optional<SavedSongs::Entry> SavedSongs::StillSaved(const std::string& id) const {
    const auto found = byId_.find(id);
    if (found == byId_.end()) return std::nullopt;
    const platform::PathStatus status = platform::StatusOf(found->second.path, true);
    if (status.kind != platform::PathStatus::Kind::kFile || status.size != found->second.size) return std::nullopt;
    return found->second;
}

void MarkSavedRows(ports::SongList& songs, const SavedSongs& saved) {
    if (saved.Count() == 0) return;
    for (int row = 1; row <= songs.RowCount(); ++row) {
        const double tag = songs.Tag(row);
        if (saved.StillSaved(text::Number{text::Number::Kind::Double, tag}.ToText())) songs.MarkSaved(tag);
    }
}

}  // namespace tunewell::download
