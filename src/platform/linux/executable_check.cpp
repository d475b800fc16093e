// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/executable_check.h"

#include <elf.h>

#include <bit>
#include <cstdint>
#include <fstream>

namespace tunewell::platform {
namespace {

// The processor this program was built for; 0 where it is not listed here,
// and the machine field is then not compared.
constexpr std::uint16_t kOwnMachine =
#if defined(__x86_64__)
    EM_X86_64;
#elif defined(__i386__)
    EM_386;
#elif defined(__aarch64__)
    EM_AARCH64;
#elif defined(__arm__)
    EM_ARM;
#elif defined(__riscv)
    EM_RISCV;
#elif defined(__powerpc64__)
    EM_PPC64;
#elif defined(__s390x__)
    EM_S390;
#else
    0;
#endif

constexpr unsigned char kOwnClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kOwnData = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;

std::uint16_t Half(std::string_view head, std::size_t at) {
    const auto low = static_cast<unsigned char>(head[at]), high = static_cast<unsigned char>(head[at + 1]);
    return kOwnData == ELFDATA2LSB ? static_cast<std::uint16_t>(low | high << 8)
                                   : static_cast<std::uint16_t>(high | low << 8);
}

}  // namespace

bool LooksStartable(std::string_view head) {
    // e_ident (magic, class, byte order, version), then e_type at 16 and
    // e_machine at 18 in the file's byte order.
    if (head.size() < 20 || !head.starts_with("\x7f" "ELF")) return false;
    if (static_cast<unsigned char>(head[EI_CLASS]) != kOwnClass ||
        static_cast<unsigned char>(head[EI_DATA]) != kOwnData || head[EI_VERSION] != EV_CURRENT) {
        return false;
    }
    const std::uint16_t type = Half(head, 16);
    if (type != ET_EXEC && type != ET_DYN) return false;  // not a relocatable object or a core dump
    return kOwnMachine == 0 || Half(head, 18) == kOwnMachine;
}

bool IsStartableFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[20] = {};
    in.read(head, sizeof head);
    return LooksStartable(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

}  // namespace tunewell::platform
