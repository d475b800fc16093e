// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ui/frm_more.h"
#include "settings/ui/form_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <optional>

#include "chrome/skin.h"
#include "chrome/text_box.h"
#include "text/text_utils.h"
#include "widgets/message_dialog.h"
#include "widgets/skin_button.h"

namespace tunewell::settings {
namespace {

constexpr int kClientWidth = 260;
constexpr int kClientHeight = 230;
const QColor kTipRed(0xFF, 0x00, 0x00);
const QColor kTipGreen(0x00, 0x80, 0x00);

using form::Put;
using form::PutLabel;
using form::Utf8;

// The count typed, when it is a whole number from 1 to kMaxJobs.
std::optional<int> JobsFrom(const QString& text) {
    const text::Number number = text::ToNumber(text.trimmed().toStdString());
    if (text.trimmed().isEmpty() || number.value != std::floor(number.value) || number.value < 1 ||
        number.value > kMaxJobs) {
        return std::nullopt;
    }
    return static_cast<int>(number.value);
}

// A whole number from `low` to `high` typed, or nothing (0 is one of them:
// text that is no number is refused rather than read as 0).
std::optional<long> WholeFrom(const QString& text, long low, long high) {
    const std::string typed = text.trimmed().toStdString();
    const text::Number number = text::ToNumber(typed);
    if (typed.empty() || !text::IsNumeric(typed) || number.value != std::floor(number.value) || number.value < low ||
        number.value > high) {
        return std::nullopt;
    }
    return static_cast<long>(number.value);
}

}  // namespace

frmMore::frmMore(Config& config, std::string programFolder, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowCloseButtonHint), config_(config), programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("frmMore"));
    setWindowTitle(Utf8("更多设置"));
    setWindowModality(Qt::WindowModal);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    CreateControls();
    const Config current = CurrentConfig(config_, programFolder_);
    cJobs->SetText(QString::number(current.Jobs));
    cSecret->SetText(QString::fromStdString(current.Aria2Secret));
    cSkipSaved->setChecked(current.SkipSaved != 0);
    cWriteTags->setChecked(current.WriteTags != 0);
    cRetries->SetText(QString::number(current.Retries));
    cSpeed->SetText(QString::number(current.SpeedLimit));
    if (owner != nullptr) {
        const QRect area = owner->window()->geometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void frmMore::CreateControls() {
    skin1 = new chrome::Skin(this);  // behind every control
    skin1->setObjectName(QStringLiteral("skin1"));
    PutLabel(this, "lblJobs", "同时下载歌曲数：", {16, 40, 96, 13});
    cJobs = Put(new chrome::TextBox(this), "cJobs", {116, 38, 33, 21});
    PutLabel(this, "lblJobsRange", "（1 到 8）", {155, 40, 80, 13});
    PutLabel(this, "lblSecret", "aria2 RPC密钥：", {16, 69, 96, 13});
    cSecret = Put(new chrome::TextBox(this), "cSecret", {116, 67, 128, 21});
    cSecret->Field()->setEchoMode(QLineEdit::Normal);  // shown as typed, as the site password is
    cSecret->setToolTip(Utf8("aria2c 启动时用 --rpc-secret 给出的密钥；没有则留空"));
    PutLabel(this, "lblRetries", "重试次数：", {16, 98, 96, 13});
    cRetries = Put(new chrome::TextBox(this), "cRetries", {116, 96, 33, 21});
    PutLabel(this, "lblRetriesRange", "（0 到 10）", {155, 98, 80, 13});
    cRetries->setToolTip(Utf8("因网络或服务器暂时出错而失败的歌曲再试几次；0 为不重试"));
    PutLabel(this, "lblSpeed", "限速(KB/s)：", {16, 127, 96, 13});
    cSpeed = Put(new chrome::TextBox(this), "cSpeed", {116, 125, 64, 21});
    PutLabel(this, "lblSpeedNone", "（0 为不限）", {186, 127, 70, 13});
    cSpeed->setToolTip(Utf8("整次下载的速度上限，同时下载的歌曲共用；0 为不限"));
    cSkipSaved = Put(new QCheckBox(Utf8("跳过已下载的歌曲"), this), "cSkipSaved", {16, 159, 140, 17});
    cSkipSaved->setToolTip(Utf8("已下载过且文件仍在的歌曲不再下载"));
    cWriteTags = Put(new QCheckBox(Utf8("写入歌曲标签(ID3)"), this), "cWriteTags", {16, 183, 140, 17});
    cWriteTags->setToolTip(Utf8("保存的MP3歌曲写入与文件名相同的歌名和歌手（ID3v2 标签）"));
    cmdSave = Put(new widgets::SkinButton(Utf8("保存设置"), this), "cmdSave", {163, 180, 81, 24});
    LabTip = Put(new QLabel(this), "LabTip", {16, 208, 0, 13});
    LabTip->setTextFormat(Qt::PlainText);
    setTabOrder(cJobs, cSecret);
    setTabOrder(cSecret, cRetries);
    setTabOrder(cRetries, cSpeed);
    setTabOrder(cSpeed, cSkipSaved);
    setTabOrder(cSkipSaved, cWriteTags);
    setTabOrder(cWriteTags, cmdSave);
    connect(cmdSave, &widgets::SkinButton::clicked, this, &frmMore::cmdSave_Click);
}

void frmMore::cmdSave_Click() {
    const std::optional<int> jobs = JobsFrom(cJobs->Text());
    if (!jobs) {
        SetTip(Utf8("同时下载歌曲数应为 1 到 8 的整数！"), kTipRed);
        return;
    }
    const std::optional<long> retries = WholeFrom(cRetries->Text(), 0, kMaxRetries);
    if (!retries) {
        SetTip(Utf8("重试次数应为 0 到 10 的整数！"), kTipRed);
        return;
    }
    const std::optional<long> speed = WholeFrom(cSpeed->Text(), 0, kMaxSpeedLimit);
    if (!speed) {
        SetTip(Utf8("限速应为不小于 0 的整数（KB/s）！"), kTipRed);
        return;
    }
    const std::string secret = cSecret->Text().toStdString();
    if (!SaveMoreFields(ConfigPath(programFolder_), std::to_string(*jobs), secret) ||
        !SaveTransferFields(ConfigPath(programFolder_), std::to_string(*retries), std::to_string(*speed)) ||
        !SaveSkipSaved(ConfigPath(programFolder_), cSkipSaved->isChecked()) ||
        !SaveWriteTags(ConfigPath(programFolder_), cWriteTags->isChecked())) {
        SetTip(Utf8("配置保存失败！"), kTipRed);
        widgets::ShowMessage(this, "配置保存失败，无法写入文件：" + ConfigPath(programFolder_));
        return;
    }
    // Only these: the other settings keep the values of their last load.
    const Config saved = CurrentConfig(config_, programFolder_);
    config_.Jobs = saved.Jobs;
    config_.Aria2Secret = saved.Aria2Secret;
    config_.SkipSaved = saved.SkipSaved;
    config_.WriteTags = saved.WriteTags;
    config_.Retries = saved.Retries;
    config_.SpeedLimit = saved.SpeedLimit;
    SetTip(Utf8("配置保存成功！"), kTipGreen);
    close();
}

void frmMore::SetTip(const QString& text, const QColor& colour) {
    QPalette palette = LabTip->palette();
    palette.setColor(QPalette::WindowText, colour);
    LabTip->setPalette(palette);
    LabTip->setText(text);
    LabTip->adjustSize();
}

void ShowMoreSettings(QWidget* owner, Config& config, const std::string& programFolder) {
    auto* window = new frmMore(config, programFolder, owner);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tunewell::settings
