// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::transfer {

// The progress caption every window shows during a transfer starts with
// "已下载", the whole percentage and "%"; callers append what they show
// besides (a blank, the speed).

// floor(bytes * 100 / total); 0 when the total is unknown.
inline long long ProgressPercent(long long bytes, long long total) {
    return total > 0 && bytes > 0 ? bytes * 100 / total : 0;
}

// A bar cannot go past its end, even when a server sends more than it
// announced; the caption still tells the truth.
inline int BarValue(long long percent) {
    return static_cast<int>(percent > 100 ? 100 : percent < 0 ? 0 : percent);
}

// "已下载N%".
inline std::string ProgressText(long long percent) {
    return "已下载" + std::to_string(percent) + "%";
}

}  // namespace tunewell::transfer
