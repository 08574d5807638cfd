#include "gpt/probe_sector.h"

#include <bit>
#include <cstring>
#include <new>

#include "disk/transfer.h"

namespace disklens {

ProbeSectorBuffer::ProbeSectorBuffer(const DiskDevice* disk) {
  if (disk == nullptr || disk->sectorSize == 0) return;
  size_ = disk->sectorSize;
  if (size_ <= kInlineSize) {
    data_ = inline_;
  } else {
    // A power of two at least the sector size clears every bit of the device's sector mask.
    alignment_ = std::bit_ceil(size_);
    data_ = static_cast<std::uint8_t*>(::operator new(size_, std::align_val_t{alignment_}));
  }
  std::memset(data_, 0, size_);
}

ProbeSectorBuffer::~ProbeSectorBuffer() {
  if (alignment_ != 0) ::operator delete(data_, std::align_val_t{alignment_});
}

bool ReadProbeSector(DiskDevice* disk, std::uint64_t base, std::uint64_t offset,
                     ProbeSectorBuffer& buffer, ByteView& sector) {
  sector = ByteView{};
  if (disk == nullptr || disk->sectorSize == 0 || buffer.Size() < disk->sectorSize) return false;
  if (offset > UINT64_MAX - base) return false;
  const std::uint64_t lba = base + offset;
  if (lba >= (UINT64_C(1) << 63) / disk->sectorSize) return false;
  if (!ReadSectorsAt(disk, lba, buffer.Data(), 1)) return false;
  sector = ByteView{buffer.Data(), disk->sectorSize};
  return true;
}

}  // namespace disklens
