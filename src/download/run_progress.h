// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "transfer/transfer_batch.h"

namespace tunewell::download {

// The combined percent of a run whose songs are transferred side by side:
// every song of the run weighs the same; a song that ended (saved, failed,
// handed off or never started) counts whole, a running one by the share of
// its length that has arrived (nothing while its length is unknown).
// Never goes back while songs only end and make progress.
class RunProgress {
public:
    // `songs`: the songs of the run (play entries); at least 1 is assumed.
    explicit RunProgress(std::size_t songs) : songs_(songs > 0 ? songs : 1) {}

    // The latest report of the running songs.
    void Update(const std::vector<transfer::TransferBatch::Progress>& running);
    // Song `id` is done with, whatever its outcome (also one that never ran).
    void Ended(int id);

    // 0..100, rounded down.
    int Percent() const;

private:
    std::size_t songs_;
    std::size_t ended_ = 0;
    std::map<int, double> running_;  // id -> share arrived, 0..1
};

}  // namespace tunewell::download
