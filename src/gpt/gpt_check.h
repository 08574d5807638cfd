// Whether the first sectors of a disk hold a GPT: the header at LBA 1 and its
// entry array at LBA 2, both CRC-32s included.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes/bytes.h"
#include "layout/gpt.h"

namespace disklens {

// The GPT header fields, by the names of layout/gpt.h.
inline constexpr std::size_t kGptSignature = gpt_header::kSignature;
inline constexpr std::size_t kGptRevision = gpt_header::kRevision;
inline constexpr std::size_t kGptHeaderSize = gpt_header::kHeaderSize;
inline constexpr std::size_t kGptHeaderCrc = gpt_header::kHeaderCrc;
inline constexpr std::size_t kGptMyLba = gpt_header::kMyLba;
inline constexpr std::size_t kGptAlternateLba = gpt_header::kAlternateLba;
inline constexpr std::size_t kGptFirstUsableLba = gpt_header::kFirstUsableLba;
inline constexpr std::size_t kGptLastUsableLba = gpt_header::kLastUsableLba;
inline constexpr std::size_t kGptDiskGuid = gpt_header::kDiskGuid;
inline constexpr std::size_t kGptEntryLba = gpt_header::kEntryLba;
inline constexpr std::size_t kGptEntryCount = gpt_header::kEntryCount;
inline constexpr std::size_t kGptEntrySize = gpt_header::kEntrySize;
inline constexpr std::size_t kGptEntryArrayCrc = gpt_header::kEntryArrayCrc;
inline constexpr std::size_t kGptHeaderFieldBytes = gpt_header::kFieldBytes;

inline constexpr std::uint32_t kGptRevision100 = 0x00010000;

// Results of CheckGpt and ValidateGptHeader.
inline constexpr std::int32_t kGptValid = 0;
inline constexpr std::int32_t kGptBadSignature = 8;
inline constexpr std::int32_t kGptBufferTooShort = 61;
inline constexpr std::int32_t kGptAreaBeyondBuffer = 63;
inline constexpr std::int32_t kGptBadRevision = 76;
inline constexpr std::int32_t kGptInvalid = 94;

// Where the header and the entry array lie in the caller's buffer.
struct GptView {
  const std::uint8_t* buffer = nullptr;   // LBA 0
  std::uint32_t length = 0;               // valid bytes; on 63 the bytes needed
  const std::uint8_t* header = nullptr;   // LBA 1; null below two sectors
  const std::uint8_t* entries = nullptr;  // LBA 2; null unless the array was reached
  std::uint32_t sectorSize = 0;
};

// Checks `length` bytes read from LBA 0 on. 0 when they hold a valid GPT, then
// `view` says where; otherwise one of the codes above. The buffer is not written.
std::int32_t CheckGpt(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t sectorSize,
                      GptView& view);

// The tests that concern the header alone; `header` covers the bytes read from
// LBA 1 on, and no byte beyond it is looked at. 0, 8, 76 or 94.
std::int32_t ValidateGptHeader(ByteView header, std::uint32_t sectorSize);

// The bytes of the header and of the entry array, each rounded up to whole
// sectors. Saturates at 0xFFFFFFFF where the 32-bit sum would wrap.
std::uint32_t GptAreaBytes(ByteView header, std::uint32_t sectorSize);

}  // namespace disklens
