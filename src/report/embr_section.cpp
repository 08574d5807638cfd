#include "report/embr_section.h"

namespace disklens {

void PrintEmbrSection(ReportState& /*state*/) {}

}  // namespace disklens
