#include "bootsector/exfat_boot_sector.h"

#include <bit>
#include <cstring>

#include "layout/exfat.h"

namespace disklens {

ExfatBootSector DecodeExfatBootSector(ByteView s) {
  ExfatBootSector b;
  b.partitionOffset = s.U64(exfat::kPartitionOffset);
  b.volumeLength = s.U64(exfat::kVolumeLength);
  b.fatOffset = s.U32(exfat::kFatOffset);
  b.fatLength = s.U32(exfat::kFatLength);
  b.clusterHeapOffset = s.U32(exfat::kClusterHeapOffset);
  b.clusterCount = s.U32(exfat::kClusterCount);
  b.firstClusterOfRootDirectory = s.U32(exfat::kFirstClusterOfRootDirectory);
  b.volumeSerialNumber = s.U32(exfat::kVolumeSerialNumber);
  b.fileSystemRevision = s.U16(exfat::kFileSystemRevision);
  b.volumeFlags = s.U16(exfat::kVolumeFlags);
  b.bytesPerSectorShift = s.U8(exfat::kBytesPerSectorShift);
  b.sectorsPerClusterShift = s.U8(exfat::kSectorsPerClusterShift);
  b.numberOfFats = s.U8(exfat::kNumberOfFats);
  b.driveSelect = s.U8(exfat::kDriveSelect);
  b.percentInUse = s.U8(exfat::kPercentInUse);
  b.bootSignature = s.U16(exfat::kBootSignature);
  return b;
}

std::uint32_t ExfatSectorSize(const ExfatBootSector& b) {
  if (b.bytesPerSectorShift < exfat::kMinSectorShift ||
      b.bytesPerSectorShift > exfat::kMaxSectorShift) {
    return 0;
  }
  return 1u << b.bytesPerSectorShift;
}

std::uint32_t ExfatSectorsPerCluster(const ExfatBootSector& b) {
  // Checked apart from the sector shift so that a wild byte never shifts past 31.
  if (b.sectorsPerClusterShift > exfat::kMaxClusterShift - exfat::kMinSectorShift) return 0;
  if (ExfatSectorSize(b) != 0 &&
      b.bytesPerSectorShift + b.sectorsPerClusterShift > exfat::kMaxClusterShift) {
    return 0;
  }
  return 1u << b.sectorsPerClusterShift;
}

namespace {

std::uint64_t Word(const std::uint8_t* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Eight bytes into the sum.
std::uint32_t AddWord(std::uint32_t sum, const std::uint8_t* p) {
  if (Word(p) == 0) return std::rotr(sum, 8);
  for (int i = 0; i < 8; ++i) sum = std::rotr(sum, 1) + p[i];
  return sum;
}

// The sum over [from, to): rotate right by one bit, then add the byte. A zero
// byte only rotates, so eight of them rotate by eight at once and 64 leave
// the sum as it was; the regions mkfs and Windows write are mostly zeros, and
// the sum is serial otherwise.
std::uint32_t AddStretch(std::uint32_t sum, const std::uint8_t* from, const std::uint8_t* to) {
  const std::uint8_t* p = from;
  for (; to - p >= 64; p += 64) {
    const std::uint64_t any = Word(p) | Word(p + 8) | Word(p + 16) | Word(p + 24) | Word(p + 32) |
                              Word(p + 40) | Word(p + 48) | Word(p + 56);
    if (any == 0) continue;
    for (int i = 0; i < 64; i += 8) sum = AddWord(sum, p + i);
  }
  for (; to - p >= 8; p += 8) sum = AddWord(sum, p);
  for (; p < to; ++p) sum = std::rotr(sum, 1) + *p;
  return sum;
}

}  // namespace

std::uint32_t ExfatBootChecksum(ByteView region, std::uint32_t sectorSize) {
  const std::size_t length = static_cast<std::size_t>(sectorSize) * exfat::kChecksumSector;
  if (!region.Has(0, length)) return 0;
  // Three stretches around the bytes the sum skips (VolumeFlags, PercentInUse).
  static_assert(exfat::kVolumeFlags + 2 <= exfat::kPercentInUse);
  const std::uint8_t* const d = region.data;
  std::uint32_t sum = AddStretch(0, d, d + exfat::kVolumeFlags);
  sum = AddStretch(sum, d + exfat::kVolumeFlags + 2, d + exfat::kPercentInUse);
  return AddStretch(sum, d + exfat::kPercentInUse + 1, d + length);
}

std::vector<std::string> ExfatDifferingFields(const ExfatBootSector& a, const ExfatBootSector& b) {
  std::vector<std::string> names;
  const auto differ = [&names](bool differs, const char* name) {
    if (differs) names.emplace_back(name);
  };
  differ(a.partitionOffset != b.partitionOffset, "partition_offset");
  differ(a.volumeLength != b.volumeLength, "volume_length");
  differ(a.fatOffset != b.fatOffset, "fat_offset");
  differ(a.fatLength != b.fatLength, "fat_length");
  differ(a.clusterHeapOffset != b.clusterHeapOffset, "cluster_heap_offset");
  differ(a.clusterCount != b.clusterCount, "cluster_count");
  differ(a.firstClusterOfRootDirectory != b.firstClusterOfRootDirectory,
         "first_cluster_of_root_directory");
  differ(a.volumeSerialNumber != b.volumeSerialNumber, "volume_serial_number");
  differ(a.fileSystemRevision != b.fileSystemRevision, "file_system_revision");
  differ(a.bytesPerSectorShift != b.bytesPerSectorShift, "bytes_per_sector_shift");
  differ(a.sectorsPerClusterShift != b.sectorsPerClusterShift, "sectors_per_cluster_shift");
  differ(a.numberOfFats != b.numberOfFats, "number_of_fats");
  differ(a.driveSelect != b.driveSelect, "drive_select");
  differ(a.bootSignature != b.bootSignature, "boot_signature");
  return names;
}

}  // namespace disklens
