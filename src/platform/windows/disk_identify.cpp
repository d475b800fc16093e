// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/disk_identify.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <algorithm>
#include <cstring>

#include "platform/windows/wide_text.h"

namespace tunewell::platform {
namespace {

constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kDeviceRegister = 13;  // in the pass-through command block
constexpr std::size_t kCommandRegister = 14;
constexpr ULONG kTimeoutSeconds = 3;

bool AllZero(const unsigned char* data, std::size_t size) {
    return std::all_of(data, data + size, [](unsigned char b) { return b == 0; });
}

// The drive number at the end of "\\.\PhysicalDriveN" (0 for any other name).
BYTE DriveNumberOf(const std::string& path) {
    std::size_t digits = path.size();
    while (digits > 0 && path[digits - 1] >= '0' && path[digits - 1] <= '9') --digits;
    return digits < path.size() ? static_cast<BYTE>(std::atoi(path.c_str() + digits)) : 0;
}

// The SMART driver's own identify request: a SENDCMDINPARAMS in, the
// 16-byte SENDCMDOUTPARAMS header and the 512 bytes out.
bool SmartIdentify(HANDLE device, BYTE drive, const std::array<std::uint8_t, 16>& cdb,
                   std::vector<std::uint8_t>& data) {
    SENDCMDINPARAMS in{};
    in.cBufferSize = kBlockSize;
    in.irDriveRegs.bSectorCountReg = 1;
    in.irDriveRegs.bSectorNumberReg = 1;
    in.irDriveRegs.bDriveHeadReg = cdb[kDeviceRegister];
    in.irDriveRegs.bCommandReg = cdb[kCommandRegister];
    in.bDriveNumber = drive;
    std::vector<unsigned char> out(sizeof(SENDCMDOUTPARAMS) - 1 + kBlockSize, 0);
    DWORD returned = 0;
    if (!::DeviceIoControl(device, SMART_RCV_DRIVE_DATA, &in, sizeof(SENDCMDINPARAMS) - 1, out.data(),
                           static_cast<DWORD>(out.size()), &returned, nullptr))
        return false;
    const unsigned char* block = out.data() + offsetof(SENDCMDOUTPARAMS, bBuffer);
    if (AllZero(block, kBlockSize)) return false;
    std::memcpy(data.data(), block, kBlockSize);
    return true;
}

// The same registers through the storage stack's ATA pass-through.
bool PassThroughIdentify(HANDLE device, const std::array<std::uint8_t, 16>& cdb,
                         std::vector<std::uint8_t>& data) {
    struct Request {
        ATA_PASS_THROUGH_EX header;
        unsigned char block[kBlockSize];
    } request{};
    request.header.Length = sizeof(ATA_PASS_THROUGH_EX);
    request.header.AtaFlags = ATA_FLAGS_DATA_IN | ATA_FLAGS_DRDY_REQUIRED;
    request.header.DataTransferLength = kBlockSize;
    request.header.TimeOutValue = kTimeoutSeconds;
    request.header.DataBufferOffset = offsetof(Request, block);
    request.header.CurrentTaskFile[1] = 1;  // sector count
    request.header.CurrentTaskFile[5] = cdb[kDeviceRegister];
    request.header.CurrentTaskFile[6] = cdb[kCommandRegister];
    DWORD returned = 0;
    if (!::DeviceIoControl(device, IOCTL_ATA_PASS_THROUGH, &request, sizeof request, &request, sizeof request,
                           &returned, nullptr) ||
        AllZero(request.block, kBlockSize))
        return false;
    std::memcpy(data.data(), request.block, kBlockSize);
    return true;
}

}  // namespace

std::vector<std::uint8_t> ReadAtaIdentify(const std::string& devicePath,
                                          const std::array<std::uint8_t, 16>& commandBlock) {
    const HANDLE device = ::CreateFileW(Wide(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return {};
    std::vector<std::uint8_t> data(kBlockSize, 0);
    const bool ok = SmartIdentify(device, DriveNumberOf(devicePath), commandBlock, data) ||
                    PassThroughIdentify(device, commandBlock, data);
    ::CloseHandle(device);
    return ok ? data : std::vector<std::uint8_t>{};
}

}  // namespace tunewell::platform
