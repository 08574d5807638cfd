// One copy of a GPT (the primary at LBA 1 or a backup) read into buffers of
// the check's own and checked one field at a time, in the order of the
// kernel's is_gpt_valid, so that a copy that fails can say which check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bytes/bytes.h"
#include "disk/device.h"
#include "disk/read_buffer.h"
#include "gpt/gpt_record.h"
#include "state/report_state.h"

namespace disklens {

// The most bytes of an entry array the check reads; a standard array is
// 16 KiB. A header that claims more fails "entry-array size".
inline constexpr std::uint64_t kGptCheckArrayCap = 4u * 1024 * 1024;

// The first check a copy fails; `check` is null when it fails none.
struct GptCopyFault {
  const char* check = nullptr;   // e.g. "header CRC-32"
  std::uint32_t byteOffset = 0;  // of the field, within the header's sector
  std::string expected;
  std::string found;
};

struct GptCopy {
  std::uint64_t lba = 0;
  bool headerRead = false;
  bool hasSignature = false;
  bool headerCrcOk = false;  // the header's fields may be trusted, whatever failed later
  // The header's sector, then the entry array's sectors once read.
  ReadBuffer bytes;
  std::uint32_t sectorSize = 0;
  GptCopyFault fault;
  GptRecord record;  // found only when the copy is intact

  bool Intact() const { return headerRead && fault.check == nullptr; }
  ByteView Header() const;
  ByteView Array() const;  // the array's count * size bytes, empty when not read
};

// The checks of the header alone, read at `lba` (`header` is its sector).
GptCopyFault CheckGptCopyHeader(ByteView header, std::uint64_t lba, std::uint32_t sectorSize);

// The primary as the report's GPT section read it and found it valid: the
// sectors from LBA 1, its header then its entry array, whose CRCs held.
struct HeldGptCopy {
  ReadBuffer bytes;
  GptRecord record;  // the report's, decoded from those bytes
};

// Reads the header at `lba` and, when it passes, its entry array, and checks
// both. `sectorCount` (0: unknown) keeps every read inside the disk. With
// `held` (the primary, lba 1), its sectors are taken instead of read again,
// and its array's CRC, which held over those very bytes, is not taken again.
// `intact`, a copy already found intact: an array the same byte for byte as
// its array has its CRC, which is not taken again.
GptCopy ReadGptCopy(DiskDevice* disk, std::uint64_t lba, std::uint64_t sectorCount,
                    HeldGptCopy* held = nullptr, const GptCopy* intact = nullptr);

// The primary's sectors from the WorkBuffer, as the GPT section left them
// there, when that section found the primary valid at LBA 1; none otherwise.
std::optional<HeldGptCopy> HoldReportedGpt(const ReportState& state, const GptRecord& reported);

// Whether the sector holds a header that passes its own checks at `lba` at
// the given sector size: the test of another sector size.
bool IsValidGptHeader(ByteView header, std::uint64_t lba, std::uint32_t sectorSize);

}  // namespace disklens
