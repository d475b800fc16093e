#include "update/identity_source.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <system_error>

#include "update/ata_identity.h"

namespace tunewell::update {
namespace {

constexpr std::uint8_t kAtaPassThrough16 = 0x85;
constexpr std::uint8_t kIdentifyDevice = 0xEC;
constexpr std::uint8_t kPioDataIn = 4 << 1;
// t_dir = from device, byt_blok = in blocks, t_length = sector count field.
constexpr std::uint8_t kTransferFlags = 0x0E;
constexpr std::uint8_t kDeviceRegister = 0xA0;
constexpr unsigned kTimeoutMs = 3000;

int GroupOf(const std::string& name) {
    static const std::array<const char*, 3> kPrefixes = {"hd", "sd", "vd"};
    for (std::size_t i = 0; i < kPrefixes.size(); ++i) {
        const std::string prefix = kPrefixes[i];
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

class Device {
public:
    explicit Device(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
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

bool PassThroughIdentify(int fd, std::vector<std::uint8_t>& data) {
    std::array<std::uint8_t, 16> cdb{};
    cdb[0] = kAtaPassThrough16;
    cdb[1] = kPioDataIn;
    cdb[2] = kTransferFlags;
    cdb[6] = 1;  // sector count
    cdb[13] = kDeviceRegister;
    cdb[14] = kIdentifyDevice;
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
    return (io.info & SG_INFO_OK_MASK) == SG_INFO_OK && io.status == 0 &&
           io.host_status == 0 && io.driver_status == 0 && !AllZero(data);
}

bool DriverIdentify(int fd, std::vector<std::uint8_t>& data) {
    std::fill(data.begin(), data.end(), 0);
    return ::ioctl(fd, HDIO_GET_IDENTITY, data.data()) == 0 && !AllZero(data);
}

}  // namespace

std::vector<std::string> OrderedDiskNames(const std::vector<std::string>& blockNames) {
    std::vector<std::string> disks;
    for (const auto& name : blockNames) {
        if (GroupOf(name) >= 0) disks.push_back(name);
    }
    std::sort(disks.begin(), disks.end(), [](const std::string& a, const std::string& b) {
        if (GroupOf(a) != GroupOf(b)) return GroupOf(a) < GroupOf(b);
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    });
    return disks;
}

LinuxIdentitySource::LinuxIdentitySource(std::filesystem::path sysBlock,
                                         std::filesystem::path devDir)
    : sysBlock_(std::move(sysBlock)), devDir_(std::move(devDir)) {}

std::filesystem::path LinuxIdentitySource::DevicePath(unsigned drive) const {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(sysBlock_, error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    const auto disks = OrderedDiskNames(names);
    if (drive >= disks.size()) return {};
    return devDir_ / disks[drive];
}

std::vector<std::uint8_t> LinuxIdentitySource::ReadIdentify(unsigned drive) {
    const auto path = DevicePath(drive);
    if (path.empty()) return {};
    Device device(path);
    if (device.fd() < 0) return {};
    std::vector<std::uint8_t> data(kIdentifySize, 0);
    if (PassThroughIdentify(device.fd(), data) || DriverIdentify(device.fd(), data)) return data;
    return {};
}

}  // namespace tunewell::update
