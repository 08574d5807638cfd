// The libyal libraries explain a failure as a backtrace, outermost call last;
// its first line is the cause ("libqcow_file_header_read_data: unsupported
// incompatible features flags: 0x3.").
#pragma once

#include <string>

namespace disklens {

// "<library>: <cause>" from a backtrace: the first line, without the name of
// the function that wrote it nor the final period; `fallback` when empty.
std::string LibraryMessage(const char* library, const char* backtrace, const char* fallback);

}  // namespace disklens
