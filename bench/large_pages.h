// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The demo site's largest list pages, on which the list step of
// tunewell-cli and of the window must stay under 512 MB.

namespace tunewell::bench {

struct LargePage {
    const char* path;  // on the music host
    int getPage;       // GetPage of Config.ini
};

// Indexed by the benchmarks' argument.
inline constexpr LargePage kLargePages[] = {
    {"/hostile/separators?count=20000000", 1},         // one entry, 20 M ","
    {"/hostile/spaced-separators?count=15000000", 1},  // one entry, 15 M ", "
    {"/hostile/bigpages/30mb/", 20},                   // 20 pages of 30 MiB
    {"/hostile/repeated?size=62914560", 1},            // 60 MiB of bare entries
    {"/hostile/widepages/60mb/", 20},                  // 60 MiB that decode to 180 MiB of text
    {"/hostile/widepages/21mb/", 20},                  // 20 pages of 21 MiB, 63 MiB of text each
};
inline constexpr int kLargePageCount = sizeof kLargePages / sizeof kLargePages[0];

}  // namespace tunewell::bench
