#include "gpt/gpt_report.h"

#include <cinttypes>
#include <cstdint>
#include <string>

#include "state/boot_targets.h"
#include "gpt/guid_text.h"
#include "gpt/name_column.h"
#include "gpt/name_text.h"
#include "gpt/probe.h"
#include "gpt/probe_kinds.h"
#include "text/output.h"

namespace disklens {

namespace {

void PrintHeader(const ReportState& state, const GptHeaderRecord& h) {
  char diskGuid[64];
  FormatGuid(diskGuid, sizeof diskGuid, h.diskGuid.data());
  Print("\n");
  Print("%s", kDoubleRule);
  Print("\n            GPT Found (HD%i) %s", HdNumber(state), diskGuid);
  Print("%s", kSingleRule);
  Print("\n Revision: %-6" PRIx32 "  Hdr Size: %-2" PRIu32 "   Max Entries: %-4" PRIu32
        "   PE Size: %-3" PRIu32 "  PE LBA: %llu",
        h.revision, h.headerSize, h.entryCount, h.entrySize,
        static_cast<unsigned long long>(h.entryLba));
  Print("\n Primary LBA: %-16llu   Backup LBA: %-16llu", static_cast<unsigned long long>(h.myLba),
        static_cast<unsigned long long>(h.alternateLba));
  Print("\n  FAvail LBA: %-16llu   LAvail LBA: %-16llu",
        static_cast<unsigned long long>(h.firstUsableLba),
        static_cast<unsigned long long>(h.lastUsableLba));
  Print("%s", kSingleRule);
}

void PrintColumnHeads() {
  Print(
      "\n  Num            Name                Attr            Start            End        "
      "             GUID Type                                 GUID");
  Print(
      "\n ----- ----------------------- ---------------- --------------- --------------- "
      "--------------------------------------  --------------------------------------");
}

void OfferBootTarget(ReportState& state, GptEntryRecord& entry) {
  const std::uint64_t start = entry.firstLba;
  const std::uint64_t end = entry.lastLba;
  std::uint16_t id = 0;
  std::int32_t kind = 0;
  const std::int32_t status = ProbePartitionType(state.disk, static_cast<std::uint32_t>(start),
                                                 static_cast<std::uint32_t>(start >> 32), id, &kind);
  if (status != kProbeOk) return;
  entry.probedId = id;
  if (!IsBootTargetType(id)) return;
  // Whole 64-bit values: cut to 32 bits, a partition at 2^32 + 2048 would get
  // the boot sector of LBA 2048. An entry that ends before it starts holds no sector.
  const std::uint64_t sectors = end >= start ? end - start + 1 : 0;
  AddBootTarget(state.bootTargets, static_cast<std::uint8_t>(id),
                static_cast<std::uint16_t>(entry.index), sectors, start, kind == kKindExfat);
}

void PrintEntry(const GptEntryRecord& e) {
  char typeGuid[64];
  char uniqueGuid[64];
  FormatGuid(typeGuid, sizeof typeGuid, e.typeGuid.data());
  FormatGuid(uniqueGuid, sizeof uniqueGuid, e.uniqueGuid.data());
  char text[kNameTextMax];
  const std::string column = FitNameColumn(NameToText(e.name.data(), text));
  Print("\n   %2i  %s %16llX  %13llu   %13llu  %s  %s", static_cast<int>(e.index), column.c_str(),
        static_cast<unsigned long long>(e.attributes), static_cast<unsigned long long>(e.firstLba),
        static_cast<unsigned long long>(e.lastLba), typeGuid, uniqueGuid);
}

}  // namespace

GptRecord WalkGpt(ReportState& state, const GptView& view) {
  // The header lies at LBA 1 of the bytes read from LBA 0.
  GptRecord gpt = DecodeGpt(view, 1);
  // The decode reads nothing: the probes are the walk's only reads, in slot order.
  for (GptEntryRecord& entry : gpt.entries) OfferBootTarget(state, entry);
  return gpt;
}

void PrintGptReport(const ReportState& state, const GptRecord& gpt) {
  if (!gpt.found) return;
  PrintHeader(state, gpt.header);
  PrintGptEntryTable(gpt);
  Print("%s", kDoubleRule);
}

void PrintGptEntryTable(const GptRecord& gpt) {
  PrintColumnHeads();
  for (const GptEntryRecord& entry : gpt.entries) PrintEntry(entry);
}

}  // namespace disklens
