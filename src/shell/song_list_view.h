// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTreeView>

namespace tunewell::shell {

class SongListModel;

// The song list view: report rows with a check box in the first column,
// 18 pixels high. A click on a row (its box included) or Space on the
// current row is reported as ItemClick with the row's 1-based position.
// A list prepared afresh is shown from its top.
class SongListView : public QTreeView {
    Q_OBJECT

public:
    static constexpr int kIdColumnTwips = 1100;
    static constexpr int kNameColumnTwips = 4060;

    explicit SongListView(QWidget* parent = nullptr);

    void SetSongModel(SongListModel* model);

signals:
    void ItemClick(int position);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyColumnWidths();
};

}  // namespace tunewell::shell
