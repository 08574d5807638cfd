// What the probe should say of a file system that blkid names: the kind code
// and MBR-style ID of each family we probe, 0 and none for the others.
#pragma once

#include <cstdint>
#include <string>

#include "gpt/probe_kinds.h"

namespace disklens::test {

struct Expected {
  std::int32_t kind = kKindUnrecognised;
  std::uint16_t id = 0;
};

inline Expected ExpectedFor(const std::string& family, const std::string& version) {
  if (family == "vfat") {
    return version == "FAT32" ? Expected{kKindFat32, 0x0B} : Expected{kKindFat, 0x06};
  }
  if (family == "ntfs") return {kKindNtfs, 0x07};
  if (family == "exfat") return {kKindExfat, 0x07};
  if (family == "BitLocker") return {kKindBitLocker, 0x07};
  if (family == "ext2" || family == "ext3" || family == "ext4") return {kKindExt, 0x83};
  if (family == "xfs") return {kKindXfs, 0x83};
  if (family == "reiserfs") return {kKindReiserFs, 0x83};
  if (family == "swap") return {kKindSwap, 0x82};
  if (family == "hfsplus") return {kKindHfsPlus, 0xAF};
  return {};
}

}  // namespace disklens::test
