// Disks built to break the report: looping and endless EBR chains, EMBR tables
// that run past the data read, GPT headers whose sizes overflow, disks too
// short for the reads, text full of control bytes, partitions past the end of
// the disk and sectors that fail to read. Each is described here in a few
// lines; the tests hold the reports they must give, and the fuzz seed
// generator writes them as seeds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "bootsector/example_sectors.h"
#include "layout/boot_sector.h"
#include "support/disk_image.h"
#include "support/embr_image.h"
#include "support/gpt_image.h"
#include "support/trailer_image.h"

namespace disklens::test::hostile {

struct HostileImage {
  std::string name;
  std::uint32_t sectorSize = 512;
  std::vector<std::uint8_t> bytes;
  std::set<std::uint64_t> failingLbas;  // only through the in-memory platform
};

inline HostileImage Image(const std::string& name, DiskImage& disk) {
  return HostileImage{name, disk.SectorSize(), disk.Bytes(), {}};
}

// ---- Extended chains --------------------------------------------------------

// The chain at LBA 8 goes on to LBA 18, whose link names LBA 18 again.
inline HostileImage ChainLinksToItself() {
  DiskImage disk(64 * 512);
  disk.PutDiskSignature(0x11223344);
  disk.PutEntry(0, 0, Entry(0x05, 8, 40));
  disk.PutTable(8, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  disk.PutTable(18, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  return Image("chain_links_to_itself", disk);
}

// LBA 8, 18, 28, and back to the first EBR through a link of offset 0.
inline HostileImage ChainLinksBackToFirst() {
  DiskImage disk(64 * 512);
  disk.PutDiskSignature(0x11223344);
  disk.PutEntry(0, 0, Entry(0x05, 8, 40));
  disk.PutTable(8, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  disk.PutTable(18, {Entry(0x83, 2, 4), Entry(0x05, 20, 8)});
  disk.PutTable(28, {Entry(0x83, 2, 4), Entry(0x05, 0, 8)});
  return Image("chain_links_back_to_first", disk);
}

inline constexpr std::uint32_t kChainBase = 2;

// `ebrs` EBRs at LBA 2, 3, 4, ..., each linking to the next; the last has no link.
inline HostileImage LongChain(std::uint32_t ebrs) {
  DiskImage disk(4100 * 512);
  disk.PutEntry(0, 0, Entry(0x05, kChainBase, 4098));
  for (std::uint32_t k = 0; k < ebrs; ++k) {
    if (k + 1 < ebrs) disk.PutEntry(kChainBase + k, 0, Entry(0x05, k + 1, 1));
    disk.PutBootSignature(kChainBase + k);
  }
  return Image("chain_of_" + std::to_string(ebrs) + "_ebrs", disk);
}

// ---- EMBR ---------------------------------------------------------------------

// An EMBR at LBA 1 whose one MPT entry is followed by an MBFT of 255 entries
// with 255 further bytes each: 71,916 bytes, where the read holds 32,256.
inline HostileImage EmbrMbftRunsPastTheRead() {
  DiskImage disk(64 * 512);
  Embr embr;
  embr.mpt = {{0, 100, 199, 1, 0x83, "LINUX"}};
  MbftRow row;
  row.extraBytes = 255;
  embr.mbft = std::vector<MbftRow>(255, row);
  PutEmbr(disk, 512, embr);
  return Image("embr_mbft_runs_past_the_read", disk);
}

// An EMBR at LBA 2 with empty MPT and MBFT, then an MDT of 255 entries with
// 255 further bytes each.
inline HostileImage EmbrMdtRunsPastTheRead() {
  DiskImage disk(64 * 512);
  Embr embr;
  embr.mbft.emplace();
  MdtRow row;
  row.extraBytes = 255;
  embr.mdt = std::vector<MdtRow>(255, row);
  PutEmbr(disk, 1024, embr);
  return Image("embr_mdt_runs_past_the_read", disk);
}

// An MPT row of an image partition whose End lies below its Start: it holds no
// sector, and its last sector is not looked for.
inline HostileImage MptEndBelowStart() {
  DiskImage disk(64 * 512);
  Embr embr;
  embr.mpt = {{0, 40, 30, 1, 0xDA, "BACKWARDS"}};
  PutEmbr(disk, 512, embr);
  return Image("mpt_end_below_start", disk);
}

// ---- GPT ----------------------------------------------------------------------

inline constexpr char kBasicData[] = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";
inline constexpr char kUniqueA[] = "{6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}";
inline constexpr char kUniqueB[] = "{0D3E5F71-9A2B-4C3D-8E4F-50617283A4B5}";
inline constexpr char kUniqueC[] = "{4B5C6D7E-8F90-41A2-B3C4-D5E6F7081929}";

// A protective MBR and a GPT over 256 sectors: backup header at 255, usable
// 34 to 222; `f` may change the header, then both CRCs are sealed.
inline DiskImage GptDisk(GptHeaderFields f, const std::vector<GptEntryFields>& entries,
                         std::uint64_t sectors = 256) {
  DiskImage disk(sectors * 512);
  PutProtectiveMbr(disk, sectors);
  f.alternateLba = sectors - 1;
  f.firstUsableLba = 34;
  f.lastUsableLba = sectors - 34;
  WriteGpt(disk.Bytes(), 512, f, entries);
  return disk;
}

// 0x02000000 entries of 128 bytes: 2^32 bytes, 0 in 32 bits.
inline HostileImage GptEntryArrayOverflows32Bits() {
  GptHeaderFields f;
  f.entryCount = 0x02000000;
  DiskImage disk = GptDisk(f, {});
  return Image("gpt_entry_array_overflows_32_bits", disk);
}

// A HeaderSize of 0: the header CRC covers no byte at all.
inline HostileImage GptHeaderSizeZero() {
  GptHeaderFields f;
  f.headerSize = 0;
  DiskImage disk = GptDisk(f, {{0, kBasicData, kUniqueA, 200, 239, 0, u"Data"}});
  return Image("gpt_header_size_zero", disk);
}

// One entry of 0xFFFFFFFF bytes.
inline HostileImage GptHugeEntrySize() {
  GptHeaderFields f;
  f.entryCount = 1;
  f.entrySize = 0xFFFFFFFFu;
  DiskImage disk = GptDisk(f, {});
  return Image("gpt_huge_entry_size", disk);
}

// ---- Short disks --------------------------------------------------------------

// 100 sectors with a valid GPT for them and a FAT16 partition in the MBR: the
// 128-sector GPT read can't succeed.
inline HostileImage ShorterThan128Sectors() {
  GptHeaderFields f;
  DiskImage disk = GptDisk(f, {{0, kBasicData, kUniqueA, 70, 89, 0, u"Data"}}, 100);
  disk.PutEntry(0, 1, Entry(0x06, 70, 20));
  WriteFat16Example(disk, 70);
  return Image("shorter_than_128_sectors", disk);
}

// 700 bytes: sector 0 and part of sector 1, where a FAT16 partition starts.
inline HostileImage ShorterThanTwoSectors() {
  DiskImage disk(700);
  disk.PutDiskSignature(0xCAFEF00D);
  disk.PutTable(0, {Entry(0x06, 1, 1)});
  return Image("shorter_than_two_sectors", disk);
}

inline HostileImage ZeroBytes() {
  DiskImage disk(0);
  return Image("zero_bytes", disk);
}

// 64 sectors and 100 bytes; two image partitions, the first ending in the
// partial sector, the second in the last whole one, which holds a trailer.
inline HostileImage NotWholeSectors() {
  DiskImage disk(64 * 512 + 100);
  disk.PutDiskSignature(0x0BADC0DE);
  disk.PutTable(0, {Entry(0xDA, 10, 55), Entry(0xDA, 20, 44)});
  PutImageTrailer(disk, 63, {"IMG1", 1000, 0x8001, 12, 6, 7, 500});
  return Image("not_whole_sectors", disk);
}

// Sectors of 4,096 bytes, 3 of them and 512 bytes more; a partition at LBA 3.
inline HostileImage NotWholeSectors4096() {
  DiskImage disk(3 * 4096 + 512, 4096);
  disk.PutDiskSignature(0x40964096);
  disk.PutTable(0, {Entry(0x06, 3, 1)});
  return Image("not_whole_sectors_4096", disk);
}

// ---- Control bytes ------------------------------------------------------------

// FAT16, NTFS, FAT32 and an image trailer whose text fields hold escape
// sequences and other control bytes.
inline HostileImage ControlBytesInBootSectors() {
  DiskImage disk(128 * 512);
  disk.PutDiskSignature(0x1B1B1B1B);
  disk.PutTable(0, {Entry(0x06, 40, 8),
                    Entry(0x07, 48, 8),
                    Entry(0x0B, 56, 8),
                    Entry(0xDA, 64, 8)});
  WriteFat16Example(disk, 40);
  disk.Text(40 * 512 + boot_sector::kOemName, "\x1b[2J\x1b[H\x07");
  disk.Text(40 * 512 + 0x2B, "\x1b]0;pwned\x07\x7f");
  disk.Text(40 * 512 + boot_sector::kFat16FileSystemType, "FAT\r\n\t\b\x7f");
  WriteNtfsExample(disk, 48);
  disk.Text(48 * 512 + boot_sector::kOemName, "NTFS\x1b[1m");
  WriteFat32Example(disk, 56);
  disk.U16(56 * 512 + 0x32, 0xFFFF);
  disk.Text(56 * 512 + 0x47, "\x1b[31mRED\x1b[0");
  disk.Text(56 * 512 + boot_sector::kFat32FileSystemType, "FAT32\b\b\b");
  PutImageTrailer(disk, 71, {"\x1b[0m", 7, 0, 0, 0, 0, 0});
  return Image("control_bytes_in_boot_sectors", disk);
}

// EMBR names with control bytes in each of its three tables.
inline HostileImage ControlBytesInEmbrNames() {
  DiskImage disk(64 * 512);
  Embr embr;
  embr.mpt = {{0, 100, 199, 1, 0x83, "\x1b[2J\x1b[HCLEAR\r\n\x7f\x01"}};
  embr.mbft = std::vector<MbftRow>{{"\x07\x07\x07" "BELL\x1b" "c"}};
  MdtRow row;
  row.flag = 0x1;
  row.name = "\x1b]2;title\x07\t\t\t\t\t\t";
  embr.mdt = std::vector<MdtRow>{row};
  PutEmbr(disk, 512, embr);
  return Image("control_bytes_in_embr_names", disk);
}

// GPT names with escape sequences, a C1 control and 36 escape bytes; the third
// partition starts far past the end of the disk.
inline HostileImage ControlBytesInGptNames() {
  GptHeaderFields f;
  DiskImage disk = GptDisk(
      f, {{0, kBasicData, kUniqueA, 200, 209, 0, u"\x1b[2J\x07" u"bell"},
          {1, kBasicData, kUniqueB, 210, 219, 0, u"\x9b" u"31m\x7f" u"x"},
          {2, kBasicData, kUniqueC, 1000000, 1000099, 0, std::u16string(36, u'\x1b')}});
  return Image("control_bytes_in_gpt_names", disk);
}

// ---- Past the end -------------------------------------------------------------

// 100 sectors: an NTFS partition and an extended partition that start past the
// end, an image partition that ends past it, and a FAT32 partition whose
// backup boot sector lies past it.
inline HostileImage PartitionsPastTheEnd() {
  DiskImage disk(100 * 512);
  disk.PutDiskSignature(0xDEADBEEF);
  disk.PutTable(0, {Entry(0x07, 5000, 100),
                    Entry(0x05, 6000, 100),
                    Entry(0xDA, 40, 1000),
                    Entry(0x0C, 50, 40)});
  WriteFat32Example(disk, 50);
  disk.U16(50 * 512 + 0x32, 0x7000);
  return Image("partitions_past_the_end", disk);
}

// ---- Every step of the pass ---------------------------------------------------

// MBR, chain, EMBR and boot sectors: FAT32 at 200 (backup at 206), an extended
// partition at 150 with a FAT16 logical at 160, an image at 180 (trailer at
// 189), and an EMBR at LBA 1 whose MPT names an NTFS partition at 240.
inline HostileImage FullPass() {
  DiskImage disk(256 * 512);
  disk.PutDiskSignature(0xA1B2C3D4);
  disk.PutTable(0, {Entry(0x0C, 200, 100), Entry(0x05, 150, 30), Entry(0xDA, 180, 10)});
  disk.PutTable(150, {Entry(0x06, 10, 8)});
  WriteFat16Example(disk, 160);
  WriteFat32Example(disk, 200);
  WriteFat32Example(disk, 206);
  PutImageTrailer(disk, 189, {"DISK", 10, 0, 0, 7, 0, 0});
  Embr embr;
  embr.mpt = {{0, 240, 249, 5, 0x07, "WINDOWS"}};
  PutEmbr(disk, 512, embr);
  WriteNtfsExample(disk, 240);
  return Image("full_pass", disk);
}

// A protective MBR and a GPT whose one partition, at 200, holds NTFS.
inline HostileImage FullGptPass() {
  GptHeaderFields f;
  DiskImage disk = GptDisk(f, {{0, kBasicData, kUniqueA, 200, 259, 0, u"Basic data partition"}}, 300);
  WriteNtfsExample(disk, 200);
  return Image("full_gpt_pass", disk);
}

// A chain whose second EBR is the disk's last sector: nothing lies behind it.
inline HostileImage EbrInTheLastSector(std::uint32_t sectorSize = 512) {
  DiskImage disk(16 * static_cast<std::size_t>(sectorSize), sectorSize);
  disk.PutDiskSignature(0x0E0E0E0E);
  disk.PutTable(0, {Entry(0x05, 4, 12)});
  disk.PutTable(4, {Entry(0x83, 1, 2), Entry(0x05, 11, 1)});
  disk.U8(5 * static_cast<std::uint64_t>(sectorSize), 0x77);
  disk.PutTable(15, {Entry(0x82, 0, 1)});
  return Image(sectorSize == 512 ? "ebr_in_the_last_sector" : "ebr_in_the_last_sector_4096", disk);
}

inline HostileImage Failing(HostileImage image, std::uint64_t lba) {
  image.name += "_failing_lba_" + std::to_string(lba);
  image.failingLbas.insert(lba);
  return image;
}

// Every image above, for the seed corpus.
inline std::vector<HostileImage> AllHostileImages() {
  std::vector<HostileImage> all = {
      ChainLinksToItself(),     ChainLinksBackToFirst(),     LongChain(4096),
      LongChain(4097),          EmbrMbftRunsPastTheRead(),   EmbrMdtRunsPastTheRead(),
      GptEntryArrayOverflows32Bits(), GptHeaderSizeZero(),   GptHugeEntrySize(),
      ShorterThan128Sectors(),  ShorterThanTwoSectors(),     ZeroBytes(),
      NotWholeSectors(),        NotWholeSectors4096(),       ControlBytesInBootSectors(),
      ControlBytesInEmbrNames(), ControlBytesInGptNames(),   PartitionsPastTheEnd(),
      FullPass(),               FullGptPass(),               EbrInTheLastSector(),
      EbrInTheLastSector(4096), MptEndBelowStart()};
  for (const std::uint64_t lba : std::initializer_list<std::uint64_t>{0, 30, 150, 160, 189, 200, 206}) {
    all.push_back(Failing(FullPass(), lba));
  }
  for (const std::uint64_t lba : std::initializer_list<std::uint64_t>{100, 200}) {
    all.push_back(Failing(FullGptPass(), lba));
  }
  return all;
}

}  // namespace disklens::test::hostile
