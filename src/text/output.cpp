#include "text/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "text/text_format.h"

namespace disklens {

namespace {
std::FILE* g_output = nullptr;
bool g_buffered = true;
// errno of the first write that failed; 0 while every write went through.
int g_writeError = 0;

void NoteWriteError() {
  if (g_writeError == 0) g_writeError = errno != 0 ? errno : EIO;
}

void DrainToReport(void* /*context*/, const char* data, std::size_t size) {
  // After the first failure nothing more is written: the report is lost already.
  if (g_writeError != 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, ReportOutput()) != size) NoteWriteError();
}

char g_storage[1 << 16];
constinit TextBuffer g_report(g_storage, sizeof g_storage, DrainToReport, nullptr);

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
}  // namespace

std::FILE* ReportOutput() { return g_output != nullptr ? g_output : stdout; }

void SetReportOutput(std::FILE* stream) {
  g_report.Flush();
  g_output = stream;
  g_writeError = 0;
}

void FlushReport() {
  g_report.Flush();
  if (g_writeError != 0) return;
  errno = 0;
  if (std::fflush(ReportOutput()) != 0) NoteWriteError();
}

int ReportWriteError() { return g_writeError; }

void SetReportBuffered(bool buffered) {
  g_report.Flush();
  g_buffered = buffered;
}

void Print(const char* format, ...) {
  if (g_writeError != 0) return;
  va_list args;
  va_start(args, format);
  AppendFormatted(g_report, format, args);
  va_end(args);
  if (!g_buffered) g_report.Flush();
}

void WriteReportText(const char* text, std::size_t size) {
  if (g_writeError != 0) return;
  g_report.Append(text, size);
  if (!g_buffered) g_report.Flush();
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
