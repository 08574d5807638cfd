// Seeds of the volumes that --json and --check decode as themselves: an exFAT
// volume with both boot regions, a Windows 7 BitLocker header and a ReFS boot
// record, each in a type 0x07 partition of a small MBR disk; make_seeds.cpp
// adds them to the corpus.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bootsector/volume_images.h"
#include "support/disk_image.h"

namespace disklens::fuzz {

inline std::vector<std::pair<std::string, test::DiskImage>> VolumeSeedImages() {
  constexpr std::uint32_t kStart = 4;
  constexpr std::uint32_t kSectors = 40;
  const std::pair<const char*, std::vector<std::uint8_t>> volumes[] = {
      {"volume_exfat", test::ExfatRegions(9, kSectors)},
      {"volume_bitlocker_7", test::BitLocker7(kSectors)},
      {"volume_refs", test::Refs(kSectors)},
  };
  std::vector<std::pair<std::string, test::DiskImage>> seeds;
  for (const auto& [name, volume] : volumes) {
    test::DiskImage disk((kStart + kSectors) * 512);
    disk.PutTable(0, {test::Entry(0x07, kStart, kSectors)});
    disk.PutClipped(kStart * 512, volume);
    seeds.emplace_back(name, disk);
  }
  return seeds;
}

}  // namespace disklens::fuzz
