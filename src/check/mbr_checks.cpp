#include "check/mbr_checks.h"

namespace disklens {

void CheckMbrLayer(const MbrRecord&, const MbrChains&, const DiskFacts&, Findings&) {}

}  // namespace disklens
