#include "mbr_tables.h"

namespace disklens::sample {
namespace {

constexpr std::uint32_t kHeads = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;

// The three CHS bytes of an LBA; past cylinder 1023 the usual 1023/254/63 stands in.
void PutChs(Bytes& b, std::size_t offset, std::uint32_t lba) {
  std::uint32_t cylinder = lba / (kHeads * kSectorsPerTrack);
  std::uint32_t head = (lba / kSectorsPerTrack) % kHeads;
  std::uint32_t sector = lba % kSectorsPerTrack + 1;
  if (cylinder > 1023) {
    cylinder = 1023;
    head = 254;
    sector = 63;
  }
  Put8(b, offset, head);
  Put8(b, offset + 1, sector | ((cylinder >> 8) << 6));
  Put8(b, offset + 2, cylinder & 0xFF);
}

void PutName(Bytes& b, std::size_t offset, const std::string& name) {
  PutText(b, offset, name.substr(0, 16));
}

}  // namespace

void PutMbrEntry(Bytes& sector, int index, const MbrEntry& entry) {
  const std::size_t at = 446 + 16 * static_cast<std::size_t>(index);
  Put8(sector, at, entry.status);
  PutChs(sector, at + 1, entry.firstLba);
  Put8(sector, at + 4, entry.type);
  PutChs(sector, at + 5, entry.lastLba);
  Put32(sector, at + 8, entry.storedLba);
  Put32(sector, at + 12, entry.sectors);
}

Bytes BuildEmbr(const Embr& embr) {
  Bytes b(kSectorSize * 62, 0);  // the room in front of the first partition
  PutText(b, 0, "EMBR");
  Put8(b, 4, embr.revision);
  Put8(b, 5, embr.minSectorsPerTrack);
  Put8(b, 6, embr.sectors);
  Put16(b, 8, embr.sectorSize);
  Put16(b, 10, embr.lastCylinder);
  Put8(b, 12, embr.lastHead);
  Put8(b, 13, embr.sectorsPerTrack);

  std::size_t at = 18;
  PutText(b, at, "MPT");
  Put8(b, at + 3, 1);
  Put8(b, at + 4, embr.mpt.size());
  at += 10;
  for (const MptEntry& e : embr.mpt) {
    Put16(b, at, e.flag);
    Put32(b, at + 2, e.start);
    Put32(b, at + 6, e.end);
    Put8(b, at + 10, e.id);
    Put8(b, at + 11, e.fs);
    PutName(b, at + 12, e.name);
    at += 28;
  }

  PutText(b, at, "MBFT");
  Put8(b, at + 4, 1);
  Put8(b, at + 5, embr.mbft.size());
  at += 6;
  for (const MbftEntry& e : embr.mbft) {
    PutName(b, at, e.name);
    Put16(b, at + 16, e.loadSegment);
    Put16(b, at + 18, e.codeOffset);
    Put16(b, at + 20, e.codeSegment);
    Put8(b, at + 22, e.sectors);
    Put8(b, at + 23, e.id);
    Put8(b, at + 26, e.extraBytes);
    at += 27 + std::size_t{e.extraBytes};
  }

  PutText(b, at, "MDT");
  Put8(b, at + 3, 1);
  Put8(b, at + 4, embr.mdt.size());
  at += 16;
  for (const MdtEntry& e : embr.mdt) {
    Put8(b, at, e.flag);
    Put8(b, at + 1, e.id);
    Put8(b, at + 2, e.sectors);
    Put32(b, at + 4, e.start);
    PutName(b, at + 14, e.name);
    Put8(b, at + 30, e.extraBytes);
    at += 31 + std::size_t{e.extraBytes};
  }
  b.resize((at + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
  return b;
}

}  // namespace disklens::sample
