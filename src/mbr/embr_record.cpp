#include "mbr/embr_record.h"

#include "mbr/partition_types.h"

namespace disklens {

namespace {

constexpr std::uint32_t kEmbrReadSectors = 63;
constexpr std::size_t kSecondPlace = 512;  // LBA 2 with 512-byte sectors

EmbrName ReadName(ByteView entry, std::size_t offset) {
  EmbrName name{};
  for (std::size_t i = 0; i < name.size(); ++i) name[i] = entry.U8(offset + i);
  return name;
}

MptEntryRecord DecodeMptEntry(ByteView e) {
  MptEntryRecord r;
  r.name = ReadName(e, mpt_entry::kName);
  r.flags = e.U16(mpt_entry::kFlag);
  r.startLba = e.U32(mpt_entry::kStart);
  r.endLba = e.U32(mpt_entry::kEnd);
  r.id = e.U8(mpt_entry::kId);
  r.fileSystemId = e.U8(mpt_entry::kFileSystem);
  return r;
}

MbftEntryRecord DecodeMbftEntry(ByteView e) {
  MbftEntryRecord r;
  r.name = ReadName(e, mbft_entry::kName);
  r.loadSegment = e.U16(mbft_entry::kLoadSegment);
  r.codeSegment = e.U16(mbft_entry::kCodeSegment);
  r.codeOffset = e.U16(mbft_entry::kCodeOffset);
  r.sectorCount = e.U8(mbft_entry::kSectors);
  r.id = e.U8(mbft_entry::kId);
  r.allocatedBytes = e.U8(mbft_entry::kAlloc);
  return r;
}

MdtEntryRecord DecodeMdtEntry(ByteView e) {
  MdtEntryRecord r;
  r.name = ReadName(e, mdt_entry::kName);
  r.flags = e.U8(mdt_entry::kFlag);
  r.startLba = e.U32(mdt_entry::kStart);
  r.sectorCount = e.U8(mdt_entry::kSectors);
  r.id = e.U8(mdt_entry::kId);
  r.allocatedBytes = e.U8(mdt_entry::kAlloc);
  return r;
}

// Where a table lies and how its entries are laid out: each is `fixed` bytes
// plus, for the MBFT and MDT, as many as the allocation byte at `allocAt` says.
struct TableLayout {
  std::size_t headerSize;
  std::size_t revisionAt;
  std::size_t countAt;
  std::optional<std::size_t> flagAt;
  std::size_t fixed;
  std::optional<std::size_t> allocAt;
};

// The table whose header lies at `offset`, none when the header does not lie
// whole in `embr`. `end` receives where the next table may start: right
// behind the last entry.
template <typename Entry, typename Decode>
std::optional<EmbrTable<Entry>> DecodeTable(ByteView embr, std::size_t offset,
                                            const TableLayout& layout, Decode decode,
                                            std::size_t& end) {
  if (!embr.Has(offset, layout.headerSize)) return std::nullopt;
  const ByteView header = embr.From(offset);
  EmbrTable<Entry> table;
  table.revision = header.U8(layout.revisionAt);
  table.entryCount = header.U8(layout.countAt);
  if (layout.flagAt) table.flags = header.U8(*layout.flagAt);
  std::size_t at = offset + layout.headerSize;
  for (unsigned k = 0; k < table.entryCount; ++k) {
    if (!embr.Has(at, layout.fixed)) return table;
    const ByteView e = embr.From(at);
    table.entries.push_back(decode(e));
    at += layout.fixed + (layout.allocAt ? e.U8(*layout.allocAt) : 0u);
  }
  table.complete = true;
  end = at;
  return table;
}

constexpr TableLayout kMptLayout{kMptHeaderSize, mpt_header::kRevision, mpt_header::kCount,
                                 mpt_header::kFlag, kMptEntrySize, std::nullopt};
constexpr TableLayout kMbftLayout{kMbftHeaderSize,     mbft_header::kRevision, mbft_header::kCount,
                                  std::nullopt,        kMbftEntryFixedSize,    mbft_entry::kAlloc};
constexpr TableLayout kMdtLayout{kMdtHeaderSize,     mdt_header::kRevision, mdt_header::kCount,
                                 std::nullopt,       kMdtEntryFixedSize,    mdt_entry::kAlloc};

}  // namespace

EmbrRecord DecodeEmbr(ByteView data) {
  EmbrRecord record;
  ByteView embr;
  if (data.Matches(embr_header::kMark, "EMBR", 4)) {
    embr = data;
  } else if (data.Matches(kSecondPlace + embr_header::kMark, "EMBR", 4)) {
    embr = data.From(kSecondPlace);
  } else {
    return record;
  }
  if (!embr.Has(0, kEmbrHeaderSize)) return record;
  record.found = true;
  EmbrHeaderRecord& h = record.header;
  h.revision = embr.U8(embr_header::kRevision);
  h.minSectorsPerTrack = embr.U8(embr_header::kMinSpt);
  h.sectors = embr.U8(embr_header::kSectors);
  h.sectorSize = static_cast<std::int16_t>(embr.U16(embr_header::kSectorSize));
  h.lastCylinder = static_cast<std::int16_t>(embr.U16(embr_header::kLastCylinder));
  h.lastHead = embr.U8(embr_header::kLastHead);
  h.sectorsPerTrack = embr.U8(embr_header::kSectorsPerTrack);
  // Each table is looked for only right behind the one before it; a table that
  // runs past the data read ends the EMBR.
  std::size_t end = kEmbrHeaderSize;
  if (!embr.Matches(end + mpt_header::kMark, "MPT", 3)) return record;
  record.mpt = DecodeTable<MptEntryRecord>(embr, end, kMptLayout, DecodeMptEntry, end);
  if (!record.mpt || !record.mpt->complete) return record;
  if (!embr.Matches(end + mbft_header::kMark, "MBFT", 4)) return record;
  record.mbft = DecodeTable<MbftEntryRecord>(embr, end, kMbftLayout, DecodeMbftEntry, end);
  if (!record.mbft || !record.mbft->complete) return record;
  if (!embr.Matches(end + mdt_header::kMark, "MDT", 3)) return record;
  record.mdt = DecodeTable<MdtEntryRecord>(embr, end, kMdtLayout, DecodeMdtEntry, end);
  return record;
}

EmbrRecord ReadEmbr(ReportState& state) {
  const std::size_t bytesRead = ReadIntoWorkBuffer(state, 1, kEmbrReadSectors);
  if (bytesRead == 0) return {};
  EmbrRecord record = DecodeEmbr(ByteView{state.workBuffer, bytesRead});
  if (!record.mpt) return record;
  // The decode reads nothing: the chain walks are the section's only reads
  // after its own, entry by entry.
  for (MptEntryRecord& e : record.mpt->entries) {
    // End below Start holds no sector; a count that wrapped would send later
    // reads (the last sector of a type 0xDA partition) far off.
    const std::uint64_t sectors =
        e.endLba >= e.startLba ? static_cast<std::uint64_t>(e.endLba) - e.startLba + 1 : 0;
    if (IsBootTargetType(e.fileSystemId)) {
      AddBootTarget(state.bootTargets, e.fileSystemId, e.id, sectors, e.startLba);
    }
    if (state.allOption && IsExtendedType(e.fileSystemId)) {
      e.chain = WalkExtendedChain(state, e.startLba, e.id);
    }
  }
  return record;
}

}  // namespace disklens
