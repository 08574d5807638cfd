#include "report/embr_tables.h"

#include <cinttypes>
#include <cstring>

#include "report/partition_types.h"
#include "text/output.h"

namespace disklens {

namespace {

constexpr std::uint32_t kEmbrReadSectors = 63;
constexpr std::size_t kSecondPlace = 512;  // LBA 2 with 512-byte sectors

// The entries of a table whose header lies at `offset`; each entry is `fixed`
// bytes plus, for the MBFT and MDT, the allocation byte at `allocAt`.
std::optional<EmbrTable> FindTable(ByteView embr, std::size_t offset, std::size_t headerSize,
                                   std::size_t countAt, std::size_t fixed,
                                   std::optional<std::size_t> allocAt) {
  if (!embr.Has(offset, headerSize)) return std::nullopt;
  EmbrTable table;
  table.offset = offset;
  const unsigned count = embr.U8(offset + countAt);
  std::size_t at = offset + headerSize;
  for (unsigned k = 0; k < count; ++k) {
    if (!embr.Has(at, fixed)) return table;
    table.entries.push_back(at);
    at += fixed + (allocAt ? embr.U8(at + *allocAt) : 0u);
  }
  table.complete = true;
  return table;
}

// Right behind the last entry, where the next table may start.
std::size_t TableEnd(ByteView embr, const EmbrTable& table, std::size_t headerSize,
                     std::size_t fixed, std::optional<std::size_t> allocAt) {
  if (table.entries.empty()) return table.offset + headerSize;
  const std::size_t last = table.entries.back();
  return last + fixed + (allocAt ? embr.U8(last + *allocAt) : 0u);
}

// A name field up to its first NUL, at most its 16 bytes, control bytes as "?".
struct Name {
  char text[kEmbrNameSize + 1];
};

Name ReadName(ByteView entry, std::size_t offset) {
  Name name;
  std::memset(name.text, 0, sizeof name.text);
  for (std::size_t i = 0; i < kEmbrNameSize && entry.U8(offset + i) != 0; ++i) {
    name.text[i] = static_cast<char>(entry.U8(offset + i));
  }
  MaskControlBytes(name.text);
  return name;
}

void PrintMpt(const ReportState& state, const EmbrRecord& record) {
  const ByteView header = record.embr.From(record.mpt->offset);
  Print("\n                MPT Found:  Revision: %i,  Number of Entries: %i Flag: %X",
        static_cast<int>(header.U8(3)), static_cast<int>(header.U8(4)),
        static_cast<unsigned>(header.U8(5)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mpt->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mpt->entries[k]);
    Print("\n %2i: %-16s Flag: %4X Start: %9" PRIu32 " End: %9" PRIu32 " FS: %2X ID: %X",
          static_cast<int>(k), ReadName(e, 12).text, static_cast<unsigned>(e.U16(0)), e.U32(2),
          e.U32(6), static_cast<unsigned>(e.U8(11)), static_cast<unsigned>(e.U8(10)));
    if (record.mptChains[k]) {
      PrintChainRecord(*record.mptChains[k]);
      Print("\n            EMBR Partition Information (HD%i) Continued:", HdNumber(state));
      Print("\n====================================================================");
    }
  }
  Print("%s", kSingleRule);
}

void PrintMbft(const EmbrRecord& record) {
  const ByteView header = record.embr.From(record.mbft->offset);
  Print("\n                MBFT Found: Revision: %i,  Number of Entries: %i",
        static_cast<int>(header.U8(4)), static_cast<int>(header.U8(5)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mbft->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mbft->entries[k]);
    Print("\n %2i: %-16s LoadSeg: %4x CodeSeg: %4x:%4x NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, 0).text, static_cast<unsigned>(e.U16(16)),
          static_cast<unsigned>(e.U16(20)), static_cast<unsigned>(e.U16(18)),
          static_cast<int>(e.U8(22)), static_cast<int>(e.U8(26)), static_cast<unsigned>(e.U8(23)));
  }
}

void PrintMdt(const EmbrRecord& record) {
  const ByteView header = record.embr.From(record.mdt->offset);
  Print("%s", kSingleRule);
  Print("\n                MDT Found:  Revision: %i,  Number of Entries: %i",
        static_cast<int>(header.U8(3)), static_cast<int>(header.U8(4)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mdt->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mdt->entries[k]);
    Print("\n %2i: %-16s Flag: %2x Start: %9" PRIu32 " NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, 14).text, static_cast<unsigned>(e.U8(0)), e.U32(4),
          static_cast<int>(e.U8(2)), static_cast<int>(e.U8(30)), static_cast<unsigned>(e.U8(1)));
  }
}

}  // namespace

ByteView EmbrName(ByteView entry, std::size_t offset) {
  const ByteView name = entry.From(offset);
  return {name.data, name.size < kEmbrNameSize ? name.size : kEmbrNameSize};
}

EmbrRecord ReadEmbr(ReportState& state) {
  EmbrRecord record;
  const std::size_t bytesRead = ReadIntoWorkBuffer(state, 1, kEmbrReadSectors);
  if (bytesRead == 0) return record;
  const ByteView data{state.workBuffer, bytesRead};
  ByteView embr;
  if (data.Matches(0, "EMBR", 4)) {
    embr = data;
  } else if (data.Matches(kSecondPlace, "EMBR", 4)) {
    embr = data.From(kSecondPlace);
  } else {
    return record;
  }
  if (!embr.Has(0, kEmbrHeaderSize)) return record;
  record.embr = embr;
  // Each table is looked for only right behind the one before it; a table that
  // runs past the data read ends the section.
  if (!embr.Matches(kEmbrHeaderSize, "MPT", 3)) return record;
  record.mpt = FindTable(embr, kEmbrHeaderSize, kMptHeaderSize, 4, kMptEntrySize, std::nullopt);
  if (!record.mpt) return record;
  for (const std::size_t at : record.mpt->entries) {
    const ByteView e = embr.From(at);
    const std::uint32_t start = e.U32(2);
    const std::uint32_t end = e.U32(6);
    const std::uint8_t id = e.U8(10);
    const std::uint8_t fs = e.U8(11);
    // End below Start holds no sector; a count that wrapped would send later
    // reads (the last sector of a type 0xDA partition) far off.
    const std::uint64_t sectors = end >= start ? static_cast<std::uint64_t>(end) - start + 1 : 0;
    if (IsBootTargetType(fs)) AddBootTarget(state.bootTargets, fs, id, sectors, start);
    auto& chain = record.mptChains.emplace_back();
    if (state.allOption && IsExtendedType(fs)) chain = WalkExtendedChain(state, start, id);
  }
  if (!record.mpt->complete) return record;
  const std::size_t mptEnd = TableEnd(embr, *record.mpt, kMptHeaderSize, kMptEntrySize, std::nullopt);
  if (!embr.Matches(mptEnd, "MBFT", 4)) return record;
  record.mbft = FindTable(embr, mptEnd, kMbftHeaderSize, 5, kMbftEntryFixedSize, 26);
  if (!record.mbft || !record.mbft->complete) return record;
  const std::size_t mbftEnd = TableEnd(embr, *record.mbft, kMbftHeaderSize, kMbftEntryFixedSize, 26);
  if (!embr.Matches(mbftEnd, "MDT", 3)) return record;
  record.mdt = FindTable(embr, mbftEnd, kMdtHeaderSize, 4, kMdtEntryFixedSize, 30);
  return record;
}

void PrintEmbrRecord(const ReportState& state, const EmbrRecord& record) {
  const ByteView embr = record.embr;
  if (embr.size == 0) return;
  Print("\n");
  Print("%s", kDoubleRule);
  Print("\n                               EMBR Found (HD%i)", HdNumber(state));
  Print("%s", kSingleRule);
  Print("\n Revision:  %4x   Min SPT: %4i   Sectors: %3i   SSize:  %4i",
        static_cast<unsigned>(embr.U8(4)), static_cast<int>(embr.U8(5)),
        static_cast<int>(embr.U8(6)), static_cast<int>(static_cast<std::int16_t>(embr.U16(8))));
  Print("\n  Last Cyl: %4i   Last Hd: %4i   SPT:     %3i",
        static_cast<int>(static_cast<std::int16_t>(embr.U16(10))), static_cast<int>(embr.U8(12)),
        static_cast<int>(embr.U8(13)));
  Print("%s", kSingleRule);
  if (record.mpt) PrintMpt(state, record);
  if (record.mbft) PrintMbft(record);
  if (record.mdt) PrintMdt(record);
  Print("%s", kDoubleRule);
}

}  // namespace disklens
