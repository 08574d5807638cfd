#include "mbr/mbr_table.h"

#include "mbr/partition_row.h"
#include "mbr/partition_types.h"
#include "text/output.h"

namespace disklens {

MbrChains WalkMbrTable(ReportState& state, const MbrRecord& mbr) {
  MbrChains chains;
  for (std::size_t i = 0; i < 4; ++i) {
    const MbrPartitionEntry& entry = mbr.entries[i];
    const auto number = static_cast<std::uint16_t>(i + 1);
    if (IsMbrExtendedType(entry.type)) {
      chains[i] = WalkExtendedChain(state, entry.startLba, number);
    } else if (IsBootTargetType(entry.type)) {
      AddBootTarget(state.bootTargets, entry.type, number, entry.sectorCount, entry.startLba);
    }
  }
  return chains;
}

void PrintMbrTable(const ReportState& state, const MbrRecord& mbr, const MbrChains& chains) {
  for (std::size_t i = 0; i < 4; ++i) {
    Print("\n");
    PrintPartitionRow(mbr.entries[i], static_cast<int>(i));
    if (chains[i]) {
      PrintChainRecord(*chains[i]);
      Print("\n            MBR Partition Information (HD%i) Continued:", HdNumber(state));
      Print("%s", kMbrTableFrame);
    }
  }
}

}  // namespace disklens
