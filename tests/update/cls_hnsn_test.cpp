// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "update/ata_identity.h"
#include "update/cls_hnsn.h"
#include "update/identity_source.h"

namespace tunewell::update {
namespace {

using Block = std::vector<std::uint8_t>;

// Puts text into identify words from firstWord on, two characters a word,
// the first in the word's high byte, as drives store it.
void PutText(Block& block, std::size_t firstWord, const std::string& text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::size_t word = firstWord + k / 2;
        block[2 * word + (k % 2 == 0 ? 1 : 0)] = static_cast<std::uint8_t>(text[k]);
    }
}

Block DriveBlock(const std::string& model, const std::string& serial,
                 const std::string& firmware) {
    Block block(kIdentifySize, 0);
    PutText(block, 27, model);
    PutText(block, 10, serial);
    PutText(block, 23, firmware);
    return block;
}

TEST(ExtractIdentityField, SwapsBytesAndTrimsSpaces) {
    const struct {
        std::string stored;
        IdentityField field;
        std::size_t firstWord;
        std::string expected;
    } cases[] = {
        {" WD-123456          ", IdentityField::Serial, 10, "WD-123456"},
        {"ST1000DM003-1ER162                      ", IdentityField::Model, 27,
         "ST1000DM003-1ER162"},
        {"CC43    ", IdentityField::Firmware, 23, "CC43"},
        {"  A B  C            ", IdentityField::Serial, 10, "A B  C"},
        {"                    ", IdentityField::Serial, 10, ""},
        // A full field is read to its last character and no further.
        {"0123456789ABCDEFGHIJ", IdentityField::Serial, 10, "0123456789ABCDEFGHIJ"},
    };
    for (const auto& c : cases) {
        Block block(kIdentifySize, 0);
        PutText(block, c.firstWord, c.stored);
        // Neighbouring words must not leak into the field.
        PutText(block, c.firstWord + c.stored.size() / 2, "ZZ");
        PutText(block, c.firstWord - 1, "YY");
        EXPECT_EQ(ExtractIdentityField(block, c.field), c.expected) << c.stored;
    }
}

TEST(ExtractIdentityField, StopsAtTheFirstZeroByte) {
    Block block(kIdentifySize, 0);
    PutText(block, 10, "ABC");  // the fourth character's byte stays 0
    PutText(block, 13, "XYZW");
    EXPECT_EQ(ExtractIdentityField(block, IdentityField::Serial), "ABC");

    Block evenZero(kIdentifySize, 0);
    PutText(evenZero, 10, "AB");  // word 11's high byte is 0
    PutText(evenZero, 12, "CD");
    EXPECT_EQ(ExtractIdentityField(evenZero, IdentityField::Serial), "AB");

    EXPECT_EQ(ExtractIdentityField(Block(kIdentifySize, 0), IdentityField::Model), "");
}

TEST(ExtractIdentityField, ShortOrMissingDataGivesWhatIsThere) {
    Block full = DriveBlock("MODEL", "SERIAL-9", "FW01");
    // A word cut in half is not read: its first character is the missing byte.
    EXPECT_EQ(ExtractIdentityField(Block(full.begin(), full.begin() + 27), IdentityField::Serial),
              "SERIAL");
    EXPECT_EQ(ExtractIdentityField(Block(full.begin(), full.begin() + 28), IdentityField::Serial),
              "SERIAL-9");
    EXPECT_EQ(ExtractIdentityField(Block(full.begin(), full.begin() + 40), IdentityField::Model),
              "");
    EXPECT_EQ(ExtractIdentityField(Block{}, IdentityField::Firmware), "");
    EXPECT_EQ(ExtractIdentityField(Block(full.begin(), full.begin() + 60), IdentityField::Model),
              "MODEL");
}

TEST(IdentifyCommandBlock, SelectsMasterForEvenAndSlaveForOddDrives) {
    const std::array<std::uint8_t, 16> expected = {0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0xEC, 0};
    EXPECT_EQ(IdentifyCommandBlock(0), expected);
    for (unsigned drive : {0u, 1u, 2u, 3u}) {
        std::array<std::uint8_t, 16> block = expected;
        block[13] = drive % 2 == 0 ? 0xA0 : 0xB0;
        EXPECT_EQ(IdentifyCommandBlock(drive), block) << drive;
    }
}

TEST(FieldForSelector, OnlyZeroToTwo) {
    EXPECT_EQ(FieldForSelector(0), IdentityField::Model);
    EXPECT_EQ(FieldForSelector(1), IdentityField::Serial);
    EXPECT_EQ(FieldForSelector(2), IdentityField::Firmware);
    EXPECT_FALSE(FieldForSelector(3));
    EXPECT_FALSE(FieldForSelector(-1));
}

class FakeSource : public IdentitySource {
public:
    std::vector<std::uint8_t> ReadIdentify(unsigned drive) override {
        drives.push_back(drive);
        return drive < blocks.size() ? blocks[drive] : Block{};
    }
    std::vector<Block> blocks;
    std::vector<unsigned> drives;
};

// Opens the field routine for the selector checks.
class OpenHnsn : public ClsHNSN {
public:
    using ClsHNSN::ClsHNSN;
    using ClsHNSN::ReadIdentifyField;
};

template <typename Call>
int ErrorNumber(Call call, std::string* description = nullptr) {
    try {
        call();
    } catch (const HnsnError& error) {
        if (description) *description = error.Description();
        return error.Number();
    }
    return 0;
}

TEST(ClsHNSN, ReadsTheFieldsOfTheCurrentDrive) {
    auto source = std::make_shared<FakeSource>();
    source->blocks = {DriveBlock("Disk Zero", "S0", "F0"), Block{},
                      DriveBlock("Disk Two   ", "  S-2 ", "F2")};
    ClsHNSN hnsn(source, "WNT");
    EXPECT_EQ(hnsn.GetSerialNumber(), "S0");
    hnsn.SetCurrentDrive(2);
    EXPECT_EQ(hnsn.GetModelNumber(), "Disk Two");
    EXPECT_EQ(hnsn.GetSerialNumber(), "S-2");
    EXPECT_EQ(hnsn.GetFirmwareRevision(), "F2");
    hnsn.SetCurrentDrive(1);
    EXPECT_EQ(hnsn.GetModelNumber(), "");
    EXPECT_EQ(source->drives, (std::vector<unsigned>{0, 2, 2, 2, 1}));
}

TEST(ClsHNSN, IllegalDriveKeepsTheOldNumber) {
    ClsHNSN hnsn(std::make_shared<FakeSource>(), "WNT");
    hnsn.SetCurrentDrive(3);
    EXPECT_EQ(hnsn.CurrentDrive(), 3);
    for (int bad : {4, 255, 256, -1}) {
        std::string description;
        EXPECT_EQ(ErrorNumber([&] { hnsn.SetCurrentDrive(bad); }, &description), 10000) << bad;
        EXPECT_EQ(description, "Illegal drive number");
        EXPECT_EQ(hnsn.CurrentDrive(), 3);
    }
}

TEST(ClsHNSN, IllegalSelectorAndPlatform) {
    OpenHnsn hnsn(std::make_shared<FakeSource>(), "WNT");
    std::string description;
    EXPECT_EQ(ErrorNumber([&] { hnsn.ReadIdentifyField(3); }, &description), 10001);
    EXPECT_EQ(description, "Illegal HD Data type");

    for (const char* platform : {"Unk", "32S", ""}) {
        ClsHNSN other(std::make_shared<FakeSource>(), platform);
        EXPECT_EQ(other.Platform(), platform);
        EXPECT_EQ(ErrorNumber([&] { other.GetSerialNumber(); }, &description), 10002);
        EXPECT_EQ(description, "Illegal platform (only WNT, W98 or W95)");
    }
    for (const char* platform : {"WNT", "W95", "W98"}) {
        ClsHNSN fine(std::make_shared<FakeSource>(), platform);
        EXPECT_EQ(ErrorNumber([&] { fine.GetModelNumber(); }), 0) << platform;
    }
}

TEST(ClsHNSN, HostDefaults) {
    ClsHNSN hnsn;
    EXPECT_EQ(hnsn.Platform(), "WNT");
    EXPECT_EQ(hnsn.CurrentDrive(), 0);
    EXPECT_NE(hnsn.Copyright().find("1.00"), std::string::npos);
    EXPECT_NO_THROW(hnsn.GetSerialNumber());
}

TEST(OrderedDiskNames, SystemOrder) {
    const std::vector<std::string> names = {"sdb",   "loop0", "sdaa", "vda",  "nvme0n1",
                                            "sda",   "hda",   "sr0",  "sdz",  "sda1"};
    EXPECT_EQ(OrderedDiskNames(names),
              (std::vector<std::string>{"hda", "sda", "sdb", "sdz", "sdaa", "vda"}));
}

class LinuxSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tw-hnsn-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ / "sys");
        std::filesystem::create_directories(root_ / "dev");
    }
    void TearDown() override { std::filesystem::remove_all(root_); }
    std::filesystem::path root_;
};

TEST_F(LinuxSourceTest, NoDiskOrNoAnswerGivesEmptyText) {
    for (const char* name : {"sdb", "loop0", "sda"}) {
        std::filesystem::create_directory(root_ / "sys" / name);
    }
    std::ofstream(root_ / "dev/sda") << std::string(512, 'x');  // not a device
    auto source = std::make_shared<LinuxIdentitySource>(root_ / "sys", root_ / "dev");
    EXPECT_EQ(source->DevicePath(0), root_ / "dev/sda");
    EXPECT_EQ(source->DevicePath(1), root_ / "dev/sdb");
    EXPECT_TRUE(source->DevicePath(2).empty());

    ClsHNSN hnsn(source, "WNT");
    for (int drive = 0; drive < 4; ++drive) {
        hnsn.SetCurrentDrive(drive);
        EXPECT_EQ(hnsn.GetModelNumber(), "") << drive;
        EXPECT_EQ(hnsn.GetSerialNumber(), "") << drive;
        EXPECT_EQ(hnsn.GetFirmwareRevision(), "") << drive;
    }
    EXPECT_TRUE(LinuxIdentitySource(root_ / "missing", root_ / "dev").ReadIdentify(0).empty());
}

}  // namespace
}  // namespace tunewell::update
