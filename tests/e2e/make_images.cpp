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
#include "support/sparse_file.h"

namespace {

using disklens::test::DiskImage;
using disklens::test::Entry;
using disklens::test::MbrEntry;

bool Save(const DiskImage& image, const std::filesystem::path& path) {
  if (!disklens::test::MakeSizedFile(path, image.Bytes().size())) return false;
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  const std::size_t s = image.SectorSize();
  const std::vector<std::uint8_t>& bytes = image.Bytes();
  for (std::size_t at = 0; at < bytes.size(); at += s) {
    bool used = false;
    for (std::size_t i = at; i < at + s && i < bytes.size() && !used; ++i) used = bytes[i] != 0;
    if (!used) continue;
    out.seekp(static_cast<std::streamoff>(at));
    out.write(reinterpret_cast<const char*>(bytes.data() + at), static_cast<std::streamsize>(s));
  }
  out.close();
  return !out.fail();
}

// CHS bytes of `lba` on a disk of 255 heads and 63 sectors per track.
MbrEntry ChsEntry(std::uint8_t type, std::uint32_t start, std::uint32_t sectors,
                  std::uint8_t status = 0) {
  auto chs = [](std::uint32_t lba, std::uint8_t& head, std::uint8_t& sectorByte,
                std::uint8_t& cylinderByte) {
    const std::uint32_t cylinder = lba / (255 * 63);
    head = static_cast<std::uint8_t>(lba / 63 % 255);
    sectorByte = static_cast<std::uint8_t>((lba % 63 + 1) | ((cylinder >> 2) & 0xC0));
    cylinderByte = static_cast<std::uint8_t>(cylinder);
  };
  MbrEntry e{status, 0, 0, 0, type, 0, 0, 0, start, sectors};
  chs(start, e.startHead, e.startSectorByte, e.startCylinderByte);
  chs(start + sectors - 1, e.endHead, e.endSectorByte, e.endCylinderByte);
  return e;
}

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

void WriteTrailer(DiskImage& disk, std::uint64_t lastLba) {
  const std::uint64_t o = lastLba * disk.SectorSize();
  disk.Text(o, "IMG1");
  disk.U32(o + 0x04, 4194304);
  disk.U16(o + 0x08, 0x8001);
  disk.U16(o + 0x0A, 311);
  disk.U8(o + 0x0C, 7);
  disk.U8(o + 0x0D, 11);
  disk.U32(o + 0x0E, 1048576);
}

// Two primaries with CHS values, a chain of three EBRs and a partition with no
// boot sector.
DiskImage MbrWithChain() {
  DiskImage d(32768ull * 512);
  d.U32(0x1B8, 0x1A2B3C4D);
  d.PutEntry(0, 0, ChsEntry(0x06, 63, 4032, 0x80));
  d.PutEntry(0, 1, ChsEntry(0x07, 4096, 4096));
  d.PutEntry(0, 2, Entry(0x0F, 8192, 16384));
  d.PutEntry(0, 3, Entry(0x0E, 24576, 8000));
  d.PutBootSignature(0);
  disklens::test::WriteFat16Example(d, 63);
  disklens::test::WriteNtfsExample(d, 4096);

  d.PutEntry(8192, 0, Entry(0x0C, 63, 4000));
  d.PutEntry(8192, 1, Entry(0x05, 4096, 4096));
  d.PutBootSignature(8192);
  disklens::test::WriteFat32Example(d, 8255);
  disklens::test::WriteFat32Example(d, 8255 + 6);  // the backup copy
  d.U8((8255 + 6) * 512 + 0x47, 'X');               // which differs in its label

  d.PutEntry(12288, 0, Entry(0xDA, 63, 64));
  d.PutEntry(12288, 1, Entry(0x05, 8192, 100));
  d.PutBootSignature(12288);
  WriteTrailer(d, 12288 + 63 + 63);

  d.PutEntry(16384, 0, Entry(0x01, 1, 50));
  d.PutBootSignature(16384);
  WriteFat12(d, 16385);
  return d;
}

void EmbrTables(DiskImage& d) {
  std::uint64_t at = 512;
  d.Text(at, "EMBR");
  d.U8(at + 4, 1);
  d.U8(at + 5, 63);
  d.U8(at + 6, 62);
  d.U16(at + 8, 512);
  d.U16(at + 10, 1023);
  d.U8(at + 12, 254);
  d.U8(at + 13, 63);
  at += 18;
  d.Text(at, "MPT");
  d.U8(at + 3, 1);
  d.U8(at + 4, 3);
  at += 10;
  struct Part {
    const char* name;
    std::uint32_t start, end;
    std::uint8_t id, fs;
  };
  for (const Part& p : {Part{"SYSTEM", 63, 2047, 1, 0x07}, Part{"DATA", 2048, 4095, 2, 0x0B},
                        Part{"MORE", 4096, 8191, 3, 0x05}}) {
    d.U32(at + 2, p.start);
    d.U32(at + 6, p.end);
    d.U8(at + 10, p.id);
    d.U8(at + 11, p.fs);
    d.Text(at + 12, p.name);
    at += 28;
  }
  d.Text(at, "MBFT");
  d.U8(at + 4, 1);
  d.U8(at + 5, 1);
  at += 6;
  d.Text(at, "MENU");
  d.U16(at + 16, 0x7C0);
  d.U16(at + 18, 0x100);
  d.U16(at + 20, 0x2000);
  d.U8(at + 22, 16);
  d.U8(at + 23, 1);
  d.U8(at + 26, 2);
  at += 27 + 2;
  d.Text(at, "MDT");
  d.U8(at + 3, 1);
  d.U8(at + 4, 1);
  at += 16;
  d.U8(at, 1);
  d.U8(at + 1, 1);
  d.U8(at + 2, 8);
  d.U32(at + 4, 20);
  d.Text(at + 14, "DISK");
}

// An MBR, and an EMBR at LBA 1 whose MPT holds an extended partition.
DiskImage Embr() {
  DiskImage d(8192ull * 512);
  d.U32(0x1B8, 0x0BADCAFE);
  d.PutEntry(0, 0, ChsEntry(0x07, 63, 1985, 0x80));
  d.PutBootSignature(0);
  EmbrTables(d);
  disklens::test::WriteNtfsExample(d, 63);
  disklens::test::WriteFat32Example(d, 2048);
  disklens::test::WriteFat32Example(d, 2048 + 6);
  d.PutEntry(4096, 0, Entry(0x06, 63, 1000));
  d.PutBootSignature(4096);
  disklens::test::WriteFat16Example(d, 4159);
  return d;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A GUID in its text form to its 16 bytes on disk (first three groups little-endian).
void PutGuid(DiskImage& d, std::uint64_t at, const char* text) {
  auto hex = [&](int i) {
    const char c = text[i];
    return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  };
  auto byte = [&](int i) { return static_cast<std::uint8_t>(hex(i) << 4 | hex(i + 1)); };
  const int order[16] = {6, 4, 2, 0, 11, 9, 16, 14, 19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 16; ++i) d.U8(at + static_cast<std::uint64_t>(i), byte(order[i]));
}

struct GptPart {
  const char* type;
  const char* unique;
  std::uint64_t first, last;
  const char* name;
};

// A GPT with its backup, behind a protective MBR.
void WriteGpt(DiskImage& d, const char* diskGuid, const std::vector<GptPart>& parts) {
  const std::uint64_t s = d.SectorSize();
  const std::uint64_t sectors = d.Bytes().size() / s;
  const std::uint64_t arraySectors = (128 * 128 + s - 1) / s;
  d.PutEntry(0, 0, Entry(0xEE, 1, static_cast<std::uint32_t>(sectors - 1)));
  d.PutBootSignature(0);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::uint64_t e = 2 * s + 128 * (i + (i >= 2 ? 1 : 0));  // slot 2 stays unused
    PutGuid(d, e, parts[i].type);
    PutGuid(d, e + 16, parts[i].unique);
    d.U64(e + 32, parts[i].first);
    d.U64(e + 40, parts[i].last);
    for (std::size_t c = 0; parts[i].name[c] != '\0'; ++c) {
      d.U16(e + 56 + 2 * c, static_cast<std::uint8_t>(parts[i].name[c]));
    }
  }
  const std::uint32_t arrayCrc = Crc32(d.At(2 * s), 128 * 128);
  const std::uint64_t backupArray = sectors - 1 - arraySectors;
  std::copy(d.At(2 * s), d.At(2 * s) + 128 * 128, d.At(backupArray * s));
  for (const bool primary : {true, false}) {
    const std::uint64_t h = (primary ? 1 : sectors - 1) * s;
    d.Text(h, "EFI PART");
    d.U32(h + 8, 0x00010000);
    d.U32(h + 12, 92);
    d.U64(h + 24, primary ? 1 : sectors - 1);
    d.U64(h + 32, primary ? sectors - 1 : 1);
    d.U64(h + 40, 2 + arraySectors);
    d.U64(h + 48, backupArray - 1);
    PutGuid(d, h + 56, diskGuid);
    d.U64(h + 72, primary ? 2 : backupArray);
    d.U32(h + 80, 128);
    d.U32(h + 84, 128);
    d.U32(h + 88, arrayCrc);
    d.U32(h + 16, Crc32(d.At(h), 92));
  }
}

constexpr char kEsp[] = "C12A7328-F81F-11D2-BA4B-00A0C93EC93B";
constexpr char kBasicData[] = "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7";
constexpr char kReserved[] = "E3C9E316-0B5C-4DB8-817D-F92DF00215AE";
constexpr char kLinux[] = "0FC63DAF-8483-4772-8E79-3D69D8477DE4";
constexpr char kSwap[] = "0657FD6D-A4AB-43C4-84E5-0933C84B4F4F";

DiskImage Gpt512() {
  DiskImage d(16384ull * 512);
  WriteGpt(d, "5C2E1A07-3B4D-4E6F-8091-A2B3C4D5E6F7",
           {{kEsp, "11111111-2222-4333-8444-555555555555", 2048, 4095, "EFI system partition"},
            {kReserved, "21111111-2222-4333-8444-555555555555", 4096, 4351,
             "Microsoft reserved partition"},
            {kBasicData, "31111111-2222-4333-8444-555555555555", 4352, 8191,
             "Basic data partition"},
            {kLinux, "41111111-2222-4333-8444-555555555555", 8192, 12287, "Linux root"},
            {kSwap, "51111111-2222-4333-8444-555555555555", 12288, 14335, "swap"}});
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
           {{kBasicData, "12121212-3434-4565-8787-989898989898", 256, 511, "Data"},
            {kLinux, "23232323-3434-4565-8787-989898989898", 512, 767, "Home"}});
  disklens::test::WriteFat16Example(d, 256);
  d.U16(512ull * 4096 + 1024 + 0x38, 0xEF53);
  return d;
}

// A disk whose table points past its end: the EBR and a boot sector can't be read.
DiskImage Truncated() {
  DiskImage d(8 * 512);
  d.U32(0x1B8, 0xDEADBEEF);
  d.PutEntry(0, 0, ChsEntry(0x06, 100, 2000));
  d.PutEntry(0, 1, Entry(0x05, 5000, 1000));
  d.PutBootSignature(0);
  return d;
}

// A disk of `bytes` bytes that holds only `pieces`, each at its LBA (512-byte
// sectors): disks over 2 TiB as sparse files.
struct Piece {
  std::uint64_t lba;
  DiskImage sectors;
};

bool SaveSparse(std::uint64_t bytes, const std::vector<Piece>& pieces,
                const std::filesystem::path& path) {
  if (!disklens::test::MakeSizedFile(path, bytes)) return false;
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  for (const Piece& p : pieces) {
    out.seekp(static_cast<std::streamoff>(p.lba * 512));
    out.write(reinterpret_cast<const char*>(p.sectors.Bytes().data()),
              static_cast<std::streamsize>(p.sectors.Bytes().size()));
  }
  out.close();
  return !out.fail();
}

constexpr std::uint64_t k2To32 = 0x100000000ull;

// An extended chain from 4,096 sectors below 2^32 to 2,048 above it, named by
// the MBR and by an MPT entry; at LBA 2048, where 32-bit sums would land, an
// EBR that must not show.
bool SaveChainPast2To32(const std::filesystem::path& path) {
  constexpr std::uint32_t base = 0xFFFFF000u;
  DiskImage head(4 * 512);
  head.U32(0x1B8, 0x2B2B2B2B);
  head.PutEntry(0, 0, Entry(0x05, base, 8192));
  head.PutBootSignature(0);
  head.Text(512, "EMBR");
  head.Text(512 + 18, "MPT");
  head.U8(512 + 21, 1);
  head.U8(512 + 22, 1);
  head.U32(512 + 28 + 2, base);
  head.U32(512 + 28 + 6, 0xFFFFFFFFu);
  head.U8(512 + 28 + 10, 7);
  head.U8(512 + 28 + 11, 0x05);
  head.Text(512 + 28 + 12, "BIG");
  DiskImage first(1024);
  first.PutEntry(0, 0, Entry(0x07, 1, 2047));
  first.PutEntry(0, 1, Entry(0x05, 0x1800, 2048));
  first.PutBootSignature(0);
  disklens::test::WriteNtfsExample(first, 1);
  DiskImage second(1024);
  second.PutEntry(0, 0, Entry(0x06, 1, 2047));
  second.PutBootSignature(0);
  disklens::test::WriteFat16Example(second, 1);
  DiskImage decoy(1024);
  decoy.PutEntry(0, 0, Entry(0x0B, 1, 99));
  decoy.PutBootSignature(0);
  return SaveSparse((k2To32 + 8192) * 512,
                    {{0, head}, {2048, decoy}, {base, first}, {k2To32 + 2048, second}}, path);
}

// A GPT whose second entry starts at 2^32 + 2048 on a disk of 2 TiB + 8 MiB,
// with its backup; at LBA 2048, where the start cut to 32 bits points, FAT16.
bool SaveGptPast2To32(const std::filesystem::path& path) {
  constexpr std::uint64_t sectors = k2To32 + 16384;
  // The GPT laid out on a small disk, then moved: the headers point at the big one's end.
  DiskImage small(128 * 512);
  WriteGpt(small, "7E4F3C29-5D6F-4081-A2B3-C4D5E6F70819",
           {{kBasicData, "61111111-2222-4333-8444-555555555555", 40, 47, "low"},
            {kBasicData, "71111111-2222-4333-8444-555555555555", k2To32 + 2048, k2To32 + 6143,
             "high"}});
  small.PutEntry(0, 0, Entry(0xEE, 1, 0xFFFFFFFFu));
  const std::uint64_t arraySectors = 32;
  const std::uint64_t backupArray = sectors - 1 - arraySectors;
  DiskImage head(34 * 512);
  std::copy(small.Bytes().begin(), small.Bytes().begin() + 34 * 512, head.Bytes().begin());
  DiskImage tail(33 * 512);
  std::copy(small.At(2 * 512), small.At(34 * 512), tail.At(0));
  for (const bool primary : {true, false}) {
    DiskImage& d = primary ? head : tail;
    const std::uint64_t h = primary ? 512 : 32 * 512;
    if (!primary) std::copy(small.At(512), small.At(512) + 512, d.At(h));
    d.U64(h + 24, primary ? 1 : sectors - 1);
    d.U64(h + 32, primary ? sectors - 1 : 1);
    d.U64(h + 48, backupArray - 1);
    d.U64(h + 72, primary ? 2 : backupArray);
    d.U32(h + 16, 0);
    d.U32(h + 16, Crc32(d.At(h), 92));
  }
  DiskImage low(512);
  disklens::test::WriteNtfsExample(low, 0);
  DiskImage decoy(512);
  disklens::test::WriteFat16Example(decoy, 0);
  DiskImage high(512);
  disklens::test::WriteNtfsExample(high, 0);
  high.U64(0x48, 0x1122334455667788ull);  // its own serial number
  return SaveSparse(sectors * 512,
                    {{0, head}, {40, low}, {2048, decoy}, {k2To32 + 2048, high},
                     {backupArray, tail}},
                    path);
}

bool SaveHostile(const disklens::test::hostile::HostileImage& image,
                 const std::filesystem::path& path) {
  DiskImage d(image.bytes.size(), image.sectorSize);
  d.Bytes() = image.bytes;
  return Save(d, path);
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
  const bool ok = Save(MbrWithChain(), dir / "mbr-chain.img") && Save(Embr(), dir / "embr.img") &&
                  Save(Gpt512(), dir / "gpt.img") && Save(Gpt4096(), dir / "gpt-4k.img") &&
                  Save(Truncated(), dir / "truncated.img") &&
                  SaveHostile(disklens::test::hostile::EbrInTheLastSector(), dir / "ebr-last.img") &&
                  SaveHostile(disklens::test::hostile::MptEndBelowStart(), dir / "mpt-backwards.img") &&
                  SaveHostile(disklens::test::hostile::AmplifiedChain(4096), dir / "amplified.img") &&
                  SaveChainPast2To32(dir / "chain-2to32.img") &&
                  SaveGptPast2To32(dir / "gpt-2to32.img");
  if (!ok) std::fprintf(stderr, "could not write the images to %s\n", argv[1]);
  return ok ? 0 : 1;
}
