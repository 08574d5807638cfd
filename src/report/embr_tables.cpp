#include "report/embr_tables.h"

#include <cinttypes>
#include <cstring>

#include "report/extended_chain.h"
#include "report/output.h"
#include "report/partition_types.h"

namespace disklens {

namespace {

constexpr std::size_t kNameSize = 16;

constexpr std::size_t kMptHeaderSize = 10;
constexpr std::size_t kMptEntrySize = 28;
constexpr std::size_t kMbftHeaderSize = 6;
constexpr std::size_t kMbftEntryFixedSize = 27;
constexpr std::size_t kMdtHeaderSize = 16;
constexpr std::size_t kMdtEntryFixedSize = 31;

// A name field up to its first NUL, at most its 16 bytes, control bytes as "?".
struct Name {
  char text[kNameSize + 1];
};

Name ReadName(ByteView entry, std::size_t offset) {
  Name name;
  std::memset(name.text, 0, sizeof name.text);
  for (std::size_t i = 0; i < kNameSize && entry.U8(offset + i) != 0; ++i) {
    name.text[i] = static_cast<char>(entry.U8(offset + i));
  }
  MaskControlBytes(name.text);
  return name;
}

}  // namespace

std::optional<std::size_t> PrintMptTable(ReportState& state, ByteView embr, std::size_t offset) {
  if (!embr.Has(offset, kMptHeaderSize)) return std::nullopt;
  const ByteView header = embr.From(offset);
  const unsigned count = header.U8(4);
  Print("\n                MPT Found:  Revision: %i,  Number of Entries: %i Flag: %X",
        static_cast<int>(header.U8(3)), static_cast<int>(count),
        static_cast<unsigned>(header.U8(5)));
  Print("%s", kSingleRule);
  std::size_t at = offset + kMptHeaderSize;
  bool complete = true;
  for (unsigned k = 0; k < count; ++k, at += kMptEntrySize) {
    if (!embr.Has(at, kMptEntrySize)) {
      complete = false;
      break;
    }
    const ByteView e = embr.From(at);
    const std::uint32_t start = e.U32(2);
    const std::uint32_t end = e.U32(6);
    const std::uint8_t id = e.U8(10);
    const std::uint8_t fs = e.U8(11);
    // End below Start holds no sector; a count that wrapped would send later
    // reads (the last sector of a type 0xDA partition) far off.
    const std::uint64_t sectors = end >= start ? static_cast<std::uint64_t>(end) - start + 1 : 0;
    if (IsBootTargetType(fs)) AddBootTarget(state.bootTargets, fs, id, sectors, start);
    Print("\n %2i: %-16s Flag: %4X Start: %9" PRIu32 " End: %9" PRIu32 " FS: %2X ID: %X",
          static_cast<int>(k), ReadName(e, 12).text, static_cast<unsigned>(e.U16(0)), start, end,
          static_cast<unsigned>(fs), static_cast<unsigned>(id));
    if (state.allOption && IsExtendedType(fs)) {
      PrintExtendedChain(state, start, id);
      Print("\n            EMBR Partition Information (HD%i) Continued:", HdNumber(state));
      Print("\n====================================================================");
    }
  }
  Print("%s", kSingleRule);
  if (!complete) return std::nullopt;
  return at;
}

std::optional<std::size_t> PrintMbftTable(ByteView embr, std::size_t offset) {
  if (!embr.Has(offset, kMbftHeaderSize)) return std::nullopt;
  const ByteView header = embr.From(offset);
  const unsigned count = header.U8(5);
  Print("\n                MBFT Found: Revision: %i,  Number of Entries: %i",
        static_cast<int>(header.U8(4)), static_cast<int>(count));
  Print("%s", kSingleRule);
  std::size_t at = offset + kMbftHeaderSize;
  for (unsigned k = 0; k < count; ++k) {
    if (!embr.Has(at, kMbftEntryFixedSize)) return std::nullopt;
    const ByteView e = embr.From(at);
    const std::uint8_t alloc = e.U8(26);
    Print("\n %2i: %-16s LoadSeg: %4x CodeSeg: %4x:%4x NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, 0).text, static_cast<unsigned>(e.U16(16)),
          static_cast<unsigned>(e.U16(20)), static_cast<unsigned>(e.U16(18)),
          static_cast<int>(e.U8(22)), static_cast<int>(alloc), static_cast<unsigned>(e.U8(23)));
    at += kMbftEntryFixedSize + alloc;
  }
  return at;
}

std::optional<std::size_t> PrintMdtTable(ByteView embr, std::size_t offset) {
  if (!embr.Has(offset, kMdtHeaderSize)) return std::nullopt;
  const ByteView header = embr.From(offset);
  const unsigned count = header.U8(4);
  Print("%s", kSingleRule);
  Print("\n                MDT Found:  Revision: %i,  Number of Entries: %i",
        static_cast<int>(header.U8(3)), static_cast<int>(count));
  Print("%s", kSingleRule);
  std::size_t at = offset + kMdtHeaderSize;
  for (unsigned k = 0; k < count; ++k) {
    if (!embr.Has(at, kMdtEntryFixedSize)) return std::nullopt;
    const ByteView e = embr.From(at);
    const std::uint8_t alloc = e.U8(30);
    Print("\n %2i: %-16s Flag: %2x Start: %9" PRIu32 " NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, 14).text, static_cast<unsigned>(e.U8(0)), e.U32(4),
          static_cast<int>(e.U8(2)), static_cast<int>(alloc), static_cast<unsigned>(e.U8(1)));
    at += kMdtEntryFixedSize + alloc;
  }
  return at;
}

}  // namespace disklens
