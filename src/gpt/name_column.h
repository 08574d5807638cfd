// The "Name" column of a GPT entry row.
#pragma once

#include <string>

namespace disklens {

inline constexpr std::size_t kNameColumnWidth = 23;

// `text` (a name from NameToText) cut to 23 columns and padded with spaces
// to 23. Control characters, and on POSIX bytes that are not UTF-8, show as "?".
// On POSIX the text is UTF-8 and columns are display columns (CharWidth): a
// character is never cut apart, and a wide one that does not fit in the last
// column becomes a space. The Windows build counts bytes of its ANSI code page.
std::string FitNameColumn(const char* text);

}  // namespace disklens
