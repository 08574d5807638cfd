// Our own DKHLP32: BIOS-level disk access by BIOS number 0x80 + N, built on the
// platform's raw disk N. It honours the three ordinal contracts of the library.
#pragma once

#include <cstdint>

#include "layout/drive_parameter_block.h"
#include "platform/platform.h"

namespace disklens {

// Ordinal 1: fills the 30-byte DriveParameterBlock; nonzero when a disk answers.
std::int32_t DK_WINAPI DkDriveParameters(std::uint32_t biosNumber, void* block,
                                         std::uint32_t length);
// Ordinal 2: nonzero when all `sectorCount` sectors were read into `buffer`.
std::int32_t DK_WINAPI DkReadSectors(std::uint32_t lbaLow, void* buffer, std::uint32_t sectorCount,
                                     std::uint32_t biosNumber);
// Ordinal 3: nonzero when all sectors were written from `buffer`.
std::int32_t DK_WINAPI DkWriteSectors(std::uint32_t lbaLow, void* buffer,
                                      std::uint32_t sectorCount, std::uint32_t biosNumber);

// Fills a drive parameter block the way a current firmware does (no legacy form).
void EncodeDriveParameterBlock(std::uint32_t cylinders, std::uint32_t heads,
                               std::uint32_t sectorsPerTrack, std::uint64_t totalSectors,
                               std::uint16_t bytesPerSector,
                               std::uint8_t block[kDriveParameterBlockSize]);

// What GetProcAddress gives for an ordinal of the library; null when it has none.
ProcAddress Dkhlp32Export(std::uint16_t ordinal);
// Called when the library is unloaded: closes the disks it keeps open.
void Dkhlp32Unload();

}  // namespace disklens
