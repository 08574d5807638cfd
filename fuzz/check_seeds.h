// Seeds that reach the --check families: each a small disk whose layout is
// sound but for the faults named above it, so that the fuzzer starts beside
// every comparison the checks make. Being small, they lie off 1 MiB and their
// FAT32s have few clusters: checks that judge sizes may still speak on the
// sound ones. Written with the test suite's disk builder; none needs the GPT
// resealed by the input's flag, which would hide a damaged primary.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bootsector/example_sectors.h"
#include "hostile/hostile_images.h"
#include "support/disk_image.h"
#include "support/gpt_image.h"

namespace disklens::fuzz {

struct CheckSeed {
  std::string name;
  test::DiskImage disk;
};

// A FAT32 volume of `sectors` that fits its partition at `lba`: FSInfo at +1,
// the backup boot sector and its FSInfo at +6 and +7.
inline void PutFittingFat32(test::DiskImage& disk, std::uint64_t lba, std::uint32_t sectors) {
  const std::uint64_t s = disk.SectorSize();
  test::WriteFat32Example(disk, lba);
  const std::uint64_t o = lba * s;
  disk.U16(o + 0x0B, static_cast<std::uint16_t>(s));
  disk.U8(o + 0x0D, 1);
  disk.U32(o + 0x1C, static_cast<std::uint32_t>(lba));
  disk.U32(o + 0x20, sectors);
  disk.U32(o + 0x24, 8);
  const std::uint64_t fsinfo = o + s;
  disk.Text(fsinfo, "RRaA");
  disk.Text(fsinfo + 0x1E4, "rrAa");
  disk.U16(fsinfo + 0x1FE, 0xAA55);
  for (std::uint64_t i = 0; i < 2 * s; ++i) disk.U8(o + 6 * s + i, disk.Bytes()[o + i]);
}

// An NTFS volume filling its partition at `lba`, its backup boot sector in the
// partition's last sector.
inline void PutFittingNtfs(test::DiskImage& disk, std::uint64_t lba, std::uint32_t sectors) {
  const std::uint64_t s = disk.SectorSize();
  test::WriteNtfsExample(disk, lba);
  const std::uint64_t o = lba * s;
  disk.U16(o + 0x0B, static_cast<std::uint16_t>(s));
  disk.U8(o + 0x0D, 1);
  disk.U32(o + 0x1C, static_cast<std::uint32_t>(lba));
  disk.U64(o + 0x28, sectors - 1);
  disk.U64(o + 0x30, 4);
  disk.U64(o + 0x38, 8);
  for (std::uint64_t i = 0; i < s; ++i) disk.U8(o + (sectors - 1) * s + i, disk.Bytes()[o + i]);
}

// A GPT disk of `sectors` with its backup at the end, a protective MBR, and
// an NTFS and a FAT32 partition.
inline test::DiskImage SoundGptDisk(std::uint32_t s, std::uint64_t sectors) {
  test::DiskImage disk(sectors * s, s);
  test::PutProtectiveMbr(disk, sectors);
  const std::uint64_t p = s == 512 ? 40 : 6;
  const std::vector<test::GptEntryFields> entries = {
      {0, test::hostile::kBasicData, test::hostile::kUniqueA, p, p + 15, 0, u"ntfs"},
      {1, test::hostile::kBasicData, test::hostile::kUniqueB, p + 16, p + 31, 0, u"fat32"}};
  test::WriteGptWithBackup(disk, test::GptHeaderFields{}, entries);
  PutFittingNtfs(disk, p, 16);
  PutFittingFat32(disk, p + 16, 16);
  return disk;
}

// An MBR disk of 128 sectors: a FAT32 primary and an extended partition whose
// chain holds one logical NTFS partition.
inline test::DiskImage SoundMbrDisk() {
  test::DiskImage disk(128 * 512);
  disk.PutDiskSignature(0x5EEDC4EC);
  disk.PutTable(0, {test::ChsEntry(0x0C, 8, 32, 0x80), test::ChsEntry(0x0F, 48, 64)});
  PutFittingFat32(disk, 8, 32);
  disk.PutTable(48, {test::ChsEntry(0x07, 8, 32, 0, 48)});
  PutFittingNtfs(disk, 56, 32);
  return disk;
}

inline std::vector<CheckSeed> CheckSeeds() {
  std::vector<CheckSeed> seeds;
  auto add = [&seeds](std::string name, test::DiskImage disk) {
    seeds.push_back({"check_" + std::move(name), std::move(disk)});
  };
  add("sound_gpt_512", SoundGptDisk(512, 128));
  add("sound_gpt_4096", SoundGptDisk(4096, 48));
  add("sound_mbr", SoundMbrDisk());
  {  // gpt.primary: the primary header's CRC-32 broken, the backup intact
    test::DiskImage d = SoundGptDisk(512, 128);
    d.U8(512 + 0x10, d.Bytes()[512 + 0x10] ^ 0xFF);
    add("gpt_primary_damaged", std::move(d));
  }
  {  // the same on 4096-byte sectors, the primary's array damaged
    test::DiskImage d = SoundGptDisk(4096, 48);
    d.U8(2 * 4096 + 0x20, 0x77);
    add("gpt_primary_array_damaged_4096", std::move(d));
  }
  {  // gpt.backup: the backup header's CRC-32 broken
    test::DiskImage d = SoundGptDisk(512, 128);
    d.U8(127 * 512 + 0x10, d.Bytes()[127 * 512 + 0x10] ^ 0xFF);
    add("gpt_backup_damaged", std::move(d));
  }
  {  // gpt.differ: the backup's array names another end for entry 2, resealed
    test::DiskImage d = SoundGptDisk(512, 128);
    const std::uint64_t array = (127 - 32) * 512;
    d.U8(array + 128 + 0x28, 0x37);
    test::SealGptAt(d.Bytes(), 512, 127, 127 - 32);
    add("gpt_differ", std::move(d));
  }
  {  // gpt.backup-not-at-end: the disk grew by 64 sectors behind its GPT
    test::DiskImage small = SoundGptDisk(512, 128);
    test::DiskImage d(192 * 512);
    for (std::size_t i = 0; i < small.Bytes().size(); ++i) d.U8(i, small.Bytes()[i]);
    add("gpt_backup_not_at_end", std::move(d));
  }
  {  // gpt.truncated: the GPT of a 128-sector disk on 100 sectors
    test::DiskImage big = SoundGptDisk(512, 128);
    test::DiskImage d(100 * 512);
    for (std::size_t i = 0; i < d.Bytes().size(); ++i) d.U8(i, big.Bytes()[i]);
    add("gpt_truncated", std::move(d));
  }
  {  // gpt.overlap and gpt.range: entry 2 over entry 1, entry 3 past LastUsableLBA
    test::DiskImage d(100 * 512);
    test::PutProtectiveMbr(d, 100);
    test::WriteGptWithBackup(
        d, test::GptHeaderFields{},
        {{0, test::hostile::kBasicData, test::hostile::kUniqueA, 40, 59, 0, u"a"},
         {1, test::hostile::kBasicData, test::hostile::kUniqueB, 50, 60, 0, u"b"},
         {2, test::hostile::kBasicData, test::hostile::kUniqueC, 61, 90, 0, u"c"}});
    add("gpt_overlap_range", std::move(d));
  }
  {  // pmbr.start, pmbr.size, hybrid.mismatch: 0xEE at LBA 2 of the wrong size,
     // beside a FAT entry that matches no GPT partition
    test::DiskImage d = SoundGptDisk(512, 128);
    d.PutTable(0, {test::Entry(0xEE, 2, 50), test::Entry(0x0C, 100, 8)});
    add("hybrid_mismatch", std::move(d));
  }
  {  // mbr.overlap, mbr.past-end, mbr.boot-flag, mbr.active
    test::DiskImage d = SoundMbrDisk();
    d.PutTable(0, {test::ChsEntry(0x0C, 8, 32, 0x80), test::ChsEntry(0x0F, 48, 64, 0x80),
                   test::ChsEntry(0x07, 30, 20, 0x01), test::ChsEntry(0x83, 120, 40)});
    add("mbr_overlap_past_end", std::move(d));
  }
  {  // mbr.chs: the first entry's CHS start one head off its LBA
    test::DiskImage d = SoundMbrDisk();
    d.U8(0x1BE + 1, d.Bytes()[0x1BE + 1] + 1);
    add("mbr_chs", std::move(d));
  }
  {  // ebr.outside and ebr.entries: the logical past its extended partition, a
     // second data entry and entry 3 used
    test::DiskImage d = SoundMbrDisk();
    d.PutTable(48, {test::ChsEntry(0x07, 8, 70, 0, 48), test::ChsEntry(0x06, 2, 2, 0, 48),
                    test::ChsEntry(0x06, 4, 2, 0, 48)});
    add("ebr_outside_entries", std::move(d));
  }
  {  // fat32.backup, fat.dirty: the backup's volume id differs, the volume dirty
    test::DiskImage d = SoundMbrDisk();
    d.U8(14 * 512 + 0x43, 0x99);
    d.U8(8 * 512 + 0x41, 0x01);
    add("fat32_backup_dirty", std::move(d));
  }
  {  // fat32.fsinfo, fs.hidden-sectors, fs.type: FSInfo's lead signature gone,
     // hidden sectors of another start, the FAT32 volume under an NTFS type byte
    test::DiskImage d = SoundMbrDisk();
    d.Text(9 * 512, "XXXX");
    d.U32(8 * 512 + 0x1C, 63);
    d.U8(0x1BE + 4, 0x07);
    add("fat32_fsinfo_hidden_type", std::move(d));
  }
  {  // fs.size, fat.bpb: a FAT32 larger than its partition, no FAT count
    test::DiskImage d = SoundMbrDisk();
    d.U32(8 * 512 + 0x20, 4000);
    d.U8(8 * 512 + 0x10, 0);
    add("fat_size_bpb", std::move(d));
  }
  {  // ntfs.backup: the logical NTFS's backup boot sector gone
    test::DiskImage d = SoundMbrDisk();
    d.U16(87 * 512 + 0x1FE, 0);
    add("ntfs_backup_missing", std::move(d));
  }
  {  // align.mib: a GPT partition at 40, off 1 MiB (every seed above is too),
     // and gpt.entry-size: entries of 256 bytes
    test::DiskImage d(100 * 512);
    test::PutProtectiveMbr(d, 100);
    test::GptHeaderFields f;
    f.entryCount = 32;
    f.entrySize = 256;
    test::WriteGptWithBackup(
        d, f, {{0, test::hostile::kBasicData, test::hostile::kUniqueA, 41, 60, 0, u"odd"}});
    add("gpt_entry_size_256", std::move(d));
  }
  return seeds;
}

}  // namespace disklens::fuzz
