// Where the report goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>

#include "text/text_buffer.h"
#include "text/text_format.h"

namespace disklens {

// The section rules: a line feed and 79 "=" or 79 "-".
inline constexpr char kDoubleRule[] =
    "\n===============================================================================";
inline constexpr char kSingleRule[] =
    "\n-------------------------------------------------------------------------------";

// Standard output unless a test has set another stream. Print collects the
// report in a buffer of its own: switching the stream first hands what it
// holds to the stream it was written for, and forgets a failed write.
std::FILE* ReportOutput();
void SetReportOutput(std::FILE* stream);

// Hands the text Print holds to the report stream and flushes that stream.
void FlushReport();

// The errno of the first write of the report that failed (EIO when the C
// library gave none), or 0. Once a write has failed, Print and FlushReport
// drop their text; SetReportOutput starts afresh.
int ReportWriteError();

// On (the default), Print's text goes to the stream in large pieces; off, at
// the end of every Print, so that a terminal shows each line as it comes.
void SetReportBuffered(bool buffered);

// Text to the report as it stands, with the same write checks as Print.
void WriteReportText(const char* text, std::size_t size);

// `count` pieces of text, `size` bytes in all, to the report as one text.
void WriteReportPieces(const std::string_view* pieces, std::size_t count, std::size_t size);

namespace output_internal {
// The report's buffer and what Print checks around it (output.cpp).
struct ReportSink {
  TextBuffer buffer;
  int writeError;  // see ReportWriteError
  bool buffered;   // see SetReportBuffered
};
extern ReportSink g_sink;
}  // namespace output_internal

// printf to the report, with the formats text_format.h takes, checked against
// the arguments at compile time.
template <typename... Args>
[[gnu::always_inline]] inline void Print(PrintFormat<std::type_identity_t<Args>...> format,
                                         Args... args) {
  output_internal::ReportSink& sink = output_internal::g_sink;
  if (sink.writeError != 0) return;
  text_format::AppendFormatted(sink.buffer, format.Parsed(), args...);
  if (!sink.buffered) sink.buffer.Flush();
}

}  // namespace disklens
