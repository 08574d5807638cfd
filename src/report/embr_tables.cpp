#include "report/embr_tables.h"

#include <cinttypes>

#include "report/partition_types.h"
#include "text/output.h"
#include "text/text_field.h"

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
  CopyTextField(entry.From(offset), kEmbrNameSize, name.text, sizeof name.text);
  return name;
}

void PrintMpt(const ReportState& state, const EmbrRecord& record) {
  const ByteView header = record.embr.From(record.mpt->offset);
  Print("\n                MPT Found:  Revision: %i,  Number of Entries: %i Flag: %X",
        static_cast<int>(header.U8(mpt_header::kRevision)),
        static_cast<int>(header.U8(mpt_header::kCount)),
        static_cast<unsigned>(header.U8(mpt_header::kFlag)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mpt->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mpt->entries[k]);
    Print("\n %2i: %-16s Flag: %4X Start: %9" PRIu32 " End: %9" PRIu32 " FS: %2X ID: %X",
          static_cast<int>(k), ReadName(e, mpt_entry::kName).text,
          static_cast<unsigned>(e.U16(mpt_entry::kFlag)), e.U32(mpt_entry::kStart),
          e.U32(mpt_entry::kEnd), static_cast<unsigned>(e.U8(mpt_entry::kFileSystem)),
          static_cast<unsigned>(e.U8(mpt_entry::kId)));
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
        static_cast<int>(header.U8(mbft_header::kRevision)),
        static_cast<int>(header.U8(mbft_header::kCount)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mbft->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mbft->entries[k]);
    Print("\n %2i: %-16s LoadSeg: %4x CodeSeg: %4x:%4x NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, mbft_entry::kName).text,
          static_cast<unsigned>(e.U16(mbft_entry::kLoadSegment)),
          static_cast<unsigned>(e.U16(mbft_entry::kCodeSegment)),
          static_cast<unsigned>(e.U16(mbft_entry::kCodeOffset)),
          static_cast<int>(e.U8(mbft_entry::kSectors)), static_cast<int>(e.U8(mbft_entry::kAlloc)),
          static_cast<unsigned>(e.U8(mbft_entry::kId)));
  }
}

void PrintMdt(const EmbrRecord& record) {
  const ByteView header = record.embr.From(record.mdt->offset);
  Print("%s", kSingleRule);
  Print("\n                MDT Found:  Revision: %i,  Number of Entries: %i",
        static_cast<int>(header.U8(mdt_header::kRevision)),
        static_cast<int>(header.U8(mdt_header::kCount)));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < record.mdt->entries.size(); ++k) {
    const ByteView e = record.embr.From(record.mdt->entries[k]);
    Print("\n %2i: %-16s Flag: %2x Start: %9" PRIu32 " NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ReadName(e, mdt_entry::kName).text,
          static_cast<unsigned>(e.U8(mdt_entry::kFlag)), e.U32(mdt_entry::kStart),
          static_cast<int>(e.U8(mdt_entry::kSectors)), static_cast<int>(e.U8(mdt_entry::kAlloc)),
          static_cast<unsigned>(e.U8(mdt_entry::kId)));
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
  if (data.Matches(embr_header::kMark, "EMBR", 4)) {
    embr = data;
  } else if (data.Matches(kSecondPlace + embr_header::kMark, "EMBR", 4)) {
    embr = data.From(kSecondPlace);
  } else {
    return record;
  }
  if (!embr.Has(0, kEmbrHeaderSize)) return record;
  record.embr = embr;
  // Each table is looked for only right behind the one before it; a table that
  // runs past the data read ends the section.
  if (!embr.Matches(kEmbrHeaderSize + mpt_header::kMark, "MPT", 3)) return record;
  record.mpt = FindTable(embr, kEmbrHeaderSize, kMptHeaderSize, mpt_header::kCount, kMptEntrySize,
                         std::nullopt);
  if (!record.mpt) return record;
  for (const std::size_t at : record.mpt->entries) {
    const ByteView e = embr.From(at);
    const std::uint32_t start = e.U32(mpt_entry::kStart);
    const std::uint32_t end = e.U32(mpt_entry::kEnd);
    const std::uint8_t id = e.U8(mpt_entry::kId);
    const std::uint8_t fs = e.U8(mpt_entry::kFileSystem);
    // End below Start holds no sector; a count that wrapped would send later
    // reads (the last sector of a type 0xDA partition) far off.
    const std::uint64_t sectors = end >= start ? static_cast<std::uint64_t>(end) - start + 1 : 0;
    if (IsBootTargetType(fs)) AddBootTarget(state.bootTargets, fs, id, sectors, start);
    auto& chain = record.mptChains.emplace_back();
    if (state.allOption && IsExtendedType(fs)) chain = WalkExtendedChain(state, start, id);
  }
  if (!record.mpt->complete) return record;
  const std::size_t mptEnd = TableEnd(embr, *record.mpt, kMptHeaderSize, kMptEntrySize, std::nullopt);
  if (!embr.Matches(mptEnd + mbft_header::kMark, "MBFT", 4)) return record;
  record.mbft = FindTable(embr, mptEnd, kMbftHeaderSize, mbft_header::kCount, kMbftEntryFixedSize,
                          mbft_entry::kAlloc);
  if (!record.mbft || !record.mbft->complete) return record;
  const std::size_t mbftEnd =
      TableEnd(embr, *record.mbft, kMbftHeaderSize, kMbftEntryFixedSize, mbft_entry::kAlloc);
  if (!embr.Matches(mbftEnd + mdt_header::kMark, "MDT", 3)) return record;
  record.mdt = FindTable(embr, mbftEnd, kMdtHeaderSize, mdt_header::kCount, kMdtEntryFixedSize,
                         mdt_entry::kAlloc);
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
        static_cast<unsigned>(embr.U8(embr_header::kRevision)),
        static_cast<int>(embr.U8(embr_header::kMinSpt)),
        static_cast<int>(embr.U8(embr_header::kSectors)),
        static_cast<int>(static_cast<std::int16_t>(embr.U16(embr_header::kSectorSize))));
  Print("\n  Last Cyl: %4i   Last Hd: %4i   SPT:     %3i",
        static_cast<int>(static_cast<std::int16_t>(embr.U16(embr_header::kLastCylinder))),
        static_cast<int>(embr.U8(embr_header::kLastHead)),
        static_cast<int>(embr.U8(embr_header::kSectorsPerTrack)));
  Print("%s", kSingleRule);
  if (record.mpt) PrintMpt(state, record);
  if (record.mbft) PrintMbft(record);
  if (record.mdt) PrintMdt(record);
  Print("%s", kDoubleRule);
}

}  // namespace disklens
