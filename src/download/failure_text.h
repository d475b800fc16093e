// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "ports/run_observer.h"
#include "transfer/failure_text.h"
#include "web/http_client.h"

namespace tunewell::download {

// The reasons a song can fail, as the user reads them beside the song.
inline constexpr const char* kFolderNotWritableText = "保存文件夹不可写";
inline constexpr const char* kDiskFullText = transfer::kDiskFullText;
// The message when a full disk ended a run.
inline constexpr const char* kDiskFullStopText = "磁盘空间不足，下载已停止。请腾出空间后再开始下载其余歌曲。";
inline constexpr const char* kManagerRefusedText = "下载管理器拒绝了任务";
inline constexpr const char* kBadAddressText = "歌曲地址无效";
// A saved MP3 whose tags could not be written (WriteTags): it is saved all
// the same, with the server's bytes.
inline constexpr const char* kNotMp3TagsText = "未写入标签：不是有效的MP3文件";
inline constexpr const char* kTagsFailedText = "未写入标签：无法写入文件";

// The words for a failed song transfer: transfer::CommonFailureText, with the
// song's own words for its address and its save folder.
std::string FailureText(const transfer::TransferFailure& failure);

// The words for a page that could not be fetched: the same words as for a
// song ("服务器返回HTTP 503", "网络连接失败", "网络连接超时", ...).
std::string PageFailureText(const web::PageResult& page);

// The message when the play page failed and no song of the run started.
inline constexpr const char* kPlayPageFailedText = "分析歌曲地址出错：";

// After a run with failed songs: "3首下载失败：" and the first of them, one a
// line ("name：cause"), "……" when there were more. Empty when none failed.
std::string RunFailuresText(const ports::RunOutcome& outcome);
// A run's outcome in one line: "下载结束：已保存5首，1首失败" (with
// "，已交给下载管理器N首" when songs were handed off).
std::string RunSummaryText(const ports::RunOutcome& outcome);

}  // namespace tunewell::download
