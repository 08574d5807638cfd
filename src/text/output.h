// Where the report goes, and the rule for text taken from a disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

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

// The format checks of the C library's printf: on MinGW the C99-conforming one.
#if defined(__MINGW32__)
#define DISKLENS_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define DISKLENS_PRINTF_FORMAT printf
#endif

// Text to the report as it stands, with the same write checks as Print.
void WriteReportText(const char* text, std::size_t size);

// printf to the report.
void Print(const char* format, ...) __attribute__((format(DISKLENS_PRINTF_FORMAT, 1, 2)));

// Copies a text field of `length` bytes (at most 15) up to its first zero
// byte into `out` and ends it with a NUL. Bytes below 0x20 and 0x7F become "?",
// so that a crafted disk can't send control sequences to the terminal.
void CopyTextField(const std::uint8_t* field, std::size_t length, char out[16]);

// Replaces the control bytes of a NUL-terminated string with "?", in place.
void MaskControlBytes(char* text);

}  // namespace disklens
