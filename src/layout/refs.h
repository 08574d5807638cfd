// Where the fields of a ReFS volume boot record lie, as libfsrefs describes it.
#pragma once

#include <cstddef>

namespace disklens {

namespace refs {
inline constexpr std::size_t kFileSystemName = 3;       // 8 bytes: "ReFS" and four zeros
inline constexpr std::size_t kIdentifier = 16;          // 4 bytes: "FSRS"
inline constexpr std::size_t kSectorCount = 24;         // u64
inline constexpr std::size_t kBytesPerSector = 32;      // u32
inline constexpr std::size_t kSectorsPerCluster = 36;   // u32
inline constexpr std::size_t kMajorVersion = 40;        // u8
inline constexpr std::size_t kMinorVersion = 41;        // u8
inline constexpr std::size_t kVolumeSerialNumber = 56;  // u64
}  // namespace refs

}  // namespace disklens
