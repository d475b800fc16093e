// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QAbstractTableModel>

#include <string>
#include <vector>

#include "ports/song_list.h"

namespace tunewell::shell {

// The rows of the song list view: the list step fills it, the user ticks
// rows, the download run reads the ticks and removes finished songs.
//
// Columns exist only once the list has been prepared (the view starts
// without headers). Rows appended at the end are handed to the view in one
// batch the next time the event loop runs (or before any other change), so
// a list of tens of thousands of songs fills quickly; the ports::SongList
// operations always see every row at once.
class SongListModel : public QAbstractTableModel, public ports::SongList {
    Q_OBJECT

public:
    static constexpr int kIdColumn = 0;
    static constexpr int kNameColumn = 1;
    static constexpr int kRowHeight = 18;

    explicit SongListModel(QObject* parent = nullptr);

    // ports::SongList (1-based positions).
    void Prepare() override;
    void AddRow(int position, double id, const std::string& idText,
                const std::string& name) override;
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    bool IsChecked(int position) const override;
    void SetChecked(int position, bool checked) override;
    double Tag(int position) const override;
    std::string Name(int position) const override;
    void RemoveByTag(double tag) override;
    // A failed row is drawn in red; its tooltip gives the reason.
    void MarkFailed(double tag, const std::string& reason) override;
    std::string FailureOf(int position) const override;
    void MarkHandedOff(double tag) override;
    bool IsHandedOff(int position) const override;
    // A row saved earlier is drawn grey, its tooltip says so.
    void MarkSaved(double tag) override;
    bool IsSaved(int position) const override;
    std::string IdText(int position) const;

    // The selection controls: a row click, "tick all" and "invert".
    void ToggleChecked(int position);
    void CheckAll();
    void InvertChecks();

    // Hands rows added since the last batch to the view now.
    void Flush();

    // QAbstractTableModel.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Emitted by Prepare after the columns are set up afresh.
    void Prepared();

private:
    struct Row {
        double id = 0;
        std::string idText;
        std::string name;
        bool checked = false;
        std::string failure;  // why its download failed; empty: it did not
        bool handedOff = false;  // given to the download manager
        bool saved = false;      // saved by an earlier run: grey
    };

    bool Valid(int position) const { return position >= 1 && position <= RowCount(); }
    void NotifyChecks(int first, int last);
    // A row's mark changed: its colour and tooltip are drawn again.
    void NotifyMark(int i);
    void ScheduleFlush();

    std::vector<Row> rows_;
    int shown_ = 0;  // rows the view has been told about (a prefix of rows_)
    bool hasColumns_ = false;
    bool flushScheduled_ = false;
};

}  // namespace tunewell::shell
