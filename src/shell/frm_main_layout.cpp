// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls and their places.
#include <QCheckBox>
#include <QLabel>

#include <algorithm>

#include "chrome/frame_layout.h"
#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "shell/frm_main.h"
#include "widgets/progress_bar_widget.h"
#include "widgets/shell_functions.h"
#include "widgets/skin_button.h"
#include "shell/song_list_model.h"
#include "shell/song_list_view.h"
#include "widgets/twips.h"
#include "widgets/uc_ani_gif.h"

namespace tunewell::shell {
namespace {

constexpr const char* kCaption = "Tunewell音乐下载助手";
constexpr int kClientWidthTwips = 5910;
constexpr int kClientHeightTwips = 8655;

template <typename Control>
Control* Place(Control* control, int left, int top, int width, int height) {
    control->setGeometry(widgets::TwipsRect(left, top, width, height));
    return control;
}

widgets::SkinButton* Button(QWidget* parent, const char* caption, int left, int top, int width,
                            int height) {
    return Place(new widgets::SkinButton(QString::fromUtf8(caption), parent), left, top, width, height);
}

// Labels keep their place and width but may grow downwards to fit the
// font, so neither Latin nor Chinese text is clipped. Their text is plain:
// the status line shows names that come from the site's pages.
QLabel* Label(QWidget* parent, const char* caption, int left, int top, int width, int height) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setTextFormat(Qt::PlainText);
    QRect box = widgets::TwipsRect(left, top, width, height);
    box.setHeight(std::max(box.height(), label->fontMetrics().height()));
    label->setGeometry(box);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

chrome::TextBox* TextBox(QWidget* parent, int left, int top, int width, int height) {
    return Place(new chrome::TextBox(parent), left, top, width, height);
}

// A field's caption takes the height of the field's line of text, so both
// texts stand on one line.
void AlignWithField(QLabel* label, const chrome::TextBox* box) {
    const QRect line = box->TextLine();
    label->setGeometry(label->x(), line.y(), label->width(), line.height());
}

}  // namespace

void frmMain::CreateControls() {
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(widgets::ProgramIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(widgets::TwipsToPixels(kClientWidthTwips), widgets::TwipsToPixels(kClientHeightTwips));
    skin1 = new chrome::Skin(this);  // first child: behind every control

    cmdSel = Button(this, "示例", 2160, 720, 1095, 495);
    cmdCon = Button(this, "设置", 3360, 720, 1095, 495);
    cmdHelp = Button(this, "帮助", 4560, 720, 1095, 495);
    Label1 = Label(this, "列表地址：", 240, 1680, 900, 195);
    ListUrl = TextBox(this, 1200, 1680, 4455, 315);
    lblLabel2 = Label(this, "保存地址：", 240, 2080, 900, 195);
    SavePath = TextBox(this, 1200, 2085, 2415, 315);
    AlignWithField(Label1, ListUrl);
    AlignWithField(lblLabel2, SavePath);
    cmdDir = Button(this, "浏览", 3720, 2085, 615, 330);
    cmdList = Button(this, "获取歌曲列表", 4440, 2080, 1215, 330);

    ListMusic = Place(new SongListView(this), 255, 2610, 5415, 3645);
    ListMusic->SetSongModel(songs_);

    selAll = Button(this, "全选", 240, 6420, 615, 345);
    selBack = Button(this, "反选", 960, 6420, 615, 345);
    IsXun = Place(new QCheckBox(QStringLiteral("使用迅雷"), this), 2400, 6480, 1095, 255);
#ifndef _WIN32
    // Here the box names a manager the system does not have: say what it does.
    IsXun->setToolTip(QStringLiteral("把歌曲交给正在运行的 aria2c --enable-rpc 下载"));
#endif
    cmdOpen = Button(this, "打开目录", 3600, 6420, 975, 345);
    cmdDown = Button(this, "开始下载", 4680, 6420, 975, 345);
    cmdDown->SetTag(QStringLiteral("0"));

    PB = Place(new widgets::ProgressBar(this), 240, 6930, 5445, 255);
    PB->SetText(QStringLiteral("下载进度0%"));
    ucAniGIF1 = Place(new widgets::ucAniGIF(this), 240, 7300, 5415, 855);
    LabTip = Label(this, kCaption, 360, 8345, 4605, 195);
    LabVer = Label(this, "Ver2.0", 5160, 8345, 480, 195);
    // The stand-in fonts run wider than Tahoma: the version line is made
    // wide enough for its text and ends, right-aligned, a few pixels before
    // the grip in the frame's corner; the status line gives way to it.
    constexpr int kGripGap = 3;
    const int right = chrome::GripRect(size()).left() - kGripGap;
    const int versionWidth = LabVer->fontMetrics().horizontalAdvance(QStringLiteral("Ver0.00")) + 2;
    const int left = std::min(LabVer->x(), right - versionWidth);
    LabVer->setGeometry(left, LabVer->y(), right - left, LabVer->height());
    LabVer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabTip->resize(std::min(LabTip->width(), left - kGripGap - LabTip->x()), LabTip->height());
}

void frmMain::RefreshSkin() { skin1->Refresh(); }

}  // namespace tunewell::shell
