#include "check/gpt_copy.h"

#include <cstdio>
#include <cstring>

#include "check/finding.h"
#include "disk/transfer.h"
#include "gpt/crc32.h"

namespace disklens {

namespace {

// The signature's 8 bytes as text, a byte that is no printable ASCII as '.'.
std::string SignatureText(ByteView header) {
  std::string text;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::uint8_t c = header.U8(kGptSignature + i);
    text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.');
  }
  return "\"" + text + "\"";
}

GptCopyFault Fail(const char* check, std::size_t offset, std::string expected, std::string found) {
  return {check, static_cast<std::uint32_t>(offset), std::move(expected), std::move(found)};
}

// The CRC-32 of the header's `size` bytes with its own CRC field as zeros.
std::uint32_t HeaderCrc(ByteView header, std::uint32_t size) {
  static constexpr std::uint8_t kZeros[4] = {};
  constexpr std::uint32_t kAfter = kGptHeaderCrc + 4;
  static_assert(kAfter <= kGptHeaderFieldBytes);
  std::uint32_t crc = Crc32Update(0, header.data, kGptHeaderCrc);
  crc = Crc32Update(crc, kZeros, 4);
  return Crc32Update(crc, header.data + kAfter, size - kAfter);
}

std::uint64_t ArrayBytes(ByteView header) {
  return static_cast<std::uint64_t>(header.U32(kGptEntryCount)) * header.U32(kGptEntrySize);
}

std::uint64_t ArraySectors(ByteView header, std::uint32_t sectorSize) {
  return (ArrayBytes(header) + sectorSize - 1) / sectorSize;
}

}  // namespace

ByteView GptCopy::Header() const {
  return ByteView{bytes.data(), headerRead ? std::min<std::size_t>(sectorSize, bytes.size()) : 0};
}

ByteView GptCopy::Array() const {
  if (bytes.size() <= sectorSize) return {};
  const std::uint64_t claimed = ArrayBytes(Header());
  const std::size_t held = bytes.size() - sectorSize;
  return ByteView{bytes.data() + sectorSize,
                  claimed < held ? static_cast<std::size_t>(claimed) : held};
}

GptCopyFault CheckGptCopyHeader(ByteView h, std::uint64_t lba, std::uint32_t sectorSize) {
  // The signature is "EFI PART".
  if (!h.Matches(kGptSignature, "EFI PART", 8)) {
    return Fail("signature", kGptSignature, "\"EFI PART\"", SignatureText(h));
  }
  // The revision is 1.0; no other was ever defined.
  if (h.U32(kGptRevision) != kGptRevision100) {
    return Fail("revision", kGptRevision, HexText(kGptRevision100, 8),
                HexText(h.U32(kGptRevision), 8));
  }
  // HeaderSize covers at least the fields and at most the sector read.
  const std::uint32_t size = h.U32(kGptHeaderSize);
  if (size < kGptHeaderFieldBytes || size > sectorSize || !h.Has(0, size)) {
    return Fail("header size", kGptHeaderSize, "92 to " + std::to_string(sectorSize),
                std::to_string(size));
  }
  // The header's CRC-32, taken with its own field as zeros.
  const std::uint32_t crc = HeaderCrc(h, size);
  if (crc != h.U32(kGptHeaderCrc)) {
    return Fail("header CRC-32", kGptHeaderCrc, HexText(crc, 8), HexText(h.U32(kGptHeaderCrc), 8));
  }
  // MyLBA is the sector the header was read from.
  if (h.U64(kGptMyLba) != lba) {
    return Fail("MyLBA", kGptMyLba, std::to_string(lba), std::to_string(h.U64(kGptMyLba)));
  }
  // FirstUsableLBA is not past LastUsableLBA.
  const std::uint64_t first = h.U64(kGptFirstUsableLba);
  const std::uint64_t last = h.U64(kGptLastUsableLba);
  if (first > last) {
    return Fail("FirstUsableLBA/LastUsableLBA order", kGptFirstUsableLba,
                "at most " + std::to_string(last), std::to_string(first));
  }
  // The header lies outside the usable area.
  if (lba >= first && lba <= last) {
    return Fail("header outside the usable area", kGptMyLba,
                "below " + std::to_string(first) + " or above " + std::to_string(last),
                std::to_string(lba));
  }
  // An entry holds at least the 128 bytes of its fields, in whole 8-byte units.
  const std::uint32_t entrySize = h.U32(kGptEntrySize);
  if (entrySize < kEntryReadBytes || entrySize % 8 != 0) {
    return Fail("entry size", kGptEntrySize, "128 or a larger multiple of 8",
                std::to_string(entrySize));
  }
  // At least one entry, and an array the check reads whole.
  if (h.U32(kGptEntryCount) == 0) return Fail("entry count", kGptEntryCount, "at least 1", "0");
  if (ArrayBytes(h) > kGptCheckArrayCap) {
    return Fail("entry-array size", kGptEntryCount, "at most 4 MiB (all this check reads)",
                std::to_string(ArrayBytes(h)) + " bytes");
  }
  // The array lies beside the header, outside the usable area.
  const std::uint64_t arrayLba = h.U64(kGptEntryLba);
  const std::uint64_t arrayEnd = arrayLba + ArraySectors(h, sectorSize);  // no wrap: both < 2^64/2
  const bool overHeader = lba >= arrayLba && lba < arrayEnd;
  const bool overUsable = arrayLba <= last && arrayEnd > first;
  if (arrayLba == 0 || arrayLba >= (std::uint64_t{1} << 62) || overHeader || overUsable) {
    return Fail(
        "entry-array location", kGptEntryLba,
        "outside the header and LBAs " + std::to_string(first) + " to " + std::to_string(last),
        std::to_string(arrayLba));
  }
  return {};
}

bool IsValidGptHeader(ByteView header, std::uint64_t lba, std::uint32_t sectorSize) {
  return CheckGptCopyHeader(header, lba, sectorSize).check == nullptr;
}

std::optional<HeldGptCopy> HoldReportedGpt(const ReportState& state, const GptRecord& reported) {
  // Valid in the report means: header at LBA 1, array from LBA 2, both within
  // the sectors read, both CRCs holding.
  if (!reported.found || reported.headerLba != 1 || state.workBuffer == nullptr ||
      state.disk == nullptr || state.disk->sectorSize != reported.sectorSize) {
    return std::nullopt;
  }
  const std::uint32_t ss = reported.sectorSize;
  const std::uint64_t arrayBytes =
      std::uint64_t{reported.header.entryCount} * reported.header.entrySize;
  const std::uint64_t bytes = ss + (arrayBytes + ss - 1) / ss * ss;
  if (ss == 0 || bytes > kWorkBufferSize - ss) return std::nullopt;
  HeldGptCopy held;
  held.bytes.assign(state.workBuffer + ss, state.workBuffer + ss + bytes);
  held.record = reported;
  return held;
}

GptCopy ReadGptCopy(DiskDevice* disk, std::uint64_t lba, std::uint64_t sectorCount,
                    HeldGptCopy* held, const GptCopy* intact) {
  GptCopy copy;
  copy.lba = lba;
  copy.sectorSize = disk != nullptr ? disk->sectorSize : 0;
  const std::uint32_t ss = copy.sectorSize;
  if (ss == 0 || (sectorCount != 0 && lba >= sectorCount)) {
    copy.fault = Fail("header read", 0, "", "past the end of the disk");
    return copy;
  }
  const bool fromHeld = held != nullptr && lba == 1 && held->bytes.size() >= ss;
  if (fromHeld) {
    copy.bytes = std::move(held->bytes);
  } else {
    copy.bytes.resize(ss);
  }
  if (!fromHeld && !ReadSectorsAt(disk, lba, copy.bytes.data(), 1)) {
    copy.bytes.clear();
    copy.fault = Fail("header read", 0, "", "the sector could not be read");
    return copy;
  }
  copy.headerRead = true;
  const ByteView h{copy.bytes.data(), ss};
  copy.hasSignature = h.Matches(kGptSignature, "EFI PART", 8);
  copy.fault = CheckGptCopyHeader(h, lba, ss);
  const std::uint32_t size = h.U32(kGptHeaderSize);
  copy.headerCrcOk = copy.hasSignature && size >= kGptHeaderFieldBytes && size <= ss &&
                     HeaderCrc(h, size) == h.U32(kGptHeaderCrc);
  if (copy.fault.check != nullptr) return copy;

  // The array, whole, once the header says where and how large it is.
  const std::uint64_t arrayLba = h.U64(kGptEntryLba);
  const std::uint64_t sectors = ArraySectors(h, ss);
  if (sectorCount != 0 && (arrayLba >= sectorCount || sectors > sectorCount - arrayLba)) {
    copy.fault =
        Fail("entry-array location", kGptEntryLba,
             "inside the disk's " + std::to_string(sectorCount) + " sectors",
             "LBAs " + std::to_string(arrayLba) + " to " + std::to_string(arrayLba + sectors - 1));
    return copy;
  }
  // The held sectors serve when the array follows the header, as the report found it.
  const std::size_t wanted = ss + static_cast<std::size_t>(sectors) * ss;
  const bool arrayHeld = fromHeld && arrayLba == 2 && copy.bytes.size() >= wanted;
  copy.bytes.resize(wanted);
  if (!arrayHeld &&
      !ReadSectorsAt(disk, arrayLba, copy.bytes.data() + ss, static_cast<std::uint32_t>(sectors))) {
    copy.bytes.resize(ss);
    copy.fault = Fail("entry-array read", kGptEntryLba, "",
                      "LBAs " + std::to_string(arrayLba) + " to " +
                          std::to_string(arrayLba + sectors - 1) + " could not be read");
    return copy;
  }
  // The entry array's CRC-32, over count * size bytes. The header is looked
  // at anew: growing the buffer for the array moved it.
  const ByteView header{copy.bytes.data(), ss};
  const ByteView array = copy.Array();
  const ByteView known = intact != nullptr && intact->Intact() ? intact->Array() : ByteView{};
  const bool sameAsKnown = known.size == array.size && array.size != 0 &&
                           std::memcmp(known.data, array.data, array.size) == 0;
  std::uint32_t crc = 0;
  if (arrayHeld) {
    crc = header.U32(kGptEntryArrayCrc);
  } else if (sameAsKnown) {
    crc = intact->record.header.entryArrayCrc;
  } else {
    crc = Crc32Update(0, array.data, static_cast<std::uint32_t>(array.size));
  }
  if (crc != header.U32(kGptEntryArrayCrc)) {
    copy.fault = Fail("entry-array CRC-32", kGptEntryArrayCrc, HexText(crc, 8),
                      HexText(header.U32(kGptEntryArrayCrc), 8));
    return copy;
  }
  if (arrayHeld) {
    copy.record = std::move(held->record);
    return copy;
  }
  const GptView view{copy.bytes.data(), static_cast<std::uint32_t>(copy.bytes.size()),
                     copy.bytes.data(), copy.bytes.data() + ss, ss};
  copy.record = DecodeGpt(view, lba);
  return copy;
}

}  // namespace disklens
