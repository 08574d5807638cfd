// What the EMBR of a disk holds, as values copied out of the sectors read:
// the header and its MPT, MBFT and MDT tables, for every way the report is
// written.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "bytes/bytes.h"
#include "layout/embr.h"
#include "mbr/extended_chain.h"
#include "state/report_state.h"

namespace disklens {

// The name field of every table entry, all its bytes as stored.
using EmbrName = std::array<std::uint8_t, kEmbrNameSize>;

struct EmbrHeaderRecord {
  std::uint8_t revision = 0;
  std::uint8_t minSectorsPerTrack = 0;
  std::uint8_t sectors = 0;
  std::int16_t sectorSize = 0;
  std::int16_t lastCylinder = 0;
  std::uint8_t lastHead = 0;
  std::uint8_t sectorsPerTrack = 0;
};

struct MptEntryRecord {
  EmbrName name{};
  std::uint16_t flags = 0;
  std::uint32_t startLba = 0;
  std::uint32_t endLba = 0;  // inclusive
  std::uint8_t id = 0;
  std::uint8_t fileSystemId = 0;
  // The chain walked behind the entry: extended entries under "/all" only.
  std::optional<ChainRecord> chain;
};

struct MbftEntryRecord {
  EmbrName name{};
  std::uint16_t loadSegment = 0;
  std::uint16_t codeSegment = 0;
  std::uint16_t codeOffset = 0;
  std::uint8_t sectorCount = 0;
  std::uint8_t id = 0;
  std::uint8_t allocatedBytes = 0;
};

struct MdtEntryRecord {
  EmbrName name{};
  std::uint8_t flags = 0;
  std::uint32_t startLba = 0;
  std::uint8_t sectorCount = 0;
  std::uint8_t id = 0;
  std::uint8_t allocatedBytes = 0;
};

// One table found: its header's fields and the entries that lie whole in the
// data read.
template <typename Entry>
struct EmbrTable {
  std::uint8_t revision = 0;
  std::uint8_t entryCount = 0;  // as the header says
  std::uint8_t flags = 0;       // the MPT's only
  bool complete = false;        // false when the data read ends inside the table
  std::vector<Entry> entries;
};

struct EmbrRecord {
  bool found = false;  // false: the disk has no EMBR, and nothing else is set
  EmbrHeaderRecord header;
  std::optional<EmbrTable<MptEntryRecord>> mpt;
  std::optional<EmbrTable<MbftEntryRecord>> mbft;
  std::optional<EmbrTable<MdtEntryRecord>> mdt;
};

// The EMBR in `data` (read from LBA 1 on): at its start or one 512-byte sector
// further, each table only right behind the one before it. Reads no disk and
// walks no chain.
EmbrRecord DecodeEmbr(ByteView data);

// Reads LBA 1 on into the WorkBuffer and decodes the EMBR there, adds the
// MPT's partitions with a decoder to the BootTargetList and under "/all"
// walks the chain of every extended MPT entry, entry by entry.
EmbrRecord ReadEmbr(ReportState& state);

}  // namespace disklens
