#include "text/output.h"

#include <cerrno>
#include <cstring>

namespace disklens {

namespace {
void DrainToReport(void* context, const char* data, std::size_t size);
char g_storage[1 << 16];
}  // namespace

namespace output_internal {
constinit ReportSink g_sink{TextBuffer(g_storage, sizeof g_storage, DrainToReport, nullptr), 0,
                            true};
}  // namespace output_internal

namespace {
std::FILE* g_output = nullptr;
// errno of the first write that failed; 0 while every write went through.
int& g_writeError = output_internal::g_sink.writeError;
bool& g_buffered = output_internal::g_sink.buffered;
TextBuffer& g_report = output_internal::g_sink.buffer;

void NoteWriteError() {
  if (g_writeError == 0) g_writeError = errno != 0 ? errno : EIO;
}

void DrainToReport(void* /*context*/, const char* data, std::size_t size) {
  // After the first failure nothing more is written: the report is lost already.
  if (g_writeError != 0) return;
  errno = 0;
  if (std::fwrite(data, 1, size, ReportOutput()) != size) NoteWriteError();
}

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

void WriteReportText(const char* text, std::size_t size) {
  if (g_writeError != 0) return;
  g_report.Append(text, size);
  if (!g_buffered) g_report.Flush();
}

void WriteReportPieces(const std::string_view* pieces, std::size_t count, std::size_t size) {
  if (g_writeError != 0) return;
  if (g_report.MakeRoom(size)) {
    // Straight into the buffer: one copy of each piece.
    char* cursor = g_report.Cursor();
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(cursor, pieces[i].data(), pieces[i].size());
      cursor += pieces[i].size();
    }
    g_report.Commit(cursor);
  } else {
    for (std::size_t i = 0; i < count; ++i) g_report.Append(pieces[i].data(), pieces[i].size());
  }
  if (!g_buffered) g_report.Flush();
}

}  // namespace disklens
