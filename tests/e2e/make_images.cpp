// Writes the disk images of the end-to-end check into the directory given as
// the only argument: MBR with EBR chains, EMBR, GPT on 512- and 4096-byte
// sectors, a truncated disk, and a boot sector for every decoder. Only the
// sectors that hold something are written; the rest stay holes of the file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bootsector/example_sectors.h"
#include "hostile/chain_pass_images.h"
#include "hostile/hostile_images.h"
#include "support/disk_image.h"
#include "support/embr_image.h"
#include "support/gpt_image.h"
#include "support/image_save.h"
#include "support/trailer_image.h"

namespace {

using disklens::test::ChsEntry;
using disklens::test::DiskImage;
using disklens::test::Entry;
using disklens::test::GptEntryFields;
using disklens::test::GptHeaderFields;
using disklens::test::Piece;
using disklens::test::SaveImage;

void WriteFat12(DiskImage& disk, std::uint64_t lba) {
  disklens::test::WriteFat16Example(disk, lba);
  const std::uint64_t o = lba * disk.SectorSize();
  disk.U8(o + 0x0D, 4);
  disk.U16(o + 0x13, 2880);
  disk.U8(o + 0x15, 0xF0);
  disk.U16(o + 0x16, 9);
  disk.Text(o + 0x2B, "BOOT FLOPPY");
  disk.Text(o + 0x36, "FAT12   ");
}

// Two primaries with CHS values, a chain of three EBRs and a partition with no
// boot sector.
DiskImage MbrWithChain() {
  DiskImage d(32768ull * 512);
  d.PutDiskSignature(0x1A2B3C4D);
  d.PutTable(0, {ChsEntry(0x06, 63, 4032, 0x80), ChsEntry(0x07, 4096, 4096), Entry(0x0F, 8192, 16384),
                 Entry(0x0E, 24576, 8000)});
  disklens::test::WriteFat16Example(d, 63);
  disklens::test::WriteNtfsExample(d, 4096);

  d.PutTable(8192, {Entry(0x0C, 63, 4000), Entry(0x05, 4096, 4096)});
  disklens::test::WriteFat32Example(d, 8255);
  disklens::test::WriteFat32Example(d, 8255 + 6);  // the backup copy
  d.U8((8255 + 6) * 512 + 0x47, 'X');               // which differs in its label

  d.PutTable(12288, {Entry(0xDA, 63, 64), Entry(0x05, 8192, 100)});
  disklens::test::PutImageTrailer(d, 12288 + 63 + 63, {"IMG1", 4194304, 0x8001, 311, 7, 11, 1048576});

  d.PutTable(16384, {Entry(0x01, 1, 50)});
  WriteFat12(d, 16385);
  return d;
}

// An MBR, and an EMBR at LBA 1 whose MPT holds an extended partition.
DiskImage Embr() {
  DiskImage d(8192ull * 512);
  d.PutDiskSignature(0x0BADCAFE);
  d.PutTable(0, {ChsEntry(0x07, 63, 1985, 0x80)});
  disklens::test::Embr embr;
  embr.mpt = {{0, 63, 2047, 1, 0x07, "SYSTEM"}, {0, 2048, 4095, 2, 0x0B, "DATA"},
              {0, 4096, 8191, 3, 0x05, "MORE"}};
  embr.mbft = {{{"MENU", 0x7C0, 0x100, 0x2000, 16, 1, 2}}};
  embr.mdt = {{{1, 1, 8, 20, "DISK", 0}}};
  disklens::test::PutEmbr(d, 512, embr);
  disklens::test::WriteNtfsExample(d, 63);
  disklens::test::WriteFat32Example(d, 2048);
  disklens::test::WriteFat32Example(d, 2048 + 6);
  d.PutTable(4096, {Entry(0x06, 63, 1000)});
  disklens::test::WriteFat16Example(d, 4159);
  return d;
}

using disklens::test::kBasicDataType;
using disklens::test::kEspType;
using disklens::test::kLinuxType;
using disklens::test::kMsReservedType;
using disklens::test::kSwapType;

// A GPT with its backup behind a protective MBR; slot 2 of Gpt512 stays unused.
void WriteGpt(DiskImage& d, const char* diskGuid, const std::vector<GptEntryFields>& entries) {
  disklens::test::PutProtectiveMbr(d, d.Bytes().size() / d.SectorSize());
  GptHeaderFields f;
  f.diskGuid = diskGuid;
  disklens::test::WriteGptWithBackup(d, f, entries);
}

DiskImage Gpt512() {
  DiskImage d(16384ull * 512);
  WriteGpt(d, "5C2E1A07-3B4D-4E6F-8091-A2B3C4D5E6F7",
           {{0, kEspType, "11111111-2222-4333-8444-555555555555", 2048, 4095, 0, u"EFI system partition"},
            {1, kMsReservedType, "21111111-2222-4333-8444-555555555555", 4096, 4351, 0,
             u"Microsoft reserved partition"},
            {3, kBasicDataType, "31111111-2222-4333-8444-555555555555", 4352, 8191, 0,
             u"Basic data partition"},
            {4, kLinuxType, "41111111-2222-4333-8444-555555555555", 8192, 12287, 0, u"Linux root"},
            {5, kSwapType, "51111111-2222-4333-8444-555555555555", 12288, 14335, 0, u"swap"}});
  disklens::test::WriteFat32Example(d, 2048);
  disklens::test::WriteFat32Example(d, 2048 + 6);
  disklens::test::WriteNtfsExample(d, 4352);
  d.U16(8192ull * 512 + 1024 + 0x38, 0xEF53);  // ext superblock magic
  d.Text(12288ull * 512 + 4096 - 10, "SWAPSPACE2");
  return d;
}

DiskImage Gpt4096() {
  DiskImage d(1024ull * 4096, 4096);
  WriteGpt(d, "6D3F2B18-4C5E-4F70-91A2-B3C4D5E6F708",
           {{0, kBasicDataType, "12121212-3434-4565-8787-989898989898", 256, 511, 0, u"Data"},
            {1, kLinuxType, "23232323-3434-4565-8787-989898989898", 512, 767, 0, u"Home"}});
  disklens::test::WriteFat16Example(d, 256);
  d.U16(512ull * 4096 + 1024 + 0x38, 0xEF53);
  return d;
}

// A disk whose table points past its end: the EBR and a boot sector can't be read.
DiskImage Truncated() {
  DiskImage d(8 * 512);
  d.PutDiskSignature(0xDEADBEEF);
  d.PutTable(0, {ChsEntry(0x06, 100, 2000), Entry(0x05, 5000, 1000)});
  return d;
}

constexpr std::uint64_t k2To32 = 0x100000000ull;

// An extended chain from 4,096 sectors below 2^32 to 2,048 above it, named by
// the MBR and by an MPT entry; at LBA 2048, where 32-bit sums would land, an
// EBR that must not show.
bool SaveChainPast2To32(const std::filesystem::path& path) {
  constexpr std::uint32_t base = 0xFFFFF000u;
  DiskImage head(4 * 512);
  head.PutDiskSignature(0x2B2B2B2B);
  head.PutTable(0, {Entry(0x05, base, 8192)});
  // An EMBR mark with a header of zeros, and the MPT alone.
  disklens::test::Embr embr = disklens::test::WithZeroHeader();
  embr.mpt = {{0, base, 0xFFFFFFFFu, 7, 0x05, "BIG"}};
  disklens::test::PutEmbr(head, 512, embr);
  DiskImage first(1024);
  first.PutTable(0, {Entry(0x07, 1, 2047), Entry(0x05, 0x1800, 2048)});
  disklens::test::WriteNtfsExample(first, 1);
  DiskImage second(1024);
  second.PutTable(0, {Entry(0x06, 1, 2047)});
  disklens::test::WriteFat16Example(second, 1);
  DiskImage decoy(1024);
  decoy.PutTable(0, {Entry(0x0B, 1, 99)});
  return disklens::test::SavePieces((k2To32 + 8192) * 512,
                                    {{0, head}, {2048, decoy}, {base, first}, {k2To32 + 2048, second}},
                                    path);
}

// A GPT whose second entry starts at 2^32 + 2048 on a disk of 2 TiB + 8 MiB,
// with its backup; at LBA 2048, where the start cut to 32 bits points, FAT16.
bool SaveGptPast2To32(const std::filesystem::path& path) {
  constexpr std::uint64_t sectors = k2To32 + 16384;
  GptHeaderFields f;
  f.diskGuid = "7E4F3C29-5D6F-4081-A2B3-C4D5E6F70819";
  f.alternateLba = sectors - 1;
  f = disklens::test::Resolved(f, sectors, 512);
  const std::vector<GptEntryFields> entries = {
      {0, kBasicDataType, "61111111-2222-4333-8444-555555555555", 40, 47, 0, u"low"},
      {1, kBasicDataType, "71111111-2222-4333-8444-555555555555", k2To32 + 2048, k2To32 + 6143, 0,
       u"high"}};
  // The primary copy in the disk's first 34 sectors, the backup in its last 33.
  DiskImage head(34 * 512);
  disklens::test::PutProtectiveMbr(head, sectors);
  disklens::test::WriteGpt(head.Bytes(), 512, f, entries);
  const std::uint64_t backupArray = sectors - 1 - 32;
  DiskImage tail(33 * 512);
  disklens::test::WriteBackupGpt(tail.Bytes(), 512, f, entries, backupArray);
  DiskImage low(512);
  disklens::test::WriteNtfsExample(low, 0);
  DiskImage decoy(512);
  disklens::test::WriteFat16Example(decoy, 0);
  DiskImage high(512);
  disklens::test::WriteNtfsExample(high, 0);
  high.U64(0x48, 0x1122334455667788ull);  // its own serial number
  return disklens::test::SavePieces(
      sectors * 512,
      {{0, head}, {40, low}, {2048, decoy}, {k2To32 + 2048, high}, {backupArray, tail}}, path);
}

bool SaveHostile(const disklens::test::hostile::HostileImage& image,
                 const std::filesystem::path& path) {
  DiskImage d(0, image.sectorSize);
  d.Bytes() = image.bytes;
  return SaveImage(d, path);
}
// Every image of the hostile corpus that a file can hold (failing reads need
// the in-memory platform), and list.txt naming each as a DISKLENS_DISKS entry.
bool SaveHostileCorpus(const std::filesystem::path& dir) {
  std::ofstream list(dir / "list.txt");
  int n = 0;
  for (const auto& image : disklens::test::hostile::AllHostileImages()) {
    if (!image.failingLbas.empty()) continue;
    const std::string name = "hostile-" + std::to_string(n++) + ".img";
    if (!SaveHostile(image, dir / name)) return false;
    list << name << "@" << image.sectorSize << "\n";
  }
  return static_cast<bool>(list);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--hostile") {
    std::error_code ec;
    std::filesystem::create_directories(argv[2], ec);
    return SaveHostileCorpus(argv[2]) ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s [--hostile] DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const bool ok = SaveImage(MbrWithChain(), dir / "mbr-chain.img") && SaveImage(Embr(), dir / "embr.img") &&
                  SaveImage(Gpt512(), dir / "gpt.img") && SaveImage(Gpt4096(), dir / "gpt-4k.img") &&
                  SaveImage(Truncated(), dir / "truncated.img") &&
                  SaveHostile(disklens::test::hostile::EbrInTheLastSector(), dir / "ebr-last.img") &&
                  SaveHostile(disklens::test::hostile::MptEndBelowStart(), dir / "mpt-backwards.img") &&
                  SaveHostile(disklens::test::hostile::AmplifiedChain(4096), dir / "amplified.img") &&
                  SaveChainPast2To32(dir / "chain-2to32.img") &&
                  SaveGptPast2To32(dir / "gpt-2to32.img");
  if (!ok) std::fprintf(stderr, "could not write the images to %s\n", argv[1]);
  return ok ? 0 : 1;
}
