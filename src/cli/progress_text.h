// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::cli {

// Pure texts of the command line's progress line, in the units curl and
// wget users read (1 KB = 1024 bytes).

// "512 B", "200 KB", "3.2 MB", "1.5 GB".
std::string HumanSize(long long bytes);

// "941 KB/s", "2.4 MB/s"; a negative speed shows as 0.
std::string HumanSpeed(long long kbPerSecond);

// "0:07", "12:34", "1:02:03".
std::string Duration(long long seconds);

// One song's line: " 33% 3.2 MB/9.8 MB 941 KB/s 剩余 0:07". Without a
// known total only the bytes and the speed; without a speed the time left
// is "--:--".
std::string SongProgressText(long long bytes, long long total, long long speedKb);

}  // namespace tunewell::cli
