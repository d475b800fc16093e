#pragma once
#include <string>

#include "transfer/file_transfer.h"

namespace tunewell::download {

// The reasons a song can fail, as the user reads them beside the song.
inline constexpr const char* kFolderNotWritableText = "保存文件夹不可写";
inline constexpr const char* kDiskFullText = "磁盘空间不足";
// The message when a full disk ended a run.
inline constexpr const char* kDiskFullStopText = "磁盘空间不足，下载已停止。请腾出空间后再开始下载其余歌曲。";
inline constexpr const char* kManagerRefusedText = "下载管理器拒绝了任务";
inline constexpr const char* kBadAddressText = "歌曲地址无效";

// The words for a failed transfer: the HTTP status ("服务器返回HTTP 404"),
// the folder, the disk, the network cause, a reply that is no song, a pause.
std::string FailureText(const transfer::TransferFailure& failure);

}  // namespace tunewell::download
