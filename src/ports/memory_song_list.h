// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

#include "ports/song_list.h"

namespace tunewell::ports {

// Song rows kept in memory: the command-line front end's list and the
// reference behaviour the window's list model follows.
class MemorySongList : public SongList {
public:
    struct Row {
        double id = 0;
        std::string idText;
        std::string name;
        bool checked = false;
        std::string failure;  // the reason of a failed download; empty: none
        bool handedOff = false;
        bool saved = false;  // saved by an earlier run
    };

    void Prepare() override;
    void AddRow(int position, double id, const std::string& idText,
                const std::string& name) override;
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    bool IsChecked(int position) const override;
    void SetChecked(int position, bool checked) override;
    double Tag(int position) const override;
    std::string Name(int position) const override;
    void RemoveByTag(double tag) override;
    void MarkFailed(double tag, const std::string& reason) override;
    std::string FailureOf(int position) const override;
    void MarkHandedOff(double tag) override;
    bool IsHandedOff(int position) const override;
    void MarkSaved(double tag) override;
    bool IsSaved(int position) const override;

    const std::vector<Row>& Rows() const { return rows_; }
    int PrepareCount() const { return prepareCount_; }

private:
    const Row* At(int position) const;
    std::vector<Row> rows_;
    int prepareCount_ = 0;
};

}  // namespace tunewell::ports
