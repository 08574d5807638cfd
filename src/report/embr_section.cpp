#include "report/embr_section.h"

#include "report/embr_tables.h"

namespace disklens {

void PrintEmbrSection(ReportState& state) { PrintEmbrRecord(state, ReadEmbr(state)); }

}  // namespace disklens
