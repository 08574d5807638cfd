// The "mbr" member: sector 0's table as stored, with the chains behind it.
#pragma once

#include "json/json_writer.h"
#include "mbr/extended_chain.h"
#include "mbr/mbr_record.h"
#include "mbr/mbr_table.h"

namespace disklens {

// One partition entry of sector 0 or of an EBR, as stored, as an object
// whose last member may follow: `index` 0 to 3. Ends with the object open.
void BeginPartitionEntryJson(JsonWriter& json, const MbrPartitionEntry& entry, int index);

// A chain walk: each EBR with its entries, and how the walk ended.
void WriteChainJson(JsonWriter& json, const ChainRecord& chain);

// Null when sector 0 could not be read.
void WriteMbrJson(JsonWriter& json, const MbrRecord& mbr, const MbrChains& chains);

}  // namespace disklens
