// The probe's one-sector reads, each into a buffer owned by its caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bytes/bytes.h"
#include "disk/device.h"

namespace disklens {

// A buffer of one sector of `disk` (empty when there is no disk), aligned to
// the sector size so that a read lands in it directly: an unaligned buffer
// would send every read through the session's TransferBuffer, its lock and a copy.
// Sectors of up to 4 KiB are held inside the object, which lives in its
// caller's frame; only larger ones come from the heap.
class ProbeSectorBuffer {
 public:
  explicit ProbeSectorBuffer(const DiskDevice* disk);
  ~ProbeSectorBuffer();
  ProbeSectorBuffer(const ProbeSectorBuffer&) = delete;
  ProbeSectorBuffer& operator=(const ProbeSectorBuffer&) = delete;

  std::uint8_t* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  static constexpr std::size_t kInlineSize = 4096;
  alignas(kInlineSize) std::uint8_t inline_[kInlineSize];
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t alignment_ = 0;  // nonzero when `data_` is on the heap
};

// Reads the sector `offset` sectors after `base` into `buffer` and points
// `sector` at it. False, with `sector` empty, when the read fails or when the
// sector can't be addressed: base + offset past 2^64 - 1, or a byte position
// past 2^63 - 1, would otherwise wrap round to some other sector of the disk.
bool ReadProbeSector(DiskDevice* disk, std::uint64_t base, std::uint64_t offset,
                     ProbeSectorBuffer& buffer, ByteView& sector);

}  // namespace disklens
