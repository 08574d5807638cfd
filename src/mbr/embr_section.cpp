#include "mbr/embr_section.h"

#include "mbr/embr_tables.h"

namespace disklens {

void PrintEmbrSection(ReportState& state) { PrintEmbrRecord(state, ReadEmbr(state)); }

}  // namespace disklens
