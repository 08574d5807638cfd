#include "gpt/gpt_section.h"

namespace disklens {

void PrintGptSection(ReportState& /*state*/) {}

}  // namespace disklens
