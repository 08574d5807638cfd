// Where the fields of the EMBR lie: the 18-byte header with its "EMBR" mark,
// then the MPT, MBFT and MDT tables, each a header with its mark and count and
// the entries behind it. Offsets are from the start of the header or entry.
#pragma once

#include <cstddef>

namespace disklens {

inline constexpr std::size_t kEmbrHeaderSize = 18;
inline constexpr std::size_t kEmbrNameSize = 16;  // the name field of every table entry
inline constexpr std::size_t kMptHeaderSize = 10;
inline constexpr std::size_t kMptEntrySize = 28;
inline constexpr std::size_t kMbftHeaderSize = 6;
inline constexpr std::size_t kMbftEntryFixedSize = 27;  // the allocation byte's count follows
inline constexpr std::size_t kMdtHeaderSize = 16;
inline constexpr std::size_t kMdtEntryFixedSize = 31;  // the allocation byte's count follows

namespace embr_header {
inline constexpr std::size_t kMark = 0;              // "EMBR"
inline constexpr std::size_t kRevision = 4;          // u8
inline constexpr std::size_t kMinSpt = 5;            // u8
inline constexpr std::size_t kSectors = 6;           // u8
inline constexpr std::size_t kSectorSize = 8;        // i16
inline constexpr std::size_t kLastCylinder = 10;     // i16
inline constexpr std::size_t kLastHead = 12;         // u8
inline constexpr std::size_t kSectorsPerTrack = 13;  // u8
}  // namespace embr_header

namespace mpt_header {
inline constexpr std::size_t kMark = 0;      // "MPT"
inline constexpr std::size_t kRevision = 3;  // u8
inline constexpr std::size_t kCount = 4;     // u8: entries
inline constexpr std::size_t kFlag = 5;      // u8
}  // namespace mpt_header

namespace mpt_entry {
inline constexpr std::size_t kFlag = 0;         // u16
inline constexpr std::size_t kStart = 2;        // u32: first LBA
inline constexpr std::size_t kEnd = 6;          // u32: last LBA
inline constexpr std::size_t kId = 10;          // u8
inline constexpr std::size_t kFileSystem = 11;  // u8: the partition type
inline constexpr std::size_t kName = 12;        // kEmbrNameSize bytes
}  // namespace mpt_entry

namespace mbft_header {
inline constexpr std::size_t kMark = 0;      // "MBFT"
inline constexpr std::size_t kRevision = 4;  // u8
inline constexpr std::size_t kCount = 5;     // u8: entries
}  // namespace mbft_header

namespace mbft_entry {
inline constexpr std::size_t kName = 0;          // kEmbrNameSize bytes
inline constexpr std::size_t kLoadSegment = 16;  // u16
inline constexpr std::size_t kCodeOffset = 18;   // u16
inline constexpr std::size_t kCodeSegment = 20;  // u16
inline constexpr std::size_t kSectors = 22;      // u8
inline constexpr std::size_t kId = 23;           // u8
inline constexpr std::size_t kAlloc = 26;        // u8: bytes that follow the fixed part
}  // namespace mbft_entry

namespace mdt_header {
inline constexpr std::size_t kMark = 0;      // "MDT"
inline constexpr std::size_t kRevision = 3;  // u8
inline constexpr std::size_t kCount = 4;     // u8: entries
}  // namespace mdt_header

namespace mdt_entry {
inline constexpr std::size_t kFlag = 0;     // u8
inline constexpr std::size_t kId = 1;       // u8
inline constexpr std::size_t kSectors = 2;  // u8
inline constexpr std::size_t kStart = 4;    // u32: first LBA
inline constexpr std::size_t kName = 14;    // kEmbrNameSize bytes
inline constexpr std::size_t kAlloc = 30;   // u8: bytes that follow the fixed part
}  // namespace mdt_entry

}  // namespace disklens
