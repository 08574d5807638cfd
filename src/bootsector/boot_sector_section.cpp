#include "bootsector/boot_sector_section.h"

namespace disklens {

void PrintBootSectorInformation(ReportState& /*state*/) {}

}  // namespace disklens
