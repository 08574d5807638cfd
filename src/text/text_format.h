// printf formatting into a buffer of our own: the report is megabytes of
// short formatted lines, and the C library's vfprintf with its stream locking
// cost more than everything else the program does apart from reading.
#pragma once

#include <cstdarg>

#include "text/text_buffer.h"

namespace disklens {

// Appends `format` with `args` as vsnprintf would write it. Flags "-0+ #",
// width and precision (digits or "*"), lengths hh h l ll z j t and the
// conversions d i u o x X c s % are done here; the rest (floating point, p,
// wide characters) goes through the C library one conversion at a time.
// Formats are read once and kept (see the .cpp): not for two threads at once.
void AppendFormatted(TextBuffer& out, const char* format, std::va_list args);

}  // namespace disklens
