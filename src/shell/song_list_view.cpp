// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/song_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "shell/song_list_model.h"
#include "widgets/twips.h"

namespace tunewell::shell {

SongListView::SongListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);  // every row is as high as the first: quick with long lists
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit ItemClick(index.row() + 1); });
}

void SongListView::SetSongModel(SongListModel* model) {
    setModel(model);
    connect(model, &SongListModel::Prepared, this, &SongListView::ApplyColumnWidths);
    // A new list starts at its first row, wherever the old one was scrolled.
    connect(model, &SongListModel::Prepared, this, &QAbstractItemView::scrollToTop);
    ApplyColumnWidths();
}

void SongListView::ApplyColumnWidths() {
    if (model() == nullptr || model()->columnCount() < 2) return;
    setColumnWidth(SongListModel::kIdColumn, widgets::TwipsToPixels(kIdColumnTwips));
    setColumnWidth(SongListModel::kNameColumn, widgets::TwipsToPixels(kNameColumnTwips));
}

void SongListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentIndex().isValid()) {
        emit ItemClick(currentIndex().row() + 1);
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace tunewell::shell
