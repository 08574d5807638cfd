#include "check/finding.h"

#include <algorithm>
#include <charconv>
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

std::uint8_t TextPiece::Digits(std::uint64_t number, char (&digits)[20]) {
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  return static_cast<std::uint8_t>(end - digits);
}

void TextPiece::AppendTo(std::string& out) const {
  if (digitCount_ != 0) {
    out.append(digits_, digitCount_);
  } else {
    out.append(text_);
  }
}

std::string JoinText(std::initializer_list<TextPiece> pieces) {
  std::size_t size = 0;
  for (const TextPiece& p : pieces) size += p.Size();
  std::string text;
  // A short text stays inside the string itself; only a longer one is allocated, once.
  if (size > text.capacity()) text.reserve(size);
  for (const TextPiece& p : pieces) p.AppendTo(text);
  return text;
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
