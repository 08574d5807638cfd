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
#include "gpt/gpt_image.h"
#include "support/disk_image.h"

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

// An EBR at `lba`: its entries, and 0x55 0xAA.
inline void PutEbr(DiskImage& disk, std::uint64_t lba, const std::vector<MbrEntry>& entries) {
  for (std::size_t i = 0; i < entries.size(); ++i) disk.PutEntry(lba, static_cast<int>(i), entries[i]);
  disk.PutBootSignature(lba);
}

// ---- Extended chains --------------------------------------------------------

// The chain at LBA 8 goes on to LBA 18, whose link names LBA 18 again.
inline HostileImage ChainLinksToItself() {
  DiskImage disk(64 * 512);
  disk.U32(0x1B8, 0x11223344);
  disk.PutEntry(0, 0, Entry(0x05, 8, 40));
  PutEbr(disk, 8, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  PutEbr(disk, 18, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  return Image("chain_links_to_itself", disk);
}

// LBA 8, 18, 28, and back to the first EBR through a link of offset 0.
inline HostileImage ChainLinksBackToFirst() {
  DiskImage disk(64 * 512);
  disk.U32(0x1B8, 0x11223344);
  disk.PutEntry(0, 0, Entry(0x05, 8, 40));
  PutEbr(disk, 8, {Entry(0x83, 2, 4), Entry(0x05, 10, 8)});
  PutEbr(disk, 18, {Entry(0x83, 2, 4), Entry(0x05, 20, 8)});
  PutEbr(disk, 28, {Entry(0x83, 2, 4), Entry(0x05, 0, 8)});
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

// The EMBR header at byte `at`, with the values of the worked example.
inline void PutEmbrHeader(DiskImage& disk, std::size_t at) {
  disk.Text(at, "EMBR");
  disk.U8(at + 4, 1);
  disk.U8(at + 5, 63);
  disk.U8(at + 6, 62);
  disk.U16(at + 8, 512);
  disk.U16(at + 10, 1023);
  disk.U8(at + 12, 254);
  disk.U8(at + 13, 63);
}

// An EMBR at LBA 1 whose one MPT entry is followed by an MBFT of 255 entries
// with 255 further bytes each: 71,916 bytes, where the read holds 32,256.
inline HostileImage EmbrMbftRunsPastTheRead() {
  DiskImage disk(64 * 512);
  const std::size_t e = 512;
  PutEmbrHeader(disk, e);
  disk.Text(e + 18, "MPT");
  disk.U8(e + 21, 1);
  disk.U8(e + 22, 1);
  disk.U32(e + 28 + 2, 100);
  disk.U32(e + 28 + 6, 199);
  disk.U8(e + 28 + 10, 1);
  disk.U8(e + 28 + 11, 0x83);
  disk.Text(e + 28 + 12, "LINUX");
  disk.Text(e + 56, "MBFT");
  disk.U8(e + 60, 1);
  disk.U8(e + 61, 255);
  for (std::size_t k = 0; k < 255; ++k) {
    const std::size_t entry = e + 62 + 282 * k;
    if (entry + 26 < disk.Bytes().size()) disk.U8(entry + 26, 255);
  }
  return Image("embr_mbft_runs_past_the_read", disk);
}

// An EMBR at LBA 2 with empty MPT and MBFT, then an MDT of 255 entries with
// 255 further bytes each.
inline HostileImage EmbrMdtRunsPastTheRead() {
  DiskImage disk(64 * 512);
  const std::size_t e = 1024;
  PutEmbrHeader(disk, e);
  disk.Text(e + 18, "MPT");
  disk.U8(e + 21, 1);
  disk.Text(e + 28, "MBFT");
  disk.U8(e + 32, 1);
  disk.Text(e + 34, "MDT");
  disk.U8(e + 37, 1);
  disk.U8(e + 38, 255);
  for (std::size_t k = 0; k < 255; ++k) {
    const std::size_t entry = e + 50 + 286 * k;
    if (entry + 30 < disk.Bytes().size()) disk.U8(entry + 30, 255);
  }
  return Image("embr_mdt_runs_past_the_read", disk);
}

// An MPT row of an image partition whose End lies below its Start: it holds no
// sector, and its last sector is not looked for.
inline HostileImage MptEndBelowStart() {
  DiskImage disk(64 * 512);
  const std::size_t e = 512;
  PutEmbrHeader(disk, e);
  disk.Text(e + 18, "MPT");
  disk.U8(e + 21, 1);
  disk.U8(e + 22, 1);
  disk.U32(e + 28 + 2, 40);
  disk.U32(e + 28 + 6, 30);
  disk.U8(e + 28 + 10, 1);
  disk.U8(e + 28 + 11, 0xDA);
  disk.Text(e + 28 + 12, "BACKWARDS");
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
  disk.PutEntry(0, 0, Entry(0xEE, 1, static_cast<std::uint32_t>(sectors - 1)));
  disk.PutBootSignature(0);
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
  disk.U32(0x1B8, 0xCAFEF00D);
  disk.PutEntry(0, 0, Entry(0x06, 1, 1));
  disk.PutBootSignature(0);
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
  disk.U32(0x1B8, 0x0BADC0DE);
  disk.PutEntry(0, 0, Entry(0xDA, 10, 55));
  disk.PutEntry(0, 1, Entry(0xDA, 20, 44));
  disk.PutBootSignature(0);
  const std::uint64_t t = 63 * 512;
  disk.Text(t, "IMG1");
  disk.U32(t + 4, 1000);
  disk.U16(t + 8, 0x8001);
  disk.U16(t + 10, 12);
  disk.U8(t + 12, 6);
  disk.U8(t + 13, 7);
  disk.U32(t + 14, 500);
  return Image("not_whole_sectors", disk);
}

// Sectors of 4,096 bytes, 3 of them and 512 bytes more; a partition at LBA 3.
inline HostileImage NotWholeSectors4096() {
  DiskImage disk(3 * 4096 + 512, 4096);
  disk.U32(0x1B8, 0x40964096);
  disk.PutEntry(0, 0, Entry(0x06, 3, 1));
  disk.PutBootSignature(0);
  return Image("not_whole_sectors_4096", disk);
}

// ---- Control bytes ------------------------------------------------------------

// FAT16, NTFS, FAT32 and an image trailer whose text fields hold escape
// sequences and other control bytes.
inline HostileImage ControlBytesInBootSectors() {
  DiskImage disk(128 * 512);
  disk.U32(0x1B8, 0x1B1B1B1B);
  disk.PutEntry(0, 0, Entry(0x06, 40, 8));
  disk.PutEntry(0, 1, Entry(0x07, 48, 8));
  disk.PutEntry(0, 2, Entry(0x0B, 56, 8));
  disk.PutEntry(0, 3, Entry(0xDA, 64, 8));
  disk.PutBootSignature(0);
  WriteFat16Example(disk, 40);
  disk.Text(40 * 512 + 0x03, "\x1b[2J\x1b[H\x07");
  disk.Text(40 * 512 + 0x2B, "\x1b]0;pwned\x07\x7f");
  disk.Text(40 * 512 + 0x36, "FAT\r\n\t\b\x7f");
  WriteNtfsExample(disk, 48);
  disk.Text(48 * 512 + 0x03, "NTFS\x1b[1m");
  WriteFat32Example(disk, 56);
  disk.U16(56 * 512 + 0x32, 0xFFFF);
  disk.Text(56 * 512 + 0x47, "\x1b[31mRED\x1b[0");
  disk.Text(56 * 512 + 0x52, "FAT32\b\b\b");
  disk.Text(71 * 512, "\x1b[0m");
  disk.U32(71 * 512 + 4, 7);
  return Image("control_bytes_in_boot_sectors", disk);
}

// EMBR names with control bytes in each of its three tables.
inline HostileImage ControlBytesInEmbrNames() {
  DiskImage disk(64 * 512);
  const std::size_t e = 512;
  PutEmbrHeader(disk, e);
  disk.Text(e + 18, "MPT");
  disk.U8(e + 21, 1);
  disk.U8(e + 22, 1);
  disk.U32(e + 28 + 2, 100);
  disk.U32(e + 28 + 6, 199);
  disk.U8(e + 28 + 10, 1);
  disk.U8(e + 28 + 11, 0x83);
  disk.Text(e + 28 + 12, "\x1b[2J\x1b[HCLEAR\r\n\x7f\x01");
  disk.Text(e + 56, "MBFT");
  disk.U8(e + 60, 1);
  disk.U8(e + 61, 1);
  disk.Text(e + 62, "\x07\x07\x07" "BELL\x1b" "c");
  disk.Text(e + 89, "MDT");
  disk.U8(e + 92, 1);
  disk.U8(e + 93, 1);
  disk.U8(e + 105, 0x1);
  disk.Text(e + 105 + 14, "\x1b]2;title\x07\t\t\t\t\t\t");
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
  disk.U32(0x1B8, 0xDEADBEEF);
  disk.PutEntry(0, 0, Entry(0x07, 5000, 100));
  disk.PutEntry(0, 1, Entry(0x05, 6000, 100));
  disk.PutEntry(0, 2, Entry(0xDA, 40, 1000));
  disk.PutEntry(0, 3, Entry(0x0C, 50, 40));
  disk.PutBootSignature(0);
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
  disk.U32(0x1B8, 0xA1B2C3D4);
  disk.PutEntry(0, 0, Entry(0x0C, 200, 100));
  disk.PutEntry(0, 1, Entry(0x05, 150, 30));
  disk.PutEntry(0, 2, Entry(0xDA, 180, 10));
  disk.PutBootSignature(0);
  PutEbr(disk, 150, {Entry(0x06, 10, 8)});
  WriteFat16Example(disk, 160);
  WriteFat32Example(disk, 200);
  WriteFat32Example(disk, 206);
  disk.Text(189 * 512, "DISK");
  disk.U32(189 * 512 + 4, 10);
  disk.U8(189 * 512 + 12, 7);
  PutEmbrHeader(disk, 512);
  disk.Text(512 + 18, "MPT");
  disk.U8(512 + 21, 1);
  disk.U8(512 + 22, 1);
  disk.U32(512 + 28 + 2, 240);
  disk.U32(512 + 28 + 6, 249);
  disk.U8(512 + 28 + 10, 5);
  disk.U8(512 + 28 + 11, 0x07);
  disk.Text(512 + 28 + 12, "WINDOWS");
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
  disk.U32(0x1B8, 0x0E0E0E0E);
  disk.PutEntry(0, 0, Entry(0x05, 4, 12));
  disk.PutBootSignature(0);
  PutEbr(disk, 4, {Entry(0x83, 1, 2), Entry(0x05, 11, 1)});
  disk.U8(5 * static_cast<std::uint64_t>(sectorSize), 0x77);
  PutEbr(disk, 15, {Entry(0x82, 0, 1)});
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
