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

// Standard output unless a test has set another stream.
std::FILE* ReportOutput();
void SetReportOutput(std::FILE* stream);

// The format checks of the C library's printf: on MinGW the C99-conforming one.
#if defined(__MINGW32__)
#define DISKLENS_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define DISKLENS_PRINTF_FORMAT printf
#endif

// printf to the report.
void Print(const char* format, ...) __attribute__((format(DISKLENS_PRINTF_FORMAT, 1, 2)));

// Copies a text field of `length` bytes (at most 15) up to its first zero
// byte into `out` and ends it with a NUL. Bytes below 0x20 and 0x7F become "?",
// so that a crafted disk can't send control sequences to the terminal.
void CopyTextField(const std::uint8_t* field, std::size_t length, char out[16]);

// Replaces the control bytes of a NUL-terminated string with "?", in place.
void MaskControlBytes(char* text);

}  // namespace disklens
