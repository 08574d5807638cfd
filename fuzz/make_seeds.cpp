// Writes the fuzz seed corpus into the directory given as the one argument:
// compact versions of the layouts the test suite builds (MBR with chains,
// EMBR, GPT with every file system the probe knows, both sector sizes) and
// every hostile image that fits the fuzzer's input size, and the disks of
// check_seeds.h, each with one fault that --check names, and the exFAT,
// BitLocker and ReFS volumes of volume_seeds.h.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check_seeds.h"
#include "volume_seeds.h"
#include "fuzz_input.h"
#include "hostile/chain_pass_images.h"
#include "hostile/hostile_images.h"
#include "support/embr_image.h"

namespace {

using disklens::fuzz::EncodeFuzzInput;
using disklens::fuzz::FuzzDisk;
using disklens::test::DiskImage;
using disklens::test::Entry;
using disklens::test::GptEntryFields;
using disklens::test::GptHeaderFields;
namespace hostile = disklens::test::hostile;

// Inputs above this are left out; the fuzz run's -max_len is the same.
constexpr std::size_t kMaxInput = 256 * 1024;

struct Seed {
  std::string name;
  FuzzDisk disk;
};

Seed FromImage(const std::string& name, const DiskImage& image, bool sealGpt = false) {
  FuzzDisk disk;
  disk.sectorSize = image.SectorSize();
  disk.bytes = image.Bytes();
  disk.sealGpt = sealGpt;
  return Seed{name, disk};
}

// An MBR with FAT16, NTFS and an extended partition whose two EBRs hold FAT32
// and an image partition; the FAT32 boot sector has its backup.
DiskImage MbrWithChain(std::uint32_t sectorSize) {
  DiskImage disk((sectorSize == 512 ? 96 : 48) * static_cast<std::size_t>(sectorSize), sectorSize);
  const std::uint32_t s = sectorSize;
  disk.PutDiskSignature(0x1A2B3C4D);
  disk.PutTable(0, {Entry(0x06, 4, 4, 0x80), Entry(0x07, 8, 4), Entry(0x0F, 16, 64)});
  disklens::test::WriteFat16Example(disk, 4);
  disklens::test::WriteNtfsExample(disk, 8);
  disk.PutTable(16, {Entry(0x0B, 2, 10), Entry(0x05, 20, 30)});
  disklens::test::WriteFat32Example(disk, 18);
  disklens::test::WriteFat32Example(disk, 24);
  disk.PutTable(36, {Entry(0xDA, 2, 8)});
  disk.Text(45 * static_cast<std::uint64_t>(s), "IMG1");
  return disk;
}

// The EMBR of the worked example, with an extended MPT entry for "/all".
DiskImage EmbrExample() {
  DiskImage disk(96 * 512);
  disklens::test::Embr embr;
  for (std::uint8_t k = 0; k < 3; ++k) {
    const std::uint32_t start = 70 + 4u * k;
    const std::uint8_t types[3] = {0x07, 0x0B, 0x15};
    embr.mpt.push_back({0, start, start + 3, static_cast<std::uint8_t>(k + 1), types[k], "PART"});
  }
  embr.mbft = std::vector<disklens::test::MbftRow>{{"MENU", 0x7C0, 0, 0, 0, 0, 3}};
  embr.mdt = std::vector<disklens::test::MdtRow>{{0, 0, 0, 0, "DISK", 0}};
  disklens::test::PutEmbr(disk, 512, embr);
  disklens::test::WriteNtfsExample(disk, 70);
  disklens::test::WriteFat32Example(disk, 74);
  disk.PutTable(78, {Entry(0x06, 1, 2)});
  disklens::test::WriteFat16Example(disk, 79);
  return disk;
}

// A GPT whose partitions hold each kind of content that the probe tells apart.
DiskImage GptOfEveryKind(std::uint32_t s) {
  const std::uint64_t sectors = s == 512 ? 300 : 40;
  const std::uint64_t p0 = s == 512 ? 40 : 8;  // first partition
  const std::uint64_t step = s == 512 ? 16 : 2;
  const std::vector<std::string> kinds = {"ntfs", "fat32", "fat16", "ext4", "xfs", "swap",
                                          "hfs",  "exfat", "refs",  "bitlocker", "grub"};
  std::vector<GptEntryFields> entries;
  for (std::uint32_t i = 0; i < kinds.size(); ++i) {
    const std::uint64_t start = p0 + step * i;
    entries.push_back({i, hostile::kBasicData, hostile::kUniqueA, start, start + step - 1, i,
                       std::u16string(kinds[i].begin(), kinds[i].end())});
  }
  entries.push_back({20, hostile::kBasicData, hostile::kUniqueB, 0, sectors - 1, 0, u"whole"});
  DiskImage disk(sectors * s, s);
  disk.PutTable(0, {Entry(0xEE, 1, static_cast<std::uint32_t>(sectors - 1))});
  GptHeaderFields f;
  f.alternateLba = sectors - 1;
  f.firstUsableLba = s == 512 ? 34 : 6;
  f.lastUsableLba = sectors - f.firstUsableLba;
  disklens::test::WriteGpt(disk.Bytes(), s, f, entries);
  auto at = [&](std::size_t i) { return (p0 + step * i) * s; };
  disklens::test::WriteNtfsExample(disk, p0);
  disklens::test::WriteFat32Example(disk, p0 + step);
  disklens::test::WriteFat16Example(disk, p0 + 2 * step);
  disk.U16(at(3) + 1024 + 0x38, 0xEF53);
  disk.Text(at(4), "XFSB");
  disk.Text(at(5) + 4096 - 10, "SWAPSPACE2");
  disk.Text(at(6) + 1024, "H+");
  disk.Text(at(7) + 3, "EXFAT   ");
  disk.PutBootSignature(p0 + 7 * step);
  disk.Text(at(8) + 3, std::string("ReFS\0\0\0\0", 8));
  disk.U8(at(9), 0xEB);
  disk.Text(at(9) + 3, "-FVE-FS-");
  disk.Text(at(9) + 0x52, "FAT32   ");
  disk.PutBootSignature(p0 + 9 * step);
  disk.U8(at(10), 0xEB);
  disk.U8(at(10) + 1, 0x63);
  disk.Text(at(10) + 0x180, "GRUB");
  disk.PutBootSignature(p0 + 10 * step);
  disklens::test::SealGpt(disk.Bytes(), s);
  return disk;
}

// A GPT entry at 2^32 + 40, whose start cut to 32 bits is that of the entry
// beside it, which the disk holds.
DiskImage GptEntryPast2To32() {
  GptHeaderFields f;
  const std::vector<GptEntryFields> entries = {
      {0, hostile::kBasicData, hostile::kUniqueA, 0x100000028ull, 0x100000FFFull, 0, u"high"},
      {1, hostile::kBasicData, hostile::kUniqueB, 40, 60, 0, u"low"}};
  DiskImage disk = hostile::GptDisk(f, entries);
  disklens::test::WriteNtfsExample(disk, 40);
  return disk;
}

bool Write(const std::filesystem::path& dir, const Seed& seed) {
  const std::vector<std::uint8_t> input = EncodeFuzzInput(seed.disk);
  if (input.size() > kMaxInput) return true;
  std::ofstream out(dir / seed.name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  std::vector<Seed> seeds = {
      FromImage("mbr_chain_512", MbrWithChain(512)),
      FromImage("mbr_chain_4096", MbrWithChain(4096)),
      FromImage("embr_example", EmbrExample()),
      FromImage("gpt_every_kind_512", GptOfEveryKind(512), true),
      FromImage("gpt_every_kind_4096", GptOfEveryKind(4096), true),
      FromImage("gpt_entry_past_2to32", GptEntryPast2To32(), true),
  };
  // One chain named by the MBR and 255 MPT entries; a real chain named twice.
  for (const hostile::HostileImage& image : {hostile::AmplifiedChain(300), hostile::RealChain(40)}) {
    Seed seed{image.name, {}};
    seed.disk.bytes = image.bytes;
    seeds.push_back(seed);
  }
  Seed win9x = seeds[0];
  win9x.name = "mbr_chain_win9x";
  win9x.disk.win9x = true;
  seeds.push_back(win9x);
  for (const std::uint32_t call : {2u, 4u, 7u}) {
    Seed failing = seeds[call == 7u ? 3 : 0];
    failing.name += "_failing_read_call_" + std::to_string(call);
    failing.disk.failingReadCall = call;
    seeds.push_back(failing);
  }
  for (disklens::fuzz::CheckSeed& check : disklens::fuzz::CheckSeeds()) {
    seeds.push_back(FromImage(check.name, check.disk));
  }
  for (const auto& [name, image] : disklens::fuzz::VolumeSeedImages()) {
    seeds.push_back(FromImage(name, image));
  }
  for (const hostile::HostileImage& image : hostile::AllHostileImages()) {
    Seed seed;
    seed.name = "hostile_" + image.name;
    seed.disk.sectorSize = image.sectorSize;
    seed.disk.bytes = image.bytes;
    seed.disk.sealGpt = image.name.find("gpt") != std::string::npos;
    if (!image.failingLbas.empty()) {
      if (*image.failingLbas.begin() > 0xFFFF) continue;
      seed.disk.failingLba = *image.failingLbas.begin();
    }
    seeds.push_back(seed);
  }
  std::size_t written = 0;
  for (const Seed& seed : seeds) {
    if (!Write(dir, seed)) {
      std::fprintf(stderr, "cannot write %s\n", seed.name.c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%zu seeds in %s\n", written, dir.string().c_str());
  return 0;
}
