// The labelled-field line that every boot record decoder prints: a newline,
// the label right-aligned in 30 columns, ": ", then the value. Values come
// from a ByteView of what was read, so a field beyond it prints as 0 (or as
// empty text) instead of showing bytes the disk never gave us.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes/bytes.h"

namespace disklens {

// A text field of `length` bytes (at most 15) at `offset`, up to its first
// zero byte and never past the end of `view`, with control bytes as "?".
void TextFieldAt(ByteView view, std::size_t offset, std::size_t length, char out[16]);

// "\n%30s: " alone; the value follows on the same line.
void PrintLabel(const char* label);

// One value.
void PrintDecimalField(const char* label, std::uint32_t value);
void PrintHexField(const char* label, std::uint32_t value);
// The high half without leading zeros, then the low half as eight digits.
void PrintHex64Field(const char* label, std::uint64_t value);
void PrintTextField(const char* label, ByteView view, std::size_t offset, std::size_t length);
// The three jump bytes at offset 0, "%X %X %X".
void PrintJumpField(const char* label, ByteView view);

// The primary value, then the backup copy's in parentheses.
void PrintDecimalPair(const char* label, std::uint32_t primary, std::uint32_t backup);
void PrintHexPair(const char* label, std::uint32_t primary, std::uint32_t backup);
void PrintTextPair(const char* label, ByteView primary, ByteView backup, std::size_t offset,
                   std::size_t length);
void PrintJumpPair(const char* label, ByteView primary, ByteView backup);

}  // namespace disklens
