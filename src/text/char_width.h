// How many terminal columns a character takes, where the report's text is
// UTF-8 (POSIX): 2 for East Asian wide and fullwidth characters, 0 for
// combining marks, 1 for the others. The Windows build prints code-page text,
// one byte a column, and has no use for it.
#pragma once

#include <cstdint>

namespace disklens {

// The columns of Unicode code point `cp`: 0, 1 or 2. A character the C
// library does not know as printable counts 1, as it is shown anyway.
int CharWidth(std::uint32_t cp);

}  // namespace disklens
