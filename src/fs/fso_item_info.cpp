// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/fso_item_info.h"

#include <cctype>
#include <cerrno>
#include <system_error>

#include "platform/file_info.h"
#include "platform/utf8_path.h"

namespace tunewell::fs {
namespace {

namespace stdfs = std::filesystem;
using Date = FsoValue::Date;
using platform::Utf8String;

struct ItemTimes {
    Date created;
    Date accessed;
    Date modified;
};

// Birth time where the file system records it, else the modification time.
ItemTimes ReadTimes(const stdfs::path& item) {
    platform::ItemTimes read;
    if (!platform::ReadItemTimes(Utf8String(item), read)) {
        const std::error_code error(errno, std::generic_category());
        throw stdfs::filesystem_error("cannot read the times of the item", item, error);
    }
    return {Date(std::chrono::duration_cast<Date::duration>(read.created.time_since_epoch())),
            Date(std::chrono::duration_cast<Date::duration>(read.accessed.time_since_epoch())),
            Date(std::chrono::duration_cast<Date::duration>(read.modified.time_since_epoch()))};
}

std::string TypeDescription(const stdfs::path& item) {
    if (stdfs::is_directory(item)) return "文件夹";
    std::string extension = Utf8String(item.extension());
    if (extension.size() <= 1) return "文件";
    extension.erase(0, 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension + " 文件";
}

double ItemSize(const stdfs::path& item) {
    if (!stdfs::is_directory(item)) return static_cast<double>(stdfs::file_size(item));
    double total = 0;
    for (const auto& entry : stdfs::recursive_directory_iterator(item)) {
        if (entry.is_regular_file()) total += static_cast<double>(entry.file_size());
    }
    return total;
}

stdfs::path FullPath(const stdfs::path& item) {
    stdfs::path full = stdfs::absolute(item).lexically_normal();
    if (full.has_relative_path() && !full.has_filename()) full = full.parent_path();
    return full;
}

stdfs::path MountRoot(const stdfs::path& full) { return platform::Utf8Path(platform::MountRootOf(Utf8String(full))); }

FsoValue ParentOf(const stdfs::path& full) {
    if (!full.has_relative_path()) return FsoValue::Nothing();
    return FsoValue::Text(Utf8String(full.parent_path()));
}

FsoValue AllJoined(const stdfs::path& item) {
    std::string joined;
    for (int code = 1; code <= 8; ++code) {
        if (code > 1) joined += '@';
        joined += ItemInfo(item, code).ToText();
    }
    return FsoValue::Text(joined);
}

}  // namespace

FsoValue ItemInfo(const stdfs::path& item, int infoType) {
    switch (infoType) {
        case 0: return AllJoined(item);
        case 1: return FsoValue::FromDate(ReadTimes(item).created);
        case 2: return FsoValue::FromDate(ReadTimes(item).accessed);
        case 3: return FsoValue::FromDate(ReadTimes(item).modified);
        case 4: return FsoValue::Text(Utf8String(FullPath(item)));
        case 5: return FsoValue::Text(Utf8String(FullPath(item).filename()));
        case 6: return FsoValue::Text(TypeDescription(item));
        case 7: return FsoValue::Number(ItemSize(item));
        case 8: return ParentOf(FullPath(item));
        case 9: return FsoValue::Text(Utf8String(MountRoot(FullPath(item))));
        default: return FsoValue::Nothing();
    }
}

}  // namespace tunewell::fs
