// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_text.h"

#include <cstdio>

namespace tunewell::cli {
namespace {

constexpr long long kKiB = 1024;
constexpr long long kMiB = kKiB * 1024;
constexpr long long kGiB = kMiB * 1024;

std::string Format(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string HumanSize(long long bytes) {
    if (bytes < 0) bytes = 0;
    if (bytes < kKiB) return std::to_string(bytes) + " B";
    if (bytes < kMiB) return std::to_string(bytes / kKiB) + " KB";
    if (bytes < kGiB) return Format("%.1f MB", static_cast<double>(bytes) / kMiB);
    return Format("%.1f GB", static_cast<double>(bytes) / kGiB);
}

std::string HumanSpeed(long long kbPerSecond) {
    if (kbPerSecond < 0) kbPerSecond = 0;
    if (kbPerSecond < kKiB) return std::to_string(kbPerSecond) + " KB/s";
    return Format("%.1f MB/s", static_cast<double>(kbPerSecond) / kKiB);
}

std::string Duration(long long seconds) {
    if (seconds < 0) seconds = 0;
    char text[32];
    if (seconds < 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    return text;
}

std::string SongProgressText(long long bytes, long long total, long long speedKb) {
    if (total <= 0) return HumanSize(bytes) + " " + HumanSpeed(speedKb);
    if (bytes > total) bytes = total;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3lld%%", bytes * 100 / total);
    // To the nearest second.
    const std::string left =
        speedKb > 0 ? Duration((total - bytes + speedKb * kKiB / 2) / (speedKb * kKiB)) : std::string("--:--");
    return std::string(percent) + " " + HumanSize(bytes) + "/" + HumanSize(total) + " " + HumanSpeed(speedKb) +
           " 剩余 " + left;
}

}  // namespace tunewell::cli
