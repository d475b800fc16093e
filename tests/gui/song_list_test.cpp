// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemModelTester>
#include <QColor>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include "shell/song_list_model.h"
#include "shell/song_list_view.h"

namespace tunewell::shell {
namespace {

// Rows given as (id, ticked); names are "song<position>".
void Fill(SongListModel& model, const std::vector<std::pair<double, bool>>& rows) {
    model.Prepare();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int position = static_cast<int>(i) + 1;
        model.AddRow(position, rows[i].first, std::to_string(static_cast<long long>(rows[i].first)),
                     "song" + std::to_string(position));
        model.SetChecked(position, rows[i].second);
    }
}

// What a tool tip reads as, once Qt has taken it for mark-up.
QString TipText(const QVariant& tip) { return QTextDocumentFragment::fromHtml(tip.toString()).toPlainText(); }

std::vector<bool> Ticks(const SongListModel& model) {
    std::vector<bool> ticks;
    for (int row = 1; row <= model.RowCount(); ++row) ticks.push_back(model.IsChecked(row));
    return ticks;
}

std::vector<double> Tags(const SongListModel& model) {
    std::vector<double> tags;
    for (int row = 1; row <= model.RowCount(); ++row) tags.push_back(model.Tag(row));
    return tags;
}

TEST(SongListModelTest, PrepareSetsUpTheHeadersAndRowsShowIdTickAndName) {
    SongListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(model.columnCount(), 0);  // no columns before the first list
    Fill(model, {{7, true}});
    model.Prepare();
    EXPECT_EQ(model.RowCount(), 0);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("访问时间"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("歌曲名称"));
    model.AddRow(1, 42, "42", "晴天-周");
    model.AddRow(1, 0, "0", "first");  // inserted before the other
    model.Flush();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("0"));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("晴天-周"));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(model.Tag(2), 42);
}

TEST(SongListModelTest, SelectionOperations) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, bool>> rows;
        void (*operation)(SongListModel&);
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {"invert 1 and 3 of 4", {{1, true}, {2, false}, {3, true}, {4, false}},
         [](SongListModel& m) { m.InvertChecks(); }, {false, true, false, true}},
        {"tick all", {{1, false}, {2, true}, {3, false}}, [](SongListModel& m) { m.CheckAll(); },
         {true, true, true}},
        {"tick all on empty", {}, [](SongListModel& m) { m.CheckAll(); }, {}},
        {"invert on empty", {}, [](SongListModel& m) { m.InvertChecks(); }, {}},
        {"toggle twice", {{1, true}, {2, false}},
         [](SongListModel& m) { m.ToggleChecked(2); m.ToggleChecked(2); }, {true, false}},
        {"same id, one ticked", {{9, false}, {9, false}}, [](SongListModel& m) { m.ToggleChecked(1); },
         {true, false}},
        {"outside the list", {{1, false}},
         [](SongListModel& m) { m.ToggleChecked(0); m.ToggleChecked(2); m.SetChecked(5, true); }, {false}},
    };
    for (const Case& c : cases) {
        SongListModel model;
        Fill(model, c.rows);
        c.operation(model);
        EXPECT_EQ(Ticks(model), c.expected) << c.name;
    }
}

TEST(SongListModelTest, RemoveByTagTakesEveryMatchingRowAndKeepsTheOthersInOrder) {
    SongListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    Fill(model, {{5, true}, {3, false}, {5, true}, {5, false}, {8, true}, {5, true}});
    model.RemoveByTag(5);
    EXPECT_EQ(Tags(model), (std::vector<double>{3, 8}));
    EXPECT_EQ(Ticks(model), (std::vector<bool>{false, true}));
    EXPECT_EQ(model.rowCount(), 2);
    model.RemoveByTag(99);
    EXPECT_EQ(model.RowCount(), 2);
}

// Rows reach the view in one batch, so a long list fills quickly.
// A failed row stays ticked and is drawn red, its tooltip the reason; a new
// list starts without marks.
TEST(SongListModelTest, FailedRowsAreMarkedWithTheirReason) {
    SongListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    Fill(model, {{7, true}, {8, true}, {7, false}});
    model.Flush();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.MarkFailed(7, "服务器返回HTTP 404");
    EXPECT_EQ(changed.count(), 2);
    for (int row : {0, 2}) {
        for (int column : {0, 1}) {
            EXPECT_EQ(model.data(model.index(row, column), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
            EXPECT_EQ(TipText(model.data(model.index(row, column), Qt::ToolTipRole)),
                      QStringLiteral("服务器返回HTTP 404"));
        }
    }
    EXPECT_EQ(Ticks(model), (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(model.data(model.index(1, 1), Qt::ForegroundRole).isValid());
    EXPECT_EQ(TipText(model.data(model.index(1, 1), Qt::ToolTipRole)), QStringLiteral("song2"));
    EXPECT_EQ(model.FailureOf(1), "服务器返回HTTP 404");
    model.Prepare();
    model.AddRow(1, 7, "7", "again");
    EXPECT_EQ(model.FailureOf(1), "");

    // Handed to the manager: its own colour and tip; a later failure takes
    // its place, and a later hand-off takes the failure's.
    model.Flush();
    model.MarkHandedOff(7);
    const QModelIndex name = model.index(0, 1);
    EXPECT_TRUE(model.IsHandedOff(1));
    EXPECT_EQ(TipText(model.data(name, Qt::ToolTipRole)), QStringLiteral("已交给下载管理器"));
    const QColor handed = model.data(name, Qt::ForegroundRole).value<QColor>();
    EXPECT_TRUE(handed.isValid());
    EXPECT_NE(handed, QColor(Qt::red));
    model.MarkFailed(7, "下载管理器拒绝了任务");
    EXPECT_FALSE(model.IsHandedOff(1));
    EXPECT_EQ(model.data(name, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    model.MarkHandedOff(7);
    EXPECT_EQ(model.FailureOf(1), "");
    EXPECT_EQ(model.data(name, Qt::ForegroundRole).value<QColor>(), handed);
}

// A song saved by an earlier run is grey with its tip until the row is
// marked otherwise.
TEST(SongListModelTest, ARowSavedBeforeIsGreyWithItsTip) {
    SongListModel model;
    model.Prepare();
    model.AddRow(1, 7, "7", "saved");
    model.AddRow(2, 8, "8", "new");
    model.Flush();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.MarkSaved(7);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(model.IsSaved(1));
    EXPECT_FALSE(model.IsSaved(2));
    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(model.data(model.index(0, column), Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
        EXPECT_EQ(TipText(model.data(model.index(0, column), Qt::ToolTipRole)), QStringLiteral("已下载"));
    }
    EXPECT_FALSE(model.data(model.index(1, 1), Qt::ForegroundRole).isValid());
    model.MarkFailed(7, "服务器返回HTTP 404");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    model.Prepare();
    model.AddRow(1, 7, "7", "again");
    EXPECT_FALSE(model.IsSaved(1));
}

TEST(SongListModelTest, AHundredThousandRowsFillQuicklyInAShownView) {
    SongListModel model;
    SongListView view;
    view.SetSongModel(&model);
    view.resize(361, 243);
    view.show();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.Prepare();
    for (int i = 1; i <= 100000; ++i) model.AddRow(i, i, std::to_string(i), "歌曲名称 " + std::to_string(i));
    EXPECT_EQ(model.RowCount(), 100000);  // the core sees every row at once
    QCoreApplication::processEvents();
    model.CheckAll();
    model.InvertChecks();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), 100000);
    EXPECT_EQ(inserted.count(), 1);
}

TEST(SongListViewTest, ClickingARowOrItsBoxTogglesTheTickOnce) {
    SongListModel model;
    SongListView view;
    view.SetSongModel(&model);
    view.resize(361, 243);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QObject::connect(&view, &SongListView::ItemClick, &model, &SongListModel::ToggleChecked);
    Fill(model, {{1, false}, {2, false}});
    model.Flush();
    EXPECT_EQ(view.columnWidth(0), 73);
    EXPECT_EQ(view.columnWidth(1), 271);
    EXPECT_EQ(view.visualRect(model.index(1, 0)).height(), 18);

    const QRect name = view.visualRect(model.index(1, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, name.center());
    EXPECT_EQ(Ticks(model), (std::vector<bool>{false, true}));
    const QRect box = view.visualRect(model.index(0, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(box.left() + 8, box.center().y()));
    EXPECT_EQ(Ticks(model), (std::vector<bool>{true, true}));
    view.setCurrentIndex(model.index(0, 1));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(Ticks(model), (std::vector<bool>{false, true}));
}

// A new list shows its first rows, however far the old one was scrolled.
TEST(SongListViewTest, ANewListStartsAtItsTop) {
    SongListModel model;
    SongListView view;
    view.SetSongModel(&model);
    view.resize(361, 243);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto fill = [&](int rows) {
        model.Prepare();
        for (int i = 1; i <= rows; ++i) model.AddRow(i, i, std::to_string(i), "song" + std::to_string(i));
    };
    fill(200);
    QCoreApplication::processEvents();
    view.scrollToBottom();
    QCoreApplication::processEvents();
    ASSERT_GT(view.verticalScrollBar()->value(), 0);
    for (const int rows : {200, 40}) {
        fill(rows);
        QCoreApplication::processEvents();
        EXPECT_EQ(view.verticalScrollBar()->value(), 0) << rows;
        EXPECT_EQ(view.indexAt(QPoint(5, 5)).row(), 0) << rows;
        view.scrollToBottom();
        QCoreApplication::processEvents();
    }
}

}  // namespace
}  // namespace tunewell::shell
