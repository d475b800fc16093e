// SPDX-License-Identifier: GPL-3.0-or-later
#include "heap_peak.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

// Each block carries its size in front, so that delete can count it off.
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const long long live = g_live += static_cast<long long>(size);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {}
    return static_cast<char*>(block) + kHeader;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    g_live -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace tunewell::testing {

HeapPeak::HeapPeak() : start_(g_live.load()) { g_peak = start_; }

std::size_t HeapPeak::Added() const {
    const long long added = g_peak.load() - start_;
    return added > 0 ? static_cast<std::size_t>(added) : 0;
}

}  // namespace tunewell::testing
