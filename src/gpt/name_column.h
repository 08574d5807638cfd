// The "Name" column of a GPT entry row.
#pragma once

#include <string>

namespace disklens {

inline constexpr std::size_t kNameColumnWidth = 23;

// `text` (a name from NameToText) cut to 23 characters and padded with spaces
// to 23. Control characters, and on POSIX bytes that are not UTF-8, show as "?".
// On POSIX a character is a UTF-8 code point and is never cut apart; the
// Windows build counts bytes of its ANSI code page.
std::string FitNameColumn(const char* text);

}  // namespace disklens
