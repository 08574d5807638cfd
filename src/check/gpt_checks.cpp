#include "check/gpt_checks.h"

namespace disklens {

void CheckGptLayer(ReportState&, const MbrRecord&, const GptRecord&, const DiskFacts&,
                   DiskCheck&) {}

}  // namespace disklens
