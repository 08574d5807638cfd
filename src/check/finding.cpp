#include "check/finding.h"

#include <algorithm>
#include <cstdio>

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

std::string HexText(std::uint64_t value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
  return text;
}

std::optional<Severity> WorstSeverity(const Findings& findings) {
  std::optional<Severity> worst;
  for (const Finding& f : findings) worst = std::max(worst.value_or(f.severity), f.severity);
  return worst;
}

}  // namespace disklens
