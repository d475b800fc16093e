// SPDX-License-Identifier: GPL-3.0-or-later
#include "ports/memory_song_list.h"

#include <algorithm>

namespace tunewell::ports {

void MemorySongList::Prepare() {
    rows_.clear();
    ++prepareCount_;
}

void MemorySongList::AddRow(int position, double id, const std::string& idText,
                            const std::string& name) {
    const auto index = std::clamp<std::size_t>(position < 1 ? 0 : position - 1, 0, rows_.size());
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), Row{id, idText, name, false, {}});
}

const MemorySongList::Row* MemorySongList::At(int position) const {
    if (position < 1 || position > RowCount()) return nullptr;
    return &rows_[static_cast<std::size_t>(position - 1)];
}

bool MemorySongList::IsChecked(int position) const {
    const Row* row = At(position);
    return row != nullptr && row->checked;
}

void MemorySongList::SetChecked(int position, bool checked) {
    if (At(position) != nullptr) rows_[static_cast<std::size_t>(position - 1)].checked = checked;
}

double MemorySongList::Tag(int position) const {
    const Row* row = At(position);
    return row != nullptr ? row->id : 0;
}

std::string MemorySongList::Name(int position) const {
    const Row* row = At(position);
    return row != nullptr ? row->name : std::string();
}

void MemorySongList::RemoveByTag(double tag) {
    std::erase_if(rows_, [tag](const Row& row) { return row.id == tag; });
}

void MemorySongList::MarkFailed(double tag, const std::string& reason) {
    for (Row& row : rows_) {
        if (row.id != tag) continue;
        row.failure = reason;
        if (!reason.empty()) row.handedOff = false;
    }
}

void MemorySongList::MarkHandedOff(double tag) {
    for (Row& row : rows_) {
        if (row.id != tag) continue;
        row.failure.clear();
        row.handedOff = true;
    }
}

void MemorySongList::MarkSaved(double tag) {
    for (Row& row : rows_) {
        if (row.id == tag) row.saved = true;
    }
}

bool MemorySongList::IsSaved(int position) const {
    const Row* row = At(position);
    return row != nullptr && row->saved;
}

bool MemorySongList::IsHandedOff(int position) const {
    const Row* row = At(position);
    return row != nullptr && row->handedOff;
}

std::string MemorySongList::FailureOf(int position) const {
    const Row* row = At(position);
    return row != nullptr ? row->failure : std::string();
}

}  // namespace tunewell::ports
