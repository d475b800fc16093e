// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::ports {

// The song list view. Positions are 1-based as the user sees them; a row's
// text and tag hold the same song id (a number, 0 when none was read), shown
// as idText. Ids are not unique: removal by tag removes every matching row.
class SongList {
public:
    virtual ~SongList() = default;
    // Removes all columns and rows and sets up the two columns afresh.
    virtual void Prepare() = 0;
    // Adds an unticked row at `position` (1 = first).
    virtual void AddRow(int position, double id, const std::string& idText,
                        const std::string& name) = 0;
    virtual int RowCount() const = 0;
    virtual bool IsChecked(int position) const = 0;
    virtual void SetChecked(int position, bool checked) = 0;
    virtual double Tag(int position) const = 0;
    virtual std::string Name(int position) const = 0;
    // Removes every row whose tag equals `tag`.
    virtual void RemoveByTag(double tag) = 0;
    // Marks every row whose tag equals `tag` as failed, with the reason
    // shown to the user; its tick stays. An empty reason clears the mark.
    // A new list (Prepare) has no marks.
    virtual void MarkFailed(double tag, const std::string& reason) = 0;
    // The reason a row was marked with; empty when it is not marked.
    virtual std::string FailureOf(int position) const = 0;
    // Marks every row whose tag equals `tag` as handed to the download
    // manager; a failure mark goes, as the hand-off mark goes when the row
    // is marked failed later. A new list (Prepare) has no marks.
    virtual void MarkHandedOff(double tag) = 0;
    virtual bool IsHandedOff(int position) const = 0;
    // Marks every row whose tag equals `tag` as saved by an earlier run
    // (its file still there); a failure or hand-off mark of the row wins
    // while it lasts. A new list (Prepare) has no marks.
    virtual void MarkSaved(double tag) = 0;
    virtual bool IsSaved(int position) const = 0;
};

}  // namespace tunewell::ports
