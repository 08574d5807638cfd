#include "check/align_checks.h"

namespace disklens {

void CheckAlignment(const MbrRecord&, const MbrChains&, const GptRecord&, const DiskFacts&,
                    Findings&) {}

}  // namespace disklens
