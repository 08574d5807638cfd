// Signature tests on one sector, as it was read: a test whose bytes lie past
// the end of the view does not match.
#pragma once

#include <cstddef>

#include "bytes/bytes.h"

namespace disklens {

// True when `length` bytes of `pattern` occur at some offset of `area`
// (never when the pattern is longer than the area).
bool ContainsBytes(ByteView area, const void* pattern, std::size_t length);

// True when the bytes at `offset` are the ASCII `text`, letters in any case.
bool MatchesAnyCase(ByteView sector, std::size_t offset, const char* text, std::size_t length);

// Bytes 510 and 511 are 0x55 0xAA.
bool HasBootSignature(ByteView sector);

// Hidden sectors 0 and "MBR-help" somewhere in 0x130..0x1B7: a partition table
// sector that must never pass for a FAT boot sector.
bool IsMarkedAsMbr(ByteView sector);

bool IsNtfsBootSector(ByteView sector);
bool IsFat32BootSector(ByteView sector);
bool IsBitLockerBootSector(ByteView sector);
bool IsFatBootSector(ByteView sector);
bool IsGrubBootSector(ByteView sector);
bool IsLiloBootSector(ByteView sector);
bool IsSyslinuxBootSector(ByteView sector);
bool IsRefsBootSector(ByteView sector);
bool IsExfatBootSector(ByteView sector);

}  // namespace disklens
