// Which file stands behind \\.\PhysicalDriveN when the command line or
// DISKLENS_DISKS names image files: the part that every back end (and the test
// fake) reads the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disklens {

struct DiskSource {
  std::string path;                 // empty: no disk at this index
  std::uint32_t imageSectorSize = 512;  // for image files; block devices report their own
  // The entry as the user wrote it (an operand or in DISKLENS_DISKS), for
  // messages; empty for the system's own disks.
  std::string entry{};
  // Why the entry can't be used at all (a sector size we don't know); empty when it can.
  std::string error{};
  // The entry named its sector size ("@4096"); a container that records
  // another one is then said to overrule it.
  bool sectorSizeGiven = false;
  // Named on the command line: a disk the user asked for by name, whose
  // failure to open fails the run.
  bool operand = false;
};

// The BIOS disk numbers 0x80 to 0x9F: disks past the 32nd are left out of the report.
inline constexpr std::uint32_t kDiskNumbers = 32;

// The system's path-list separator: Windows paths hold ':' after the drive letter.
#if defined(_WIN32)
inline constexpr char kDiskListSeparator = ';';
#else
inline constexpr char kDiskListSeparator = ':';
#endif

// DISKLENS_DISKS: paths separated by `separator`, entry N is disk N, an empty
// entry leaves that disk absent, and "@512", "@1024", "@2048" or "@4096" at the
// end of an entry gives an image's sector size; any other "@" and digits there
// is an error of the entry (a file whose name ends so is written
// "./name@513@512"). An empty list is no disk at all.
std::vector<DiskSource> ParseDiskList(const std::string& list,
                                      char separator = kDiskListSeparator);

// One entry of the list, as above; an empty entry is an absent disk.
DiskSource ParseDiskEntry(const std::string& entry);

// The operands of the command line, operand N being disk N: each read as an
// entry of DISKLENS_DISKS is, but never absent (an empty name, or a bare
// "@4096", is an error of the operand).
std::vector<DiskSource> OperandDisks(const std::vector<std::string>& operands);

// The disks of `disks` past the 32 disk numbers, by the names the user gave
// them (their path for the system's own); absent entries are not disks.
std::vector<std::string> DisksPastTheNumbers(const std::vector<DiskSource>& disks);

// DISKLENS_DISKS as the process sees it; none when it is not set. An empty
// value is kept apart from an absent one: it means "no disk at all". Each back
// end reads it its own way.
std::optional<std::string> DiskListVariable();

// "\\.\PhysicalDriveN" to N; none for any other path.
std::optional<std::uint32_t> PhysicalDriveIndex(const char* path);

}  // namespace disklens
