#include "report/mbr_section.h"

namespace disklens {

void PrintMbrSection(ReportState& /*state*/) {}

}  // namespace disklens
