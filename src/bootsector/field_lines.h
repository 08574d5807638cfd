// The labelled-field line that every boot record decoder prints: a newline,
// the label right-aligned in 30 columns, ": ", then the value. Values come
// from a ByteView of what was read, so a field beyond it prints as 0 (or as
// empty text) instead of showing bytes the disk never gave us.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bytes/bytes.h"

namespace disklens {

// "\n%30s: " alone; the value follows on the same line.
void PrintLabel(std::string_view label);

// One value.
void PrintDecimalField(std::string_view label, std::uint32_t value);
void PrintHexField(std::string_view label, std::uint32_t value);
// The high half without leading zeros, then the low half as eight digits.
void PrintHex64Field(std::string_view label, std::uint64_t value);
void PrintTextField(std::string_view label, ByteView view, std::size_t offset, std::size_t length);
// The three jump bytes at offset 0, "%X %X %X".
void PrintJumpField(std::string_view label, ByteView view);

// The primary value, then the backup copy's in parentheses.
void PrintDecimalPair(std::string_view label, std::uint32_t primary, std::uint32_t backup);
void PrintHexPair(std::string_view label, std::uint32_t primary, std::uint32_t backup);
void PrintTextPair(std::string_view label, ByteView primary, ByteView backup, std::size_t offset,
                   std::size_t length);
void PrintJumpPair(std::string_view label, ByteView primary, ByteView backup);

}  // namespace disklens
