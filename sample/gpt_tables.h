// A GUID partition table: primary header and entry array at LBA 1 and 2, their
// backup copies at the end of the disk, both with their CRC-32s.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sample_bytes.h"

namespace disklens::sample {

// The 16 bytes of a UUID in the order written, as Linux file systems store it.
Bytes UuidBytes(const std::string& text);

// The 16 on-disk bytes of a GUID written as "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX":
// the first three groups little-endian, the last two in the order written.
Bytes GuidBytes(const std::string& text);

// CRC-32 (reflected, polynomial 0xEDB88320) of `length` bytes.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t length);

struct GptPartition {
  std::string typeGuid;
  std::string uniqueGuid;
  std::uint64_t firstLba = 0;
  std::uint64_t lastLba = 0;
  std::uint64_t attributes = 0;
  std::string name;  // ASCII, stored as UTF-16LE
};

// Adds to `disk` the header and 128-entry array at LBA 1 and 2 and their backups
// in the last 33 sectors. Partitions fill the slots from 0.
void PutGpt(SampleDisk& disk, const std::string& diskGuid, const std::vector<GptPartition>& partitions);

}  // namespace disklens::sample
