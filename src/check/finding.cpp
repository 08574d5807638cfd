#include "check/finding.h"

#include <algorithm>

namespace disklens {

const char* SeverityName(Severity severity) {
  switch (severity) {
    case Severity::kNote:
      return "note";
    case Severity::kWarning:
      return "warning";
    case Severity::kError:
      return "error";
  }
  return "error";
}

std::optional<Severity> WorstSeverity(const Findings& findings) {
  std::optional<Severity> worst;
  for (const Finding& f : findings) worst = std::max(worst.value_or(f.severity), f.severity);
  return worst;
}

}  // namespace disklens
