// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>

namespace tunewell::testing {

// The most heap a stretch of a test held beyond what was held at its start.
// Every operator new and delete of the test program is counted (see
// heap_peak.cpp); other threads' allocations count too, so a stretch to be
// measured runs while no demo site is serving.
class HeapPeak {
public:
    HeapPeak();
    // Bytes, at most, held beyond the start since the start.
    std::size_t Added() const;

private:
    long long start_;
};

}  // namespace tunewell::testing
