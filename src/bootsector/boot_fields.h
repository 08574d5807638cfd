// The fields of a boot record as data: where each one lies, how the text
// report labels and shows it, and the name the JSON document gives it. One
// table per format feeds both ways of writing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "bytes/bytes.h"

namespace disklens {

enum class FieldKind : std::uint8_t {
  kDecimal,        // unsigned, `size` 1, 2 or 4 bytes
  kHex,            // "0x%X", `size` 1, 2 or 4 bytes
  kHex64,          // 8 bytes, the high half without leading zeros
  kText,           // `size` bytes of text, shown up to the first zero byte
  kJump,           // the three jump bytes, "%X %X %X"
  kCluster,        // 4 bytes, decimal; the primary's upper 4 reserved bits masked off
  kReservedWords,  // six 16-bit words, "%2X" each; the primary's alone
};

struct BootField {
  const char* label;  // the text report's label
  const char* key;    // the JSON member
  FieldKind kind;
  std::uint16_t offset;
  std::uint8_t size;
};

using BootFieldTable = std::span<const BootField>;

extern const BootFieldTable kFatBootFields;    // FAT12/16
extern const BootFieldTable kFat32BootFields;  // FAT32, printed beside its backup
extern const BootFieldTable kNtfsBootFields;
extern const BootFieldTable kImageTrailerFields;

// The field's number as the text shows it (0 for text and the reserved words):
// bytes past the end of `view` read as zeros.
std::uint64_t FieldNumber(const BootField& field, ByteView view, bool primary);

// One labelled line per field.
void PrintBootFields(BootFieldTable table, ByteView sector);
// One line per field: the primary's value, then the backup's in parentheses.
void PrintBootFieldPairs(BootFieldTable table, ByteView primary, ByteView backup);

}  // namespace disklens
