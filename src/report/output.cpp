#include "report/output.h"

#include <cstdarg>
#include <cstring>

namespace disklens {

namespace {
std::FILE* g_output = nullptr;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
}  // namespace

std::FILE* ReportOutput() { return g_output != nullptr ? g_output : stdout; }

void SetReportOutput(std::FILE* stream) { g_output = stream; }

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(ReportOutput(), format, args);
  va_end(args);
}

void CopyTextField(const std::uint8_t* field, std::size_t length, char out[16]) {
  std::memset(out, 0, 16);
  if (length > 15) length = 15;
  for (std::size_t i = 0; i < length && field[i] != 0; ++i) {
    out[i] = IsControl(field[i]) ? '?' : static_cast<char>(field[i]);
  }
}

void MaskControlBytes(char* text) {
  for (; *text != '\0'; ++text) {
    if (IsControl(static_cast<unsigned char>(*text))) *text = '?';
  }
}

}  // namespace disklens
