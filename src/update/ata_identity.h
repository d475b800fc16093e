// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tunewell::update {

// The reply of the ATA IDENTIFY DEVICE command is 512 bytes.
inline constexpr std::size_t kIdentifySize = 512;

// The ATA PASS-THROUGH(16) command block asking drive number `drive` for its
// IDENTIFY DEVICE data (PIO data-in, one block). The drive/head register
// selects the device: 0xA0 for even drive numbers (master), 0xB0 for odd
// ones (slave). Pure.
std::array<std::uint8_t, 16> IdentifyCommandBlock(unsigned drive);

// The text fields of the identify data: selector 0, 1, 2.
enum class IdentityField { Model = 0, Serial = 1, Firmware = 2 };

// The field for a selector number, or nothing for a number other than 0-2.
std::optional<IdentityField> FieldForSelector(int selector);

// Cuts one text field out of identify data. Each 16-bit word holds two
// characters, the first in its high byte (byte 2k+1), the second in its low
// byte (byte 2k): model words 27-46, serial words 10-19, firmware words 23-26.
// Reading stops at the first zero byte or at the end of the data (short data
// gives what it holds); leading and trailing spaces are removed, inner ones
// kept. Pure: no I/O.
std::string ExtractIdentityField(std::span<const std::uint8_t> identify, IdentityField field);

}  // namespace tunewell::update
