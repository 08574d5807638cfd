#include "gpt/boot_signatures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace disklens {
namespace {

// A zeroed sector of exactly `size` bytes on the heap, so that a test reading
// past its end shows under AddressSanitizer.
struct Sector {
  explicit Sector(std::size_t size = 512) : bytes(size, 0) {}
  Sector& Text(std::size_t offset, const std::string& s) {
    std::memcpy(bytes.data() + offset, s.data(), s.size());
    return *this;
  }
  Sector& Byte(std::size_t offset, std::uint8_t v) {
    bytes.at(offset) = v;
    return *this;
  }
  Sector& Signature() { return Byte(510, 0x55).Byte(511, 0xAA); }
  ByteView View() const { return ByteView{bytes.data(), bytes.size()}; }
  std::vector<std::uint8_t> bytes;
};

TEST(ContainsBytes, FindsThePatternFromTheFirstToTheLastPossibleOffset) {
  const std::string area = "GRUBxxxxGRUX";
  const ByteView v{reinterpret_cast<const std::uint8_t*>(area.data()), area.size()};
  EXPECT_TRUE(ContainsBytes(v, "GRUB", 4));
  EXPECT_TRUE(ContainsBytes(v, "GRUX", 4));  // ends on the area's last byte
  EXPECT_FALSE(ContainsBytes(v, "GRUXY", 5));
  EXPECT_FALSE(ContainsBytes(ByteView{v.data, 3}, "GRU", 4));  // pattern longer than area
  EXPECT_FALSE(ContainsBytes(ByteView{}, "G", 1));
}

TEST(BootSignatures, NtfsExfatAndFatTextsMatchInAnyCaseButBitLockerAndRefsOnlyExactly) {
  EXPECT_TRUE(IsNtfsBootSector(Sector().Text(3, "nTfS").View()));
  EXPECT_FALSE(IsNtfsBootSector(Sector().Text(4, "NTFS").View()));
  EXPECT_TRUE(IsExfatBootSector(Sector().Text(3, "exFat   ").View()));
  EXPECT_FALSE(IsExfatBootSector(Sector().Text(3, "EXFAT  x").View()));
  EXPECT_TRUE(IsFat32BootSector(Sector().Text(0x52, "fat32   ").View()));
  EXPECT_TRUE(IsFatBootSector(Sector().Text(0x36, "Fat16").View()));

  EXPECT_TRUE(IsBitLockerBootSector(Sector().Text(3, "-FVE-FS-").View()));
  EXPECT_FALSE(IsBitLockerBootSector(Sector().Text(3, "-fve-fs-").View()));
  EXPECT_TRUE(IsRefsBootSector(Sector().Text(3, "ReFS").View()));
  EXPECT_FALSE(IsRefsBootSector(Sector().Text(3, "REFS").View()));
  EXPECT_FALSE(IsRefsBootSector(Sector().Text(3, "ReFS ").View()));  // must be followed by 4 zeros
}

TEST(BootSignatures, FatByShapeNeedsTwoFatsAndAMediaByteOfF0OrMore) {
  EXPECT_TRUE(IsFatBootSector(Sector().Byte(0x10, 2).Byte(0x15, 0xF0).View()));
  EXPECT_TRUE(IsFatBootSector(Sector().Byte(0x10, 2).Byte(0x15, 0xFF).View()));
  EXPECT_FALSE(IsFatBootSector(Sector().Byte(0x10, 2).Byte(0x15, 0xEF).View()));
  EXPECT_FALSE(IsFatBootSector(Sector().Byte(0x10, 1).Byte(0x15, 0xF8).View()));
}

TEST(BootSignatures, MbrHelpMarkWithNoHiddenSectorsIsNeverFat) {
  // The mark may start from 0x130 to 0x1B0.
  for (const std::size_t at : {std::size_t{0x130}, std::size_t{0x150}, std::size_t{0x1B0}}) {
    Sector s;
    s.Text(0x36, "FAT16").Text(0x52, "FAT32").Text(at, "MBR-help");
    EXPECT_TRUE(IsMarkedAsMbr(s.View())) << at;
    EXPECT_FALSE(IsFatBootSector(s.View())) << at;
    EXPECT_FALSE(IsFat32BootSector(s.View())) << at;
    // A FAT partition has hidden sectors, so the same text there is harmless.
    s.Byte(0x1C, 63);
    EXPECT_TRUE(IsFatBootSector(s.View())) << at;
    EXPECT_TRUE(IsFat32BootSector(s.View())) << at;
  }
  for (const std::size_t at : {std::size_t{0x12F}, std::size_t{0x1B1}}) {
    Sector s;
    s.Byte(0x10, 2).Byte(0x15, 0xF8).Text(at, "MBR-help");
    EXPECT_FALSE(IsMarkedAsMbr(s.View())) << at;
    EXPECT_TRUE(IsFatBootSector(s.View())) << at;
  }
  EXPECT_FALSE(IsMarkedAsMbr(Sector().Text(0x150, "mbr-help").View()));  // exact only
}

TEST(BootSignatures, LinuxLoaderMarks) {
  // GRUB 2: jump 0xEB 0x63 and "GRUB" starting at any offset up to 507.
  EXPECT_TRUE(IsGrubBootSector(Sector().Byte(0, 0xEB).Byte(1, 0x63).Text(0x180, "GRUB ").View()));
  EXPECT_TRUE(IsGrubBootSector(Sector().Byte(0, 0xEB).Byte(1, 0x63).Text(507, "GRUB").View()));
  EXPECT_FALSE(IsGrubBootSector(Sector().Byte(0, 0xEB).Byte(1, 0x63).Text(508, "GRUB").View()));
  EXPECT_FALSE(IsGrubBootSector(Sector().Byte(0, 0xEB).Byte(1, 0x63).Text(0x180, "Grub").View()));
  EXPECT_FALSE(IsGrubBootSector(Sector().Byte(0, 0xEB).Byte(1, 0x3C).Text(0x180, "GRUB").View()));
  // GRUB Legacy: version 3.2 at 0x3E, whatever the jump.
  EXPECT_TRUE(IsGrubBootSector(Sector().Byte(0x3E, 0x03).Byte(0x3F, 0x02).View()));
  EXPECT_FALSE(IsGrubBootSector(Sector().Byte(0x3E, 0x02).Byte(0x3F, 0x03).View()));

  EXPECT_TRUE(IsLiloBootSector(Sector().Text(6, "LILO").View()));
  EXPECT_FALSE(IsLiloBootSector(Sector().Text(6, "lilo").View()));

  EXPECT_TRUE(IsSyslinuxBootSector(Sector().Text(3, "SYSLINUX").Signature().View()));
  EXPECT_FALSE(IsSyslinuxBootSector(Sector().Text(3, "SYSLINUX").View()));
  EXPECT_FALSE(IsSyslinuxBootSector(Sector().Text(3, "syslinux").Signature().View()));
}

TEST(BootSignatures, ASectorTooShortForAFieldNeverMatchesIt) {
  // A whole NTFS/FAT-looking sector cut short of each field.
  Sector full;
  full.Byte(0, 0xEB).Text(3, "NTFS").Byte(0x10, 2).Byte(0x15, 0xF8).Text(0x36, "FAT");
  full.Text(0x52, "FAT32").Signature();
  const ByteView v = full.View();
  EXPECT_FALSE(IsNtfsBootSector(ByteView{v.data, 6}));
  EXPECT_FALSE(IsFatBootSector(ByteView{v.data, 0x15}));  // media byte not read
  EXPECT_FALSE(IsFat32BootSector(ByteView{v.data, 0x54}));
  EXPECT_FALSE(HasBootSignature(ByteView{v.data, 511}));
  EXPECT_FALSE(IsSyslinuxBootSector(ByteView{v.data, 511}));
  // A 256-byte sector: only the bytes read are searched for "GRUB".
  Sector small(256);
  small.Byte(0, 0xEB).Byte(1, 0x63).Text(252, "GRUB");
  EXPECT_TRUE(IsGrubBootSector(small.View()));
  EXPECT_FALSE(IsGrubBootSector(ByteView{small.bytes.data(), 255}));
}

}  // namespace
}  // namespace disklens
