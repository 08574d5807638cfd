#include "bootsector/field_lines.h"

#include <cinttypes>

#include "text/output.h"
#include "text/text_field.h"

namespace disklens {

void PrintLabel(std::string_view label) { Print("\n%30s: ", label); }

void PrintDecimalField(std::string_view label, std::uint32_t value) {
  Print("\n%30s: %" PRIu32, label, value);
}

void PrintHexField(std::string_view label, std::uint32_t value) {
  Print("\n%30s: 0x%" PRIX32, label, value);
}

void PrintHex64Field(std::string_view label, std::uint64_t value) {
  Print("\n%30s: 0x%" PRIX32 "%08" PRIX32, label, static_cast<std::uint32_t>(value >> 32),
        static_cast<std::uint32_t>(value));
}

void PrintTextField(std::string_view label, ByteView view, std::size_t offset, std::size_t length) {
  char text[16];
  CopyTextField(view.From(offset), length, text, sizeof text);
  Print("\n%30s: %s", label, text);
}

void PrintJumpField(std::string_view label, ByteView view) {
  Print("\n%30s: %X %X %X", label, view.U8(0), view.U8(1), view.U8(2));
}

void PrintDecimalPair(std::string_view label, std::uint32_t primary, std::uint32_t backup) {
  Print("\n%30s: %" PRIu32 " (%" PRIu32 ")", label, primary, backup);
}

void PrintHexPair(std::string_view label, std::uint32_t primary, std::uint32_t backup) {
  Print("\n%30s: 0x%" PRIX32 " (0x%" PRIX32 ")", label, primary, backup);
}

void PrintTextPair(std::string_view label, ByteView primary, ByteView backup, std::size_t offset,
                   std::size_t length) {
  char first[16];
  char second[16];
  CopyTextField(primary.From(offset), length, first, sizeof first);
  CopyTextField(backup.From(offset), length, second, sizeof second);
  Print("\n%30s: %s (%s)", label, first, second);
}

void PrintJumpPair(std::string_view label, ByteView primary, ByteView backup) {
  Print("\n%30s: %X %X %X (%X %X %X)", label, primary.U8(0), primary.U8(1), primary.U8(2),
        backup.U8(0), backup.U8(1), backup.U8(2));
}

}  // namespace disklens
