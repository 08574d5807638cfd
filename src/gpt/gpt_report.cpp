#include "gpt/gpt_report.h"

#include <cinttypes>
#include <cstdint>
#include <string>
#include <vector>

#include "bootsector/boot_targets.h"
#include "bytes/bytes.h"
#include "gpt/guid_text.h"
#include "gpt/name_column.h"
#include "gpt/name_text.h"
#include "gpt/probe.h"
#include "text/output.h"

namespace disklens {

namespace {

bool IsUnused(ByteView slot) {
  for (std::size_t i = 0; i < 16; ++i) {
    if (slot.U8(kEntryTypeGuid + i) != 0) return false;
  }
  return true;
}

void PrintHeader(const ReportState& state, ByteView header) {
  char diskGuid[64];
  FormatGuid(diskGuid, sizeof diskGuid, header.data + kGptDiskGuid);
  Print("\n");
  Print("%s", kDoubleRule);
  Print("\n            GPT Found (HD%i) %s", HdNumber(state), diskGuid);
  Print("%s", kSingleRule);
  Print("\n Revision: %-6" PRIx32 "  Hdr Size: %-2" PRIu32 "   Max Entries: %-4" PRIu32
        "   PE Size: %-3" PRIu32 "  PE LBA: %llu",
        header.U32(kGptRevision), header.U32(kGptHeaderSize), header.U32(kGptEntryCount),
        header.U32(kGptEntrySize), static_cast<unsigned long long>(header.U64(kGptEntryLba)));
  Print("\n Primary LBA: %-16llu   Backup LBA: %-16llu",
        static_cast<unsigned long long>(header.U64(kGptMyLba)),
        static_cast<unsigned long long>(header.U64(kGptAlternateLba)));
  Print("\n  FAvail LBA: %-16llu   LAvail LBA: %-16llu",
        static_cast<unsigned long long>(header.U64(kGptFirstUsableLba)),
        static_cast<unsigned long long>(header.U64(kGptLastUsableLba)));
  Print("%s", kSingleRule);
  Print(
      "\n  Num            Name                Attr            Start            End        "
      "             GUID Type                                 GUID");
  Print(
      "\n ----- ----------------------- ---------------- --------------- --------------- "
      "--------------------------------------  --------------------------------------");
}

void OfferBootTarget(ReportState& state, GptEntryRecord& entry, std::uint64_t start,
                     std::uint64_t end) {
  std::uint16_t id = 0;
  const std::int32_t status = ProbePartitionType(state.disk, static_cast<std::uint32_t>(start),
                                                 static_cast<std::uint32_t>(start >> 32), id);
  entry.probeStatus = status;
  entry.probedId = id;
  const std::uint32_t index = entry.index;
  if (status != kProbeOk || !IsBootTargetType(id)) return;
  // Whole 64-bit values: cut to 32 bits, a partition at 2^32 + 2048 would get
  // the boot sector of LBA 2048. An entry that ends before it starts holds no sector.
  const std::uint64_t sectors = end >= start ? end - start + 1 : 0;
  AddBootTarget(state.bootTargets, static_cast<std::uint8_t>(id), static_cast<std::uint16_t>(index),
                sectors, start);
}

void PrintEntry(std::uint32_t index, ByteView slot) {
  char typeGuid[64];
  char uniqueGuid[64];
  FormatGuid(typeGuid, sizeof typeGuid, slot.data + kEntryTypeGuid);
  FormatGuid(uniqueGuid, sizeof uniqueGuid, slot.data + kEntryUniqueGuid);
  // Copied out unit by unit: the field need not be aligned for uint16_t.
  std::uint16_t name[kGptNameUnits];
  for (std::size_t k = 0; k < kGptNameUnits; ++k) name[k] = slot.U16(kEntryName + 2 * k);
  const std::vector<char> text = NameToText(name);
  const std::string column = FitNameColumn(text.data());
  Print("\n   %2i  %s %16llX  %13llu   %13llu  %s  %s", static_cast<int>(index), column.c_str(),
        static_cast<unsigned long long>(slot.U64(kEntryAttributes)),
        static_cast<unsigned long long>(slot.U64(kEntryStartLba)),
        static_cast<unsigned long long>(slot.U64(kEntryEndLba)), typeGuid, uniqueGuid);
}

}  // namespace

GptRecord WalkGpt(ReportState& state, const GptView& view) {
  GptRecord gpt;
  if (view.header == nullptr || view.entries == nullptr) return gpt;
  const ByteView valid{view.buffer, view.length};
  const ByteView header = valid.From(static_cast<std::size_t>(view.header - view.buffer));
  gpt.header = header;

  const auto first = static_cast<std::uint64_t>(view.entries - view.buffer);
  const std::uint32_t count = header.U32(kGptEntryCount);
  const std::uint32_t stride = header.U32(kGptEntrySize);
  for (std::uint32_t i = 0; i < count; ++i) {
    // Never past the bytes read, whatever the header claims.
    const std::uint64_t offset = first + static_cast<std::uint64_t>(i) * stride;
    if (offset > valid.size || !valid.Has(static_cast<std::size_t>(offset), kEntryReadBytes)) break;
    const ByteView slot{valid.data + offset, kEntryReadBytes};
    if (IsUnused(slot)) continue;
    GptEntryRecord& entry = gpt.entries.emplace_back();
    entry.index = i;
    entry.slot = slot;
    OfferBootTarget(state, entry, slot.U64(kEntryStartLba), slot.U64(kEntryEndLba));
  }
  return gpt;
}

void PrintGptReport(const ReportState& state, const GptRecord& gpt) {
  if (gpt.header.size == 0) return;
  PrintHeader(state, gpt.header);
  for (const GptEntryRecord& entry : gpt.entries) PrintEntry(entry.index, entry.slot);
  Print("%s", kDoubleRule);
}

}  // namespace disklens
