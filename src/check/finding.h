// One thing found wrong (or worth knowing) about a disk by --check, and what
// the checks know of the disk beside the records of its pass.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace disklens {

// In rising order, so that the worst of a list is its maximum.
enum class Severity { kNote, kWarning, kError };

// "note", "warning" or "error": the JSON's values and the text's first word.
const char* SeverityName(Severity severity);

// A finding's hint: nearly always a literal, held by pointer then, and kept
// as a string only when built. A `const char*` given to it must be a literal.
class FindingText {
 public:
  FindingText() = default;
  FindingText(const char* literal) : literal_(literal) {}                // NOLINT
  FindingText(std::string text) : literal_(nullptr), owned_(std::move(text)) {}  // NOLINT

  std::string_view View() const {
    return literal_ != nullptr ? std::string_view(literal_) : std::string_view(owned_);
  }
  operator std::string_view() const { return View(); }  // NOLINT
  bool empty() const { return View().empty(); }

 private:
  const char* literal_ = "";
  std::string owned_;
};

struct Finding {
  std::string_view id;  // stable: scripts and the manual page know it; a literal
  Severity severity = Severity::kNote;
  std::optional<std::uint64_t> lba;         // none where no single sector is meant
  std::optional<std::uint32_t> byteOffset;  // within the sector at `lba`, where it helps
  std::string message;                      // what is wrong, in one sentence, no final stop
  std::string expected;                     // empty where nothing in particular was expected
  std::string found;
  FindingText hint;  // what to do, naming the peer command that repairs it; may be empty
};

using Findings = std::vector<Finding>;

// A piece of a finding's text: text as it stands, or an unsigned number in decimal.
class TextPiece {
 public:
  TextPiece(std::string_view text) : text_(text) {}  // NOLINT: pieces convert
  TextPiece(const char* text) : text_(text) {}       // NOLINT
  TextPiece(const std::string& text) : text_(text) {}  // NOLINT
  template <typename T>
    requires std::unsigned_integral<T> && (!std::same_as<T, bool>) && (!std::same_as<T, char>)
  TextPiece(T number) {  // NOLINT
    digitCount_ = Digits(number, digits_);
  }

  std::size_t Size() const { return digitCount_ != 0 ? digitCount_ : text_.size(); }
  void AppendTo(std::string& out) const;

 private:
  static std::uint8_t Digits(std::uint64_t number, char (&digits)[20]);

  std::string_view text_;
  char digits_[20];
  std::uint8_t digitCount_ = 0;  // nonzero for a number
};

// The pieces joined into one string, allocated once: the findings are many
// on a disk of many partitions.
std::string JoinText(std::initializer_list<TextPiece> pieces);

// `value` in fixed hex as the findings show it: "0x" and `digits` upper-case digits.
std::string HexText(std::uint64_t value, int digits);

// The worst severity of the list; none for an empty list.
std::optional<Severity> WorstSeverity(const Findings& findings);

// What the checks know of the disk beside the records.
struct DiskFacts {
  std::uint32_t sectorSize = 0;
  std::uint64_t sectorCount = 0;         // 0: not known, and no check needs it
  std::uint32_t physicalSectorSize = 0;  // 0: the platform does not say
};

// The last LBA of the disk; only meaningful when sectorCount is not 0.
inline std::uint64_t LastLba(const DiskFacts& facts) { return facts.sectorCount - 1; }

}  // namespace disklens
