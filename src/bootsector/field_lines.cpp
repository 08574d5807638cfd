#include "bootsector/field_lines.h"

#include <cinttypes>

#include "text/output.h"

namespace disklens {

void TextFieldAt(ByteView view, std::size_t offset, std::size_t length, char out[16]) {
  const ByteView field = view.From(offset);
  CopyTextField(field.data, length < field.size ? length : field.size, out);
}

void PrintLabel(const char* label) { Print("\n%30s: ", label); }

void PrintDecimalField(const char* label, std::uint32_t value) {
  Print("\n%30s: %" PRIu32, label, value);
}

void PrintHexField(const char* label, std::uint32_t value) {
  Print("\n%30s: 0x%" PRIX32, label, value);
}

void PrintHex64Field(const char* label, std::uint64_t value) {
  Print("\n%30s: 0x%" PRIX32 "%08" PRIX32, label, static_cast<std::uint32_t>(value >> 32),
        static_cast<std::uint32_t>(value));
}

void PrintTextField(const char* label, ByteView view, std::size_t offset, std::size_t length) {
  char text[16];
  TextFieldAt(view, offset, length, text);
  PrintLabel(label);
  Print("%s", text);
}

void PrintJumpField(const char* label, ByteView view) {
  PrintLabel(label);
  Print("%X %X %X", view.U8(0), view.U8(1), view.U8(2));
}

void PrintDecimalPair(const char* label, std::uint32_t primary, std::uint32_t backup) {
  Print("\n%30s: %" PRIu32 " (%" PRIu32 ")", label, primary, backup);
}

void PrintHexPair(const char* label, std::uint32_t primary, std::uint32_t backup) {
  Print("\n%30s: 0x%" PRIX32 " (0x%" PRIX32 ")", label, primary, backup);
}

void PrintTextPair(const char* label, ByteView primary, ByteView backup, std::size_t offset,
                   std::size_t length) {
  char first[16];
  char second[16];
  TextFieldAt(primary, offset, length, first);
  TextFieldAt(backup, offset, length, second);
  PrintLabel(label);
  Print("%s (%s)", first, second);
}

void PrintJumpPair(const char* label, ByteView primary, ByteView backup) {
  PrintLabel(label);
  Print("%X %X %X (%X %X %X)", primary.U8(0), primary.U8(1), primary.U8(2), backup.U8(0),
        backup.U8(1), backup.U8(2));
}

}  // namespace disklens
