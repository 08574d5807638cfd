#include "check/boot_checks.h"

namespace disklens {

void CheckBootRow(ReportState&, const BootRowRecord&, const PartitionOrigin&, const DiskFacts&,
                  Findings&) {}

}  // namespace disklens
