// The 30-byte block that DKHLP32 ordinal 1 fills: the result buffer of the
// firmware's get-drive-parameters service. The library writes it, the Windows 9x
// back end reads it; both take the field offsets from here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disklens {

inline constexpr std::uint32_t kDriveParameterBlockSize = 30;

namespace drive_parameter_block {
inline constexpr std::size_t kSize = 0;              // u16: the size of the buffer, 30
inline constexpr std::size_t kFlags = 2;             // u16: information flags
inline constexpr std::size_t kCylinders = 4;         // u32
inline constexpr std::size_t kHeads = 8;             // u32
inline constexpr std::size_t kSectorsPerTrack = 12;  // u32; the legacy form keeps CX above bit 16
inline constexpr std::size_t kTotalSectors = 16;     // u64
inline constexpr std::size_t kBytesPerSector = 24;   // u16
inline constexpr std::size_t kConfiguration = 26;    // u32: far pointer to the configuration table
}  // namespace drive_parameter_block

}  // namespace disklens
