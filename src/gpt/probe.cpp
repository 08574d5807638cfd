#include "gpt/probe.h"

#include "gpt/boot_signatures.h"
#include "gpt/probe_kinds.h"
#include "gpt/probe_sector.h"
#include "gpt/superblocks.h"
#include "layout/boot_sector.h"
#include "layout/superblocks.h"

namespace disklens {

namespace {

constexpr std::uint64_t kIsoDescriptorLba = iso9660::kDescriptorLba;

std::int32_t JumpingBootSectorKind(ByteView sector) {
  const std::uint8_t jump = sector.U8(boot_sector::kJump);
  if (jump != 0xE9 && jump != 0xEB) return kKindNothing;
  // NTFS first, so that a sector naming both NTFS and FAT is NTFS.
  if (IsNtfsBootSector(sector)) return kKindNtfs;
  if (IsFat32BootSector(sector)) return IsBitLockerBootSector(sector) ? kKindBitLocker : kKindFat32;
  if (IsFatBootSector(sector)) return kKindFat;
  return kKindNothing;
}

std::int32_t RefsOrExfatKind(ByteView sector) {
  if (IsRefsBootSector(sector)) return kKindRefs;
  if (IsExfatBootSector(sector)) return kKindExfat;
  return kKindNothing;
}

bool HasLinuxLoaderMark(ByteView sector) {
  return IsGrubBootSector(sector) || IsLiloBootSector(sector) || IsSyslinuxBootSector(sector);
}

// Asks the device for its last sector and sector size; the answer is not used.
void AskLastSector(DiskDevice* disk, std::uint64_t lba) {
  if (disk->operation == nullptr) return;
  std::uint32_t lbaPair[2] = {static_cast<std::uint32_t>(lba),
                              static_cast<std::uint32_t>(lba >> 32)};
  std::uint32_t answer[3] = {0, 0, 0};
  disk->operation(disk, kRequestLastSector, lbaPair, 0, answer, sizeof answer);
}

}  // namespace

bool FourthSlotHoldsText(ByteView sector) {
  std::uint32_t count = 0;
  for (std::size_t i = 0x1EE; i <= 0x1FD && sector.Has(i, 1); ++i) {
    const std::uint8_t c = sector.U8(i);
    if (c == 0) continue;
    if ((c >= 0x20 && c <= 0x7E) || c == 0x0D || c == 0x0A) {
      ++count;
    } else {
      count = 0;
      break;
    }
  }
  return count > 0;
}

ProbeResult ProbePartition(DiskDevice* disk, std::uint64_t lba) {
  ProbeResult result;
  const bool wholeDisk = lba == 0;
  ProbeSectorBuffer buffer(disk);
  ByteView first;
  if (!ReadProbeSector(disk, lba, 0, buffer, first)) {
    result.status = kProbeUnreadable;
    return result;
  }

  std::int32_t kind = kKindNothing;
  if (HasBootSignature(first)) {
    kind = JumpingBootSectorKind(first);
    // A Linux loader in the boot sector hides the file system behind it.
    if (kind == kKindNothing && HasLinuxLoaderMark(first)) {
      kind = ProbeSuperblocks(disk, lba, first);
    }
    if (kind == kKindNothing) kind = RefsOrExfatKind(first);
    if (kind == kKindNothing && wholeDisk && FourthSlotHoldsText(first)) {
      kind = kKindUnrecognised;
    }
  } else {
    kind = ProbeSuperblocks(disk, lba, first);
    if (kind == kKindNothing) kind = RefsOrExfatKind(first);
  }

  if (kind == kKindNothing && wholeDisk) {
    // Only a sector actually read is looked at: an unreadable LBA 16 is no CD.
    ByteView descriptor;
    if (ReadProbeSector(disk, kIsoDescriptorLba, 0, buffer, descriptor) &&
        descriptor.Matches(iso9660::kStandardIdentifier, "CD001", 5)) {
      kind = kKindIso9660;
    }
  }

  if (kind == kKindNothing) {
    if (wholeDisk) {
      result.status = kProbeNothingAtLbaZero;
    } else {
      kind = kKindUnrecognised;
      AskLastSector(disk, lba);
    }
  }
  result.kind = kind;
  return result;
}

std::int32_t KindToPartitionType(std::int32_t kind) {
  switch (kind) {
    case kKindFat:
      return 0x06;
    case kKindNtfs:
    case kKindExfat:
    case kKindRefs:
    case kKindBitLocker:
      return 0x07;
    case kKindFat32:
      return 0x0B;
    case kKindSwap:
      return 0x82;
    case kKindExt:
    case kKindReiserFs:
    case kKindXfs:
      return 0x83;
    case kKindHfsPlus:
      return 0xAF;
    default:
      return -1;
  }
}

std::int32_t ProbePartitionType(DiskDevice* disk, std::uint32_t lbaLow, std::uint32_t lbaHigh,
                                std::uint16_t& id, std::int32_t* kind) {
  const ProbeResult result =
      ProbePartition(disk, (static_cast<std::uint64_t>(lbaHigh) << 32) | lbaLow);
  id = 0;
  if (kind != nullptr) *kind = result.status == kProbeOk ? result.kind : kKindNothing;
  if (result.status == kProbeOk) {
    const std::int32_t type = KindToPartitionType(result.kind);
    if (type > 0) id = static_cast<std::uint16_t>(type);
  }
  return result.status;
}

}  // namespace disklens
