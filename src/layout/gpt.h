// Where the fields of a GPT header (from its first byte, at LBA 1 or in the
// backup's sector) and of one entry slot (from the slot's first byte) lie.
#pragma once

#include <cstddef>

namespace disklens {

namespace gpt_header {
inline constexpr std::size_t kSignature = 0;  // "EFI PART"
inline constexpr std::size_t kRevision = 8;   // u32
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kHeaderCrc = 16;  // u32, CRC-32 of kHeaderSize bytes
inline constexpr std::size_t kMyLba = 24;      // u64
inline constexpr std::size_t kAlternateLba = 32;
inline constexpr std::size_t kFirstUsableLba = 40;
inline constexpr std::size_t kLastUsableLba = 48;
inline constexpr std::size_t kDiskGuid = 56;  // 16 bytes
inline constexpr std::size_t kEntryLba = 72;  // u64
inline constexpr std::size_t kEntryCount = 80;
inline constexpr std::size_t kEntrySize = 84;
inline constexpr std::size_t kEntryArrayCrc = 88;
inline constexpr std::size_t kFieldBytes = 92;  // the fields above, end to end
}  // namespace gpt_header

namespace gpt_entry {
inline constexpr std::size_t kTypeGuid = 0;  // 16 bytes
inline constexpr std::size_t kUniqueGuid = 16;
inline constexpr std::size_t kStartLba = 32;  // u64
inline constexpr std::size_t kEndLba = 40;
inline constexpr std::size_t kAttributes = 48;
inline constexpr std::size_t kName = 56;  // 36 UTF-16LE units
inline constexpr std::size_t kNameUnits = 36;
inline constexpr std::size_t kReadBytes = 128;  // of a slot, only these are read
}  // namespace gpt_entry

}  // namespace disklens
