// The EMBR header and the three tables behind it: MPT, MBFT and MDT.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "bytes/bytes.h"
#include "layout/embr.h"
#include "report/extended_chain.h"
#include "report/report_state.h"

namespace disklens {

// One table found: where its header lies in the EMBR's data, and the
// entries that lie whole in the data read.
struct EmbrTable {
  std::size_t offset = 0;
  std::vector<std::size_t> entries;  // offsets of the entries
  bool complete = false;             // false when the data read ends inside it
};

// What the EMBR of a disk holds. `embr` points into the WorkBuffer: the record
// is good until the next read into it.
struct EmbrRecord {
  ByteView embr;  // from the "EMBR" mark on; empty when the disk has none
  std::optional<EmbrTable> mpt;
  std::optional<EmbrTable> mbft;
  std::optional<EmbrTable> mdt;
  // Per MPT entry: the chain walked behind it (extended entries under "/all").
  std::vector<std::optional<ChainRecord>> mptChains;
};

// Reads LBA 1 on, finds the EMBR and its tables (each only right behind the
// one before it), adds the MPT's partitions with a decoder to the
// BootTargetList and under "/all" walks the chain of every extended MPT entry.
EmbrRecord ReadEmbr(ReportState& state);

// The name field of an EMBR table entry at `offset`: its 16 bytes.
ByteView EmbrName(ByteView entry, std::size_t offset);

void PrintEmbrRecord(const ReportState& state, const EmbrRecord& record);

}  // namespace disklens
