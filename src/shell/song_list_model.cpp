// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/song_list_model.h"

#include <QColor>
#include <QSize>
#include <QTimer>

#include <algorithm>

#include "widgets/plain_tool_tip.h"

namespace tunewell::shell {

SongListModel::SongListModel(QObject* parent) : QAbstractTableModel(parent) {}

void SongListModel::Prepare() {
    beginResetModel();
    rows_.clear();
    shown_ = 0;
    hasColumns_ = true;
    endResetModel();
    emit Prepared();
}

void SongListModel::AddRow(int position, double id, const std::string& idText,
                           const std::string& name) {
    const int index = std::clamp(position - 1, 0, RowCount());
    Row row{id, idText, name, false, {}};
    if (index >= shown_) {
        rows_.insert(rows_.begin() + index, std::move(row));
        ScheduleFlush();
        return;
    }
    Flush();
    beginInsertRows(QModelIndex(), index, index);
    rows_.insert(rows_.begin() + index, std::move(row));
    ++shown_;
    endInsertRows();
}

void SongListModel::ScheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, this, &SongListModel::Flush);
}

void SongListModel::Flush() {
    flushScheduled_ = false;
    if (RowCount() <= shown_) return;
    beginInsertRows(QModelIndex(), shown_, RowCount() - 1);
    shown_ = RowCount();
    endInsertRows();
}

bool SongListModel::IsChecked(int position) const {
    return Valid(position) && rows_[position - 1].checked;
}

void SongListModel::SetChecked(int position, bool checked) {
    if (!Valid(position) || rows_[position - 1].checked == checked) return;
    rows_[position - 1].checked = checked;
    NotifyChecks(position - 1, position - 1);
}

double SongListModel::Tag(int position) const { return Valid(position) ? rows_[position - 1].id : 0; }

std::string SongListModel::Name(int position) const {
    return Valid(position) ? rows_[position - 1].name : std::string();
}

std::string SongListModel::IdText(int position) const {
    return Valid(position) ? rows_[position - 1].idText : std::string();
}

void SongListModel::RemoveByTag(double tag) {
    Flush();
    // From the last row to the first, one removal per run of matching rows.
    int last = RowCount() - 1;
    while (last >= 0) {
        if (rows_[last].id != tag) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && rows_[first - 1].id == tag) --first;
        beginRemoveRows(QModelIndex(), first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        shown_ -= last - first + 1;
        endRemoveRows();
        last = first - 1;
    }
}

void SongListModel::MarkFailed(double tag, const std::string& reason) {
    for (int i = 0; i < RowCount(); ++i) {
        Row& row = rows_[i];
        if (row.id != tag || (row.failure == reason && (reason.empty() || !row.handedOff))) continue;
        row.failure = reason;
        if (!reason.empty()) row.handedOff = false;
        NotifyMark(i);
    }
}

void SongListModel::MarkHandedOff(double tag) {
    for (int i = 0; i < RowCount(); ++i) {
        Row& row = rows_[i];
        if (row.id != tag || (row.handedOff && row.failure.empty())) continue;
        row.failure.clear();
        row.handedOff = true;
        NotifyMark(i);
    }
}

void SongListModel::MarkSaved(double tag) {
    for (int i = 0; i < RowCount(); ++i) {
        Row& row = rows_[i];
        if (row.id != tag || row.saved) continue;
        row.saved = true;
        NotifyMark(i);
    }
}

bool SongListModel::IsSaved(int position) const { return Valid(position) && rows_[position - 1].saved; }

bool SongListModel::IsHandedOff(int position) const { return Valid(position) && rows_[position - 1].handedOff; }

void SongListModel::NotifyMark(int i) {
    if (i < shown_ && hasColumns_)
        emit dataChanged(index(i, kIdColumn), index(i, kNameColumn), {Qt::ForegroundRole, Qt::ToolTipRole});
}

std::string SongListModel::FailureOf(int position) const {
    return Valid(position) ? rows_[position - 1].failure : std::string();
}

void SongListModel::ToggleChecked(int position) {
    if (Valid(position)) SetChecked(position, !rows_[position - 1].checked);
}

void SongListModel::CheckAll() {
    const int count = RowCount();
    if (count == 0) return;
    for (Row& row : rows_) row.checked = true;
    NotifyChecks(0, count - 1);
}

void SongListModel::InvertChecks() {
    const int count = RowCount();
    if (count == 0) return;
    for (Row& row : rows_) row.checked = !row.checked;
    NotifyChecks(0, count - 1);
}

void SongListModel::NotifyChecks(int first, int last) {
    last = std::min(last, shown_ - 1);  // rows not yet shown are drawn fresh
    if (first > last || !hasColumns_) return;
    emit dataChanged(index(first, kIdColumn), index(last, kIdColumn), {Qt::CheckStateRole});
}

int SongListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int SongListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !hasColumns_ ? 0 : 2;
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return {};
    const Row& row = rows_[index.row()];
    const bool idColumn = index.column() == kIdColumn;
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(idColumn ? row.idText : row.name);
        case Qt::ToolTipRole:
            if (!row.failure.empty()) return widgets::PlainToolTip(QString::fromStdString(row.failure));
            if (row.handedOff) return widgets::PlainToolTip(QStringLiteral("已交给下载管理器"));
            if (row.saved) return widgets::PlainToolTip(QStringLiteral("已下载"));
            return idColumn ? QVariant() : QVariant(widgets::PlainToolTip(QString::fromStdString(row.name)));
        case Qt::ForegroundRole:
            if (!row.failure.empty()) return QColor(Qt::red);
            if (row.handedOff) return QColor(0x1E, 0x6E, 0xC8);
            return row.saved ? QVariant(QColor(Qt::gray)) : QVariant();
        case Qt::CheckStateRole:
            return idColumn ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
        case Qt::SizeHintRole:
            return QSize(0, kRowHeight);
        default:
            return {};
    }
}

QVariant SongListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !hasColumns_) return {};
    if (section == kIdColumn) return QStringLiteral("访问时间");
    if (section == kNameColumn) return QStringLiteral("歌曲名称");
    return {};
}

// Rows are not user-checkable on purpose: a press on the box arrives as a
// row click, which toggles the tick once.
Qt::ItemFlags SongListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace tunewell::shell
