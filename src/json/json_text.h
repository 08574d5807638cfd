// Texts and numbers of a disk as the JSON document gives them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace disklens {

// An 8-bit field, every byte as the code point of the same value (U+0000 to
// U+00FF), in UTF-8: nothing is lost, whatever the field holds.
std::string Latin1Text(const std::uint8_t* bytes, std::size_t length);

// UTF-16LE code units in UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16Text(const std::uint16_t* units, std::size_t count);

// Appends "0x" and `digits` upper-case hex digits (more when the value needs
// them, 16 at most) to `out`.
void AppendFixedHex(std::string& out, std::uint64_t value, int digits);

// "2026-12-07T23:30:05", the local time without a zone, as ISO 8601 allows.
std::string IsoLocalTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace disklens
