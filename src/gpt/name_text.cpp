#include "gpt/name_text.h"

#include "platform/platform.h"

namespace disklens {

std::int32_t WideLength(const std::uint16_t* units, std::int32_t maxUnits) {
  if (units == nullptr) return 0;
  std::int32_t n = 0;
  while (n < maxUnits && units[n] != 0) ++n;
  return n;
}

std::int32_t NameTextCapacity(std::int32_t units) {
#ifdef _WIN32
  return units + units / 4 + 1;
#else
  return 3 * units + 1;
#endif
}

char* WideToNarrow(char* dst, std::int32_t dstSize, const std::uint16_t* src,
                   std::int32_t srcUnits) {
  if (dst == nullptr || dstSize <= 0) return dst;
  const std::int32_t room = dstSize - 1;
  // A room of 0 would make WideCharToMultiByte report the size it needs
  // instead of converting.
  std::int32_t r = 0;
  if (room > 0 && src != nullptr && srcUnits > 0) {
    r = CurrentPlatform().WideCharToMultiByte(kCpAcp, src, srcUnits, dst, room);
  }
  if (r > 0 && r <= room) {
    dst[r] = '\0';
    return dst;
  }
  std::int32_t written = 0;
  for (; src != nullptr && written < srcUnits && written < room; ++written) {
    dst[written] = static_cast<char>(src[written] & 0xFFu);
  }
  dst[written] = '\0';
  return dst;
}

std::vector<char> NameToText(const std::uint16_t* name) {
  const std::int32_t n = WideLength(name, kGptNameUnits);
  std::vector<char> text(static_cast<std::size_t>(NameTextCapacity(n)), '\0');
  WideToNarrow(text.data(), static_cast<std::int32_t>(text.size()), name, n);
  return text;
}

char* NameToText(const std::uint16_t* name, char (&out)[kNameTextMax]) {
  const std::int32_t n = WideLength(name, kGptNameUnits);
  static_assert(kNameTextMax >= 3 * kGptNameUnits + 1 &&
                kNameTextMax >= kGptNameUnits + kGptNameUnits / 4 + 1);
  // The same room as the buffer above: a code page whose text would not fit
  // it falls back to the low bytes here too.
  return WideToNarrow(out, NameTextCapacity(n), name, n);
}

}  // namespace disklens
