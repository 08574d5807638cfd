#include "platform/vhd_footer.h"

#include "layout/vhd_footer.h"

namespace disklens {

std::uint64_t FixedVhdDataSize(ByteView footer, std::uint64_t fileSize, std::string& why) {
  namespace f = vhd_footer;
  // The checksum covers every byte but its own four; the byte old tools left
  // off lies in the reserved zeros at the end.
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < footer.size && i < f::kSize; ++i) {
    if (i < f::kChecksum || i >= f::kChecksum + 4) sum += footer.data[i];
  }
  if (!footer.Matches(f::kCookie, "conectix", 8) || ~sum != footer.U32Be(f::kChecksum)) {
    why = "a VHD footer whose checksum does not hold";
    return 0;
  }
  if (footer.U32Be(f::kDiskType) != f::kDiskTypeFixed) {
    why = "a VHD footer of 511 bytes on a disk that is not fixed";
    return 0;
  }
  const std::uint64_t size = footer.U64Be(f::kCurrentSize);
  if (size == 0 || fileSize < footer.size || size > fileSize - footer.size) {
    why = "a VHD footer that gives a size of " + std::to_string(size) +
          " bytes, more than the file holds (the file may be truncated)";
    return 0;
  }
  return size;
}

}  // namespace disklens
