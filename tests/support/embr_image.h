// The EMBR block of a test disk: the header, then the MPT, MBFT and MDT with
// their rows, laid out through the offsets of layout/embr.h. Each table holds
// as many rows as given; a block longer than the disk is cut at its end, which
// is how tables that run past the read are made.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "layout/embr.h"
#include "support/disk_image.h"

namespace disklens::test {

struct MptRow {
  std::uint16_t flag = 0;
  std::uint32_t start = 0;
  std::uint32_t end = 0;  // last LBA, inclusive
  std::uint8_t id = 0;
  std::uint8_t fs = 0;
  std::string name;  // at most 16 bytes are written
};

struct MbftRow {
  std::string name;
  std::uint16_t loadSegment = 0;
  std::uint16_t codeOffset = 0;
  std::uint16_t codeSegment = 0;
  std::uint8_t sectors = 0;
  std::uint8_t id = 0;
  std::uint8_t extraBytes = 0;  // Alloc: zero bytes behind the row
};

struct MdtRow {
  std::uint8_t flag = 0;
  std::uint8_t id = 0;
  std::uint8_t sectors = 0;
  std::uint32_t start = 0;
  std::string name;
  std::uint8_t extraBytes = 0;
};

// The header's values default to those of the worked example. A table left
// out has no mark: the block ends before it.
struct Embr {
  std::uint8_t revision = 1;
  std::uint8_t minSectorsPerTrack = 63;
  std::uint8_t sectors = 62;
  std::uint16_t sectorSize = 512;
  std::uint16_t lastCylinder = 1023;
  std::uint8_t lastHead = 254;
  std::uint8_t sectorsPerTrack = 63;
  std::uint8_t tableRevision = 1;  // of the MPT, MBFT and MDT alike
  bool withMpt = true;             // false: the header alone
  std::vector<MptRow> mpt;
  std::optional<std::vector<MbftRow>> mbft;
  std::optional<std::vector<MdtRow>> mdt;
  // The counts the table headers give, when they are not those of the rows.
  std::optional<std::uint8_t> mptCount, mbftCount, mdtCount;
};

// An EMBR whose header holds its mark and zeros.
inline Embr WithZeroHeader() {
  Embr e;
  e.revision = e.minSectorsPerTrack = e.sectors = e.lastHead = e.sectorsPerTrack = 0;
  e.sectorSize = e.lastCylinder = 0;
  return e;
}

// Writes `embr` from byte `at` of `disk`; returns the offset just behind it.
inline std::uint64_t PutEmbr(DiskImage& disk, std::uint64_t at, const Embr& embr) {
  std::size_t size = kEmbrHeaderSize;
  if (embr.withMpt) size += kMptHeaderSize + kMptEntrySize * embr.mpt.size();
  if (embr.mbft) {
    size += kMbftHeaderSize;
    for (const MbftRow& r : *embr.mbft) size += kMbftEntryFixedSize + r.extraBytes;
  }
  if (embr.mdt) {
    size += kMdtHeaderSize;
    for (const MdtRow& r : *embr.mdt) size += kMdtEntryFixedSize + r.extraBytes;
  }
  DiskImage b(size);  // laid out whole, then cut to the disk
  auto name = [&](std::uint64_t o, const std::string& s) { b.Text(o, s.substr(0, kEmbrNameSize)); };
  b.Text(embr_header::kMark, "EMBR");
  b.U8(embr_header::kRevision, embr.revision);
  b.U8(embr_header::kMinSpt, embr.minSectorsPerTrack);
  b.U8(embr_header::kSectors, embr.sectors);
  b.U16(embr_header::kSectorSize, embr.sectorSize);
  b.U16(embr_header::kLastCylinder, embr.lastCylinder);
  b.U8(embr_header::kLastHead, embr.lastHead);
  b.U8(embr_header::kSectorsPerTrack, embr.sectorsPerTrack);

  std::uint64_t o = kEmbrHeaderSize;
  if (!embr.withMpt) {
    disk.PutClipped(at, b.Bytes());
    return at + o;
  }
  b.Text(o + mpt_header::kMark, "MPT");
  b.U8(o + mpt_header::kRevision, embr.tableRevision);
  b.U8(o + mpt_header::kCount, embr.mptCount.value_or(static_cast<std::uint8_t>(embr.mpt.size())));
  o += kMptHeaderSize;
  for (const MptRow& r : embr.mpt) {
    b.U16(o + mpt_entry::kFlag, r.flag);
    b.U32(o + mpt_entry::kStart, r.start);
    b.U32(o + mpt_entry::kEnd, r.end);
    b.U8(o + mpt_entry::kId, r.id);
    b.U8(o + mpt_entry::kFileSystem, r.fs);
    name(o + mpt_entry::kName, r.name);
    o += kMptEntrySize;
  }
  if (embr.mbft) {
    b.Text(o + mbft_header::kMark, "MBFT");
    b.U8(o + mbft_header::kRevision, embr.tableRevision);
    b.U8(o + mbft_header::kCount, embr.mbftCount.value_or(static_cast<std::uint8_t>(embr.mbft->size())));
    o += kMbftHeaderSize;
    for (const MbftRow& r : *embr.mbft) {
      name(o + mbft_entry::kName, r.name);
      b.U16(o + mbft_entry::kLoadSegment, r.loadSegment);
      b.U16(o + mbft_entry::kCodeOffset, r.codeOffset);
      b.U16(o + mbft_entry::kCodeSegment, r.codeSegment);
      b.U8(o + mbft_entry::kSectors, r.sectors);
      b.U8(o + mbft_entry::kId, r.id);
      b.U8(o + mbft_entry::kAlloc, r.extraBytes);
      o += kMbftEntryFixedSize + r.extraBytes;
    }
  }
  if (embr.mdt) {
    b.Text(o + mdt_header::kMark, "MDT");
    b.U8(o + mdt_header::kRevision, embr.tableRevision);
    b.U8(o + mdt_header::kCount, embr.mdtCount.value_or(static_cast<std::uint8_t>(embr.mdt->size())));
    o += kMdtHeaderSize;
    for (const MdtRow& r : *embr.mdt) {
      b.U8(o + mdt_entry::kFlag, r.flag);
      b.U8(o + mdt_entry::kId, r.id);
      b.U8(o + mdt_entry::kSectors, r.sectors);
      b.U32(o + mdt_entry::kStart, r.start);
      name(o + mdt_entry::kName, r.name);
      b.U8(o + mdt_entry::kAlloc, r.extraBytes);
      o += kMdtEntryFixedSize + r.extraBytes;
    }
  }
  disk.PutClipped(at, b.Bytes());
  return at + o;
}

}  // namespace disklens::test
