#include "bootsector/fat32_backup.h"

#include <cstdint>
#include <cstring>

namespace disklens {

namespace {

constexpr std::size_t kBackupNumberOffset = 0x32;
constexpr std::uint16_t kNoBackup = 0xFFFF;
constexpr std::uint16_t kDefaultBackup = 6;

}  // namespace

ByteView PlaceFat32Backup(ReportState& state, const BootTarget& row, ByteView primary) {
  const std::size_t offset = primary.size > kBackupAreaOffset ? primary.size : kBackupAreaOffset;
  const std::size_t room = primary.size > kBackupAreaSize ? primary.size : kBackupAreaSize;
  if (offset + room > kWorkBufferSize) return ByteView{};  // sectors no disk has
  std::uint8_t* area = state.workBuffer + offset;
  // Nothing reads the area but through the view returned, which covers only
  // what is written into it below: it is cleared when it is shown as zeros.

  const std::uint16_t number = primary.U16(kBackupNumberOffset);
  if (number == kNoBackup) {
    std::memcpy(area, primary.data, primary.size);
    return ByteView{area, primary.size};
  }
  const std::uint64_t distance = number == 0 ? kDefaultBackup : number;
  // A backup beyond what 64 bits hold would wrap to the disk's start: none is read.
  const std::size_t read = distance > UINT64_MAX - row.lba
                               ? 0
                               : ReadIntoWorkBuffer(state, row.lba + distance, 1, offset);
  if (read == 0) {
    // A read that failed part way may have left some bytes; show none of them.
    std::memset(area, 0, room);
    return ByteView{area, room};
  }
  return ByteView{area, read};
}

}  // namespace disklens
