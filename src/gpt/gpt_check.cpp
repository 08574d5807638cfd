#include "gpt/gpt_check.h"

#include <algorithm>

#include "gpt/crc32.h"

namespace disklens {

namespace {

// The rounding below clears low bits, which only works for powers of two.
bool IsPowerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

std::uint64_t RoundUpToSector(std::uint64_t bytes, std::uint32_t sectorSize) {
  return (bytes + sectorSize - 1) & ~static_cast<std::uint64_t>(sectorSize - 1);
}

std::uint64_t EntryArrayBytes(ByteView header) {
  return static_cast<std::uint64_t>(header.U32(kGptEntryCount)) * header.U32(kGptEntrySize);
}

// CRC of the first `size` header bytes with the CRC field read as zeros, so the
// buffer itself is never written.
std::uint32_t HeaderCrc(ByteView header, std::uint32_t size) {
  static const std::uint8_t kZeros[4] = {};
  const auto crcField = static_cast<std::uint32_t>(kGptHeaderCrc);
  std::uint32_t crc = Crc32Update(0, header.data, std::min(size, crcField));
  if (size > crcField) crc = Crc32Update(crc, kZeros, std::min(size, crcField + 4) - crcField);
  if (size > crcField + 4) crc = Crc32Update(crc, header.data + crcField + 4, size - crcField - 4);
  return crc;
}

}  // namespace

std::uint32_t GptAreaBytes(ByteView header, std::uint32_t sectorSize) {
  if (!IsPowerOfTwo(sectorSize)) return 0xFFFFFFFFu;
  const std::uint64_t total = RoundUpToSector(EntryArrayBytes(header), sectorSize) +
                              RoundUpToSector(header.U32(kGptHeaderSize), sectorSize);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu));
}

std::int32_t ValidateGptHeader(ByteView header, std::uint32_t sectorSize) {
  if (!header.Matches(kGptSignature, "EFI PART", 8)) return kGptBadSignature;

  const std::uint32_t headerSize = header.U32(kGptHeaderSize);
  if (headerSize > 512) return kGptInvalid;
  if (!IsPowerOfTwo(sectorSize)) return kGptInvalid;
  if (!header.Has(0, kGptHeaderFieldBytes) || !header.Has(0, headerSize)) return kGptInvalid;

  if (HeaderCrc(header, headerSize) != header.U32(kGptHeaderCrc)) return kGptInvalid;
  if (header.U32(kGptRevision) != kGptRevision100) return kGptBadRevision;

  const std::uint64_t areaSectors = GptAreaBytes(header, sectorSize) / sectorSize;
  const std::uint64_t myLba = header.U64(kGptMyLba);
  const std::uint64_t alternateLba = header.U64(kGptAlternateLba);
  const std::uint64_t firstUsable = header.U64(kGptFirstUsableLba);
  const std::uint64_t lastUsable = header.U64(kGptLastUsableLba);

  if (firstUsable >= alternateLba) return kGptInvalid;
  if (firstUsable >= lastUsable) return kGptInvalid;
  if (firstUsable < myLba + areaSectors) return kGptInvalid;
  if (header.U64(kGptEntryLba) != 2) return kGptInvalid;
  if (myLba != 1) return kGptInvalid;
  // Room for the backup entry array in front of the backup header.
  if (alternateLba < areaSectors || lastUsable > alternateLba - areaSectors) return kGptInvalid;
  if (header.U32(kGptEntryCount) == 0) return kGptInvalid;
  if (header.U32(kGptEntrySize) < 128) return kGptInvalid;
  return kGptValid;
}

std::int32_t CheckGpt(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t sectorSize,
                      GptView& view) {
  view = GptView{buffer, length, nullptr, nullptr, sectorSize};
  if (buffer == nullptr || length < 2 * static_cast<std::uint64_t>(sectorSize)) {
    return kGptBufferTooShort;
  }
  if (!IsPowerOfTwo(sectorSize)) return kGptInvalid;
  view.header = buffer + sectorSize;

  const ByteView header{view.header, length - sectorSize};
  const std::int32_t result = ValidateGptHeader(header, sectorSize);
  if (result != kGptValid) return result;

  // The array starts at LBA 2 whatever HeaderSize says (it may be 0), and its
  // size is taken in 64 bits, so a wrapping product can't hide its real end.
  const std::uint64_t needed = std::max<std::uint64_t>(
      sectorSize + static_cast<std::uint64_t>(GptAreaBytes(header, sectorSize)),
      2 * static_cast<std::uint64_t>(sectorSize) +
          RoundUpToSector(EntryArrayBytes(header), sectorSize));
  if (needed > length) {
    view.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(needed, 0xFFFFFFFFu));
    return kGptAreaBeyondBuffer;
  }

  view.entries = buffer + 2 * sectorSize;
  const auto arrayBytes = static_cast<std::uint32_t>(EntryArrayBytes(header));
  return Crc32Update(0, view.entries, arrayBytes) == header.U32(kGptEntryArrayCrc) ? kGptValid
                                                                                   : kGptInvalid;
}

}  // namespace disklens
