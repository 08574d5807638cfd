#include "report/mbr_table.h"

#include "report/extended_chain.h"
#include "report/output.h"
#include "report/partition_row.h"
#include "report/partition_types.h"

namespace disklens {

void PrintMbrTable(ReportState& state, ByteView sector0) {
  for (int i = 0; i < 4; ++i) {
    const MbrPartitionEntry entry = ReadPartitionEntry(sector0, i);
    Print("\n");
    PrintPartitionRow(entry, i);
    const auto number = static_cast<std::uint16_t>(i + 1);
    if (IsMbrExtendedType(entry.type)) {
      // Every extended entry is walked, not only the first.
      PrintExtendedChain(state, entry.startLba, number);
      Print("\n            MBR Partition Information (HD%i) Continued:", HdNumber(state));
      Print("%s", kMbrTableFrame);
    } else if (IsBootTargetType(entry.type)) {
      AddBootTarget(state.bootTargets, entry.type, number, entry.sectorCount, entry.startLba);
    }
  }
}

}  // namespace disklens
