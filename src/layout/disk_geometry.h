// Where the fields of the two geometry replies lie, as Windows lays them out
// (the same on x86 and x64): DISK_GEOMETRY, the reply of
// IOCTL_DISK_GET_DRIVE_GEOMETRY, and DISK_GEOMETRY_EX, that of
// IOCTL_DISK_GET_DRIVE_GEOMETRY_EX (DISK_GEOMETRY, the disk size, then
// DISK_PARTITION_INFO and DISK_DETECTION_INFO behind it).
#pragma once

#include <cstddef>

namespace disklens {

namespace disk_geometry {
inline constexpr std::size_t kCylinders = 0;           // i64
inline constexpr std::size_t kMediaType = 8;           // u32
inline constexpr std::size_t kTracksPerCylinder = 12;  // u32: the heads
inline constexpr std::size_t kSectorsPerTrack = 16;    // u32
inline constexpr std::size_t kBytesPerSector = 20;     // u32
inline constexpr std::size_t kSize = 24;
}  // namespace disk_geometry

namespace disk_geometry_ex {
inline constexpr std::size_t kGeometry = 0;        // DISK_GEOMETRY
inline constexpr std::size_t kDiskSize = 24;       // u64: bytes
inline constexpr std::size_t kPartitionInfo = 32;  // DISK_PARTITION_INFO
}  // namespace disk_geometry_ex

namespace disk_partition_info {
inline constexpr std::size_t kSizeOfPartitionInfo = 0;  // u32: DISK_DETECTION_INFO lies behind
inline constexpr std::size_t kPartitionStyle = 4;       // u32
inline constexpr std::size_t kPartitionId = 8;          // 16 bytes: MBR signature or GPT GUID
}  // namespace disk_partition_info

namespace disk_detection_info {
inline constexpr std::size_t kSizeOfDetectInfo = 0;  // u32
inline constexpr std::size_t kDetectionType = 4;     // u32
inline constexpr std::size_t kInt13 = 8;             // DISK_INT13_INFO
inline constexpr std::size_t kExInt13 = 24;          // DISK_EX_INT13_INFO
}  // namespace disk_detection_info

namespace disk_int13_info {
inline constexpr std::size_t kDriveSelect = 0;      // u16
inline constexpr std::size_t kMaxCylinders = 4;     // u32
inline constexpr std::size_t kSectorsPerTrack = 8;  // u16
inline constexpr std::size_t kMaxHeads = 10;        // u16
inline constexpr std::size_t kNumberDrives = 12;    // u16
inline constexpr std::size_t kSize = 16;
}  // namespace disk_int13_info

}  // namespace disklens
