// SPDX-License-Identifier: GPL-3.0-or-later
// Text from pages reaches the user as text: message boxes, labels and tool
// tips never read it as mark-up. And the shell's open-folder call hands the
// file manager whatever the field holds.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "settings/ui/frm_seting.h"
#include "shell/song_list_model.h"
#include "update/ui/frm_up_date.h"
#include "widgets/message_dialog.h"
#include "widgets/shell_functions.h"

namespace tunewell::testing {

// Records the addresses QDesktopServices would open for one scheme.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    explicit UrlRecorder(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "Open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(scheme_); }

    std::vector<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.push_back(url); }

private:
    QString scheme_;
};

namespace {

const QString kMarkup = QStringLiteral("<b>登录失败</b> <a href='http://x/'>点这里</a>");

TEST(ShownTextTest, AMessageBoxShowsMarkupAsItIs) {
    const widgets::MessageHandler previous = widgets::SetMessageHandler(nullptr);
    Qt::TextFormat format = Qt::RichText;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        shown = box->text();
        box->accept();
    });
    widgets::ShowMessage(nullptr, kMarkup.toStdString());
    widgets::SetMessageHandler(previous);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, kMarkup);
}

// Every label of the three windows: the status lines show names and texts
// cut from pages.
class ShownTextWindowTest : public MainWindowTest {};

TEST_F(ShownTextWindowTest, EveryLabelOfTheWindowsIsPlainText) {
    shell::frmMain& main = Window();
    settings::Config config;
    settings::frmSeting settingsWindow(&main, config, Folder());
    update::UpdateGlobals globals;
    update::frmUpDate updater(globals, Folder());
    const std::pair<const char*, QWidget*> windows[] = {
        {"main", &main}, {"settings", &settingsWindow}, {"updater", &updater}};
    for (const auto& [name, window] : windows) {
        const QList<QLabel*> labels = window->findChildren<QLabel*>();
        EXPECT_FALSE(labels.isEmpty()) << name;
        for (const QLabel* label : labels) {
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << name << " " << label->text().toStdString();
        }
    }
    main.SetStatusText(kMarkup.toStdString());
    EXPECT_EQ(main.LabTip->text(), kMarkup);
}

// Qt reads a tip that looks like mark-up as mark-up; the name's tip reads
// as the page wrote the name.
TEST(ShownTextTest, ASongNamesToolTipReadsAsTheName) {
    shell::SongListModel model;
    model.Prepare();
    model.AddRow(1, 7, "7", kMarkup.toStdString());
    model.AddRow(2, 8, "8", "a  b & c");
    model.Flush();
    for (int row = 0; row < 2; ++row) {
        const QString tip = model.data(model.index(row, shell::SongListModel::kNameColumn), Qt::ToolTipRole).toString();
        const QString name = model.data(model.index(row, shell::SongListModel::kNameColumn), Qt::DisplayRole).toString();
        ASSERT_TRUE(Qt::mightBeRichText(tip)) << row;
        EXPECT_EQ(QTextDocumentFragment::fromHtml(tip).toPlainText(), name) << row;
    }
}

TEST(ShownTextTest, OpenFolderHandsOnWhateverTheFieldHolds) {
    UrlRecorder files(QStringLiteral("file"));
    widgets::OpenFolder("");
    widgets::OpenFolder("/no/such/folder");
    widgets::OpenFolder("songs");
    ASSERT_EQ(files.opened.size(), 3u);
    EXPECT_EQ(files.opened[0].toLocalFile(), QDir::homePath());
    EXPECT_EQ(files.opened[1].toLocalFile(), QStringLiteral("/no/such/folder"));
    EXPECT_EQ(files.opened[2].toLocalFile(), QDir::current().absoluteFilePath(QStringLiteral("songs")));
}

}  // namespace
}  // namespace tunewell::testing

#include "shown_text_test.moc"
