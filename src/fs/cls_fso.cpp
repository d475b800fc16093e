// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/cls_fso.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <system_error>
#include <vector>

#include "base/text.h"
#include "fs/fso_item_info.h"
#include "platform/automation_object.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "platform/utf8_path.h"

namespace tunewell::fs {
namespace {

namespace stdfs = std::filesystem;

std::string Lower(const std::string& text) { return base::LowerAscii(text); }

// Names are UTF-8 text; std::filesystem must not read them in the narrow
// system encoding (Windows' ANSI code page).
stdfs::path P(const std::string& utf8) { return platform::Utf8Path(utf8); }
std::string Text(const stdfs::path& path) { return platform::Utf8String(path); }

std::locale UserLocale() {
    try {
        return std::locale("");
    } catch (const std::exception&) {
        return std::locale::classic();
    }
}

// The path without trailing separators (a root stays as it is), so that a
// trailing "/" never makes a symbolic link count as the folder it names.
stdfs::path Trimmed(std::string text) {
    while (text.size() > 1 && platform::IsPathSeparator(text.back())) text.pop_back();
    return P(text);
}

bool Exists(const stdfs::path& path) {
    std::error_code error;
    return stdfs::exists(stdfs::symlink_status(path, error));
}

bool IsFile(const stdfs::path& path) {
    std::error_code error;
    const auto status = stdfs::status(path, error);
    return !error && stdfs::exists(status) && !stdfs::is_directory(status);
}

bool IsFolder(const stdfs::path& path) {
    std::error_code error;
    return stdfs::is_directory(path, error);
}

[[noreturn]] void ThrowErrno(const char* what, const stdfs::path& path) {
    throw stdfs::filesystem_error(what, path, std::error_code(errno, std::generic_category()));
}

// rename(), falling back to copy and delete when the target lies on
// another file system.
void MoveItem(const stdfs::path& from, const stdfs::path& to) {
    std::error_code error;
    stdfs::rename(from, to, error);
    if (!error) return;
    if (error != std::errc::cross_device_link) throw stdfs::filesystem_error("move", from, to, error);
    stdfs::copy(from, to, stdfs::copy_options::recursive | stdfs::copy_options::copy_symlinks);
    stdfs::remove_all(from);
}

#ifdef _WIN32
// The C++ library's copy with overwrite_existing refuses existing files on
// Windows ("file exists"): each file replaces its counterpart in one step.
void CopyTreeOver(const stdfs::path& source, const stdfs::path& target) {
    stdfs::create_directories(target);
    for (const auto& entry : stdfs::recursive_directory_iterator(source)) {
        const stdfs::path to = target / entry.path().lexically_relative(source);
        if (entry.is_directory()) {
            stdfs::create_directories(to);
        } else if (!platform::ReplaceFileFrom(Text(to), Text(entry.path()), {})) {
            throw stdfs::filesystem_error("cannot copy", entry.path(), to,
                                          std::make_error_code(std::errc::io_error));
        }
    }
}
#endif

bool IsInside(const stdfs::path& inner, const stdfs::path& outer) {
    const auto innerFull = stdfs::weakly_canonical(inner);
    const auto outerFull = stdfs::weakly_canonical(outer);
    auto mismatch = std::mismatch(outerFull.begin(), outerFull.end(), innerFull.begin(),
                                  innerFull.end());
    return mismatch.first == outerFull.end();
}

FsoValue ListEntries(const stdfs::path& folder, bool folders) {
    std::vector<std::string> names;
    for (const auto& entry : stdfs::directory_iterator(folder)) {
        std::error_code error;
        if (entry.is_directory(error) == folders) names.push_back(Text(entry.path().filename()));
    }
    std::string answer = std::to_string(names.size());
    for (const auto& name : names) answer += "@" + name;
    return FsoValue::Text(answer);
}

std::vector<std::string> SplitParts(const std::string& text) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        auto slash = start;
        while (slash < text.size() && !platform::IsPathSeparator(text[slash])) ++slash;
        if (slash == text.size()) slash = std::string::npos;
        parts.push_back(text.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

}  // namespace

ClsFso::ClsFso(std::function<bool()> agentAnswers)
    : agentAnswers_(std::move(agentAnswers)), locale_(UserLocale()) {}

bool ClsFso::IsObjInstalled(const std::string& ClassStr) const {
    const std::string id = Lower(ClassStr);
    if (id == "scripting.filesystemobject") return true;
#ifdef _WIN32
    if (id == "thunderagent.agent") return platform::AutomationObject::Create(ClassStr) != nullptr;
#else
    if (id == "thunderagent.agent") return agentAnswers_ && agentAnswers_();
#endif
    return false;
}

std::string ClsFso::GetPath(const std::string& path) const {
    // "\\" is an ordinary character in a file name here, not a separator:
    // turning it into "/" would write somewhere else than the name says.
    return path;
}

bool ClsFso::CheckFile(const std::string& FileDir) const { return IsFile(P(GetPath(FileDir))); }

FsoValue ClsFso::GetFileInfo(const std::string& FileDir, int InfoType) const {
    if (!CheckFile(FileDir)) return FsoValue::Boolean(false);
    return ItemInfo(P(GetPath(FileDir)), InfoType);
}

FsoValue ClsFso::GetFileExt(const std::string& FileDir) const {
    if (FileDir.empty()) return FsoValue::Boolean(false);
    const auto dot = FileDir.rfind('.');
    if (dot == std::string::npos) return FsoValue::Text(Lower(FileDir));
    return FsoValue::Text(Lower(FileDir.substr(dot + 1)));
}

FsoValue ClsFso::ReadFile(const std::string& FileDir) const {
    if (!CheckFile(FileDir)) return FsoValue::Boolean(false);
    const stdfs::path path = P(GetPath(FileDir));
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowErrno("cannot open the file for reading", path);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) ThrowErrno("cannot read the file", path);
    return FsoValue::Text(text.str());
}

bool ClsFso::CreateFile(const std::string& FileDir, const std::string& FileContent,
                        bool IsMake) const {
    try {
        if (CheckFile(FileDir) && !IsMake) return false;
        // A new file replaces the old name in one rename: a link of that
        // name is replaced, never written through, and a failure leaves the
        // old file whole.
        return platform::ReplaceFileContents(GetPath(FileDir), FileContent, {});
    } catch (...) {
        return false;
    }
}

bool ClsFso::WriteFile(const std::string& FileDir, const std::string& FileContent,
                       int WriteType) const {
    if (!CheckFile(FileDir)) return false;
    if (WriteType != 2 && WriteType != 8) return false;
    const stdfs::path path = P(GetPath(FileDir));
    const auto mode = std::ios::binary | (WriteType == 8 ? std::ios::app : std::ios::trunc);
    std::ofstream out(path, mode);
    if (!out) ThrowErrno("cannot open the file for writing", path);
    out.write(FileContent.data(), static_cast<std::streamsize>(FileContent.size()));
    out.close();
    if (out.fail()) ThrowErrno("cannot write the file", path);
    return true;
}

bool ClsFso::MoveFile(const std::string& FileDir, const std::string& NewFileDir) const {
    const stdfs::path target = P(GetPath(NewFileDir));
    if (!CheckFile(FileDir) || NewFileDir.empty() || Exists(Trimmed(GetPath(NewFileDir)))) return false;
    MoveItem(P(GetPath(FileDir)), target);
    return true;
}

bool ClsFso::CopyFile(const std::string& FileDir, const std::string& NewFileDir) const {
    if (!CheckFile(FileDir)) return false;
#ifdef _WIN32
    // MinGW's copy_file refuses to overwrite ("file exists"): the copy
    // replaces the target in one step instead.
    const std::string source = Text(stdfs::canonical(P(GetPath(FileDir))));
    if (!platform::ReplaceFileFrom(GetPath(NewFileDir), source, {}))
        throw stdfs::filesystem_error("cannot copy the file", P(source), P(GetPath(NewFileDir)),
                                      std::make_error_code(std::errc::io_error));
#else
    stdfs::copy_file(P(GetPath(FileDir)), P(GetPath(NewFileDir)), stdfs::copy_options::overwrite_existing);
#endif
    return true;
}

bool ClsFso::DelFile(const std::string& FileDir) const {
    const std::string lower = Lower(FileDir);
    if (FileDir.empty() || lower.find("http://") != std::string::npos ||
        lower.find("editor") != std::string::npos) {
        return false;
    }
    if (!CheckFile(FileDir)) return false;
    stdfs::remove(P(GetPath(FileDir)));
    return true;
}

bool ClsFso::CheckFolder(const std::string& FolderDir) const {
    return IsFolder(P(GetPath(FolderDir)));
}

FsoValue ClsFso::GetFolderInfo(const std::string& FolderDir, int InfoType) const {
    if (!CheckFolder(FolderDir)) return FsoValue::Boolean(false);
    return ItemInfo(Trimmed(GetPath(FolderDir)), InfoType);
}

FsoValue ClsFso::CreateFolder(const std::string& FolderDir) const {
    const std::string path = GetPath(FolderDir);
    if (std::none_of(path.begin(), path.end(), platform::IsPathSeparator)) {
        if (path.empty() || CheckFolder(path)) return FsoValue::Boolean(false);
        stdfs::create_directory(P(path));
        return FsoValue::Boolean(true);
    }
    const std::vector<std::string> parts = SplitParts(path);
    // One leading ".." part is honoured; ".." elsewhere and empty parts are
    // skipped.
    std::string prefix = parts.front() == ".." ? "../" : "";
    if (parts.front().empty()) prefix += "/";
    FsoValue answer;
    for (const auto& part : parts) {
        if (part.empty() || part == "..") continue;
        prefix += part + "/";
        const bool existed = CheckFolder(prefix);
        if (!existed) stdfs::create_directory(P(prefix));
        answer = FsoValue::Boolean(!existed);
    }
    return answer;
}

bool ClsFso::MoveFolder(const std::string& FolderDir, const std::string& NewFolderDir) const {
    const stdfs::path target = Trimmed(GetPath(NewFolderDir));
    if (!CheckFolder(FolderDir) || NewFolderDir.empty() || Exists(target)) return false;
    MoveItem(Trimmed(GetPath(FolderDir)), target);
    return true;
}

bool ClsFso::CopyFolder(const std::string& FolderDir, const std::string& NewFolderDir) const {
    if (!CheckFolder(FolderDir) || NewFolderDir.empty()) return false;
    const stdfs::path source = stdfs::canonical(P(GetPath(FolderDir)));
    const stdfs::path target = Trimmed(GetPath(NewFolderDir));
    if (IsInside(target, source)) return false;
#ifdef _WIN32
    CopyTreeOver(source, target);
#else
    stdfs::copy(source, target,
                stdfs::copy_options::recursive | stdfs::copy_options::overwrite_existing |
                    stdfs::copy_options::copy_symlinks);
#endif
    return true;
}

bool ClsFso::DelFolder(const std::string& FolderDir) const {
    const stdfs::path folder = Trimmed(GetPath(FolderDir));
    const stdfs::path name = folder.filename();
    if (folder.empty() || !folder.has_relative_path() || name == "." || name == "..") return false;
    if (!CheckFolder(Text(folder))) return false;
    stdfs::remove_all(folder);
    return true;
}

FsoValue ClsFso::GetFolderList(const std::string& FolderDir) const {
    if (!CheckFolder(FolderDir)) return FsoValue::Boolean(false);
    return ListEntries(P(GetPath(FolderDir)), true);
}

FsoValue ClsFso::GetFileList(const std::string& FolderDir) const {
    if (!CheckFolder(FolderDir)) return FsoValue::Boolean(false);
    return ListEntries(P(GetPath(FolderDir)), false);
}

std::string ClsFso::FormatSize(double SizeNum) const {
    static const char* const kUnits[] = {"&nbsp;KB", "&nbsp;MB", "&nbsp;GB"};
    std::string answer = FsoValue::Number(SizeNum).ToText() + "&nbsp;Byte";
    for (const char* unit : kUnits) {
        if (!(SizeNum > 1024)) break;
        SizeNum /= 1024;
        std::ostringstream out;
        out.imbue(locale_);
        out << std::fixed << std::setprecision(2) << SizeNum;
        answer = out.str() + unit;
    }
    return answer;
}

}  // namespace tunewell::fs
