// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/disk_identify.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace tunewell::platform {
namespace {

constexpr std::size_t kBlockSize = 512;
constexpr unsigned kTimeoutMs = 3000;

class Device {
public:
    explicit Device(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~Device() {
        if (fd_ >= 0) ::close(fd_);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool AllZero(const std::vector<std::uint8_t>& data) {
    return std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0; });
}

bool PassThrough(int fd, std::array<std::uint8_t, 16> cdb, std::vector<std::uint8_t>& data) {
    std::array<std::uint8_t, 32> sense{};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.cmd_len = cdb.size();
    io.cmdp = cdb.data();
    io.mx_sb_len = sense.size();
    io.sbp = sense.data();
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.dxfer_len = static_cast<unsigned>(data.size());
    io.dxferp = data.data();
    io.timeout = kTimeoutMs;
    if (::ioctl(fd, SG_IO, &io) != 0) return false;
    return (io.info & SG_INFO_OK_MASK) == SG_INFO_OK && io.status == 0 && io.host_status == 0 &&
           io.driver_status == 0 && !AllZero(data);
}

bool DriverIdentify(int fd, std::vector<std::uint8_t>& data) {
    std::fill(data.begin(), data.end(), 0);
    return ::ioctl(fd, HDIO_GET_IDENTITY, data.data()) == 0 && !AllZero(data);
}

}  // namespace

std::vector<std::uint8_t> ReadAtaIdentify(const std::string& devicePath,
                                          const std::array<std::uint8_t, 16>& commandBlock) {
    Device device(devicePath);
    if (device.fd() < 0) return {};
    std::vector<std::uint8_t> data(kBlockSize, 0);
    if (PassThrough(device.fd(), commandBlock, data) || DriverIdentify(device.fd(), data)) return data;
    return {};
}

}  // namespace tunewell::platform
