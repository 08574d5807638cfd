#include "mbr/embr_tables.h"

#include <cinttypes>

#include "text/output.h"
#include "text/text_field.h"

namespace disklens {

namespace {

// A name field up to its first NUL, at most its 16 bytes, control bytes as "?".
struct NameText {
  char text[kEmbrNameSize + 1];
};

NameText ShowName(const EmbrName& name) {
  NameText out;
  CopyTextField(ByteView{name.data(), name.size()}, name.size(), out.text, sizeof out.text);
  return out;
}

void PrintMpt(const ReportState& state, const EmbrTable<MptEntryRecord>& mpt) {
  Print("\n                MPT Found:  Revision: %i,  Number of Entries: %i Flag: %X",
        static_cast<int>(mpt.revision), static_cast<int>(mpt.entryCount),
        static_cast<unsigned>(mpt.flags));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < mpt.entries.size(); ++k) {
    const MptEntryRecord& e = mpt.entries[k];
    Print("\n %2i: %-16s Flag: %4X Start: %9" PRIu32 " End: %9" PRIu32 " FS: %2X ID: %X",
          static_cast<int>(k), ShowName(e.name).text, static_cast<unsigned>(e.flags), e.startLba,
          e.endLba, static_cast<unsigned>(e.fileSystemId), static_cast<unsigned>(e.id));
    if (e.chain) {
      PrintChainRecord(*e.chain);
      Print("\n            EMBR Partition Information (HD%i) Continued:", HdNumber(state));
      Print("\n====================================================================");
    }
  }
  Print("%s", kSingleRule);
}

void PrintMbft(const EmbrTable<MbftEntryRecord>& mbft) {
  Print("\n                MBFT Found: Revision: %i,  Number of Entries: %i",
        static_cast<int>(mbft.revision), static_cast<int>(mbft.entryCount));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < mbft.entries.size(); ++k) {
    const MbftEntryRecord& e = mbft.entries[k];
    Print("\n %2i: %-16s LoadSeg: %4x CodeSeg: %4x:%4x NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ShowName(e.name).text, static_cast<unsigned>(e.loadSegment),
          static_cast<unsigned>(e.codeSegment), static_cast<unsigned>(e.codeOffset),
          static_cast<int>(e.sectorCount), static_cast<int>(e.allocatedBytes),
          static_cast<unsigned>(e.id));
  }
}

void PrintMdt(const EmbrTable<MdtEntryRecord>& mdt) {
  Print("%s", kSingleRule);
  Print("\n                MDT Found:  Revision: %i,  Number of Entries: %i",
        static_cast<int>(mdt.revision), static_cast<int>(mdt.entryCount));
  Print("%s", kSingleRule);
  for (std::size_t k = 0; k < mdt.entries.size(); ++k) {
    const MdtEntryRecord& e = mdt.entries[k];
    Print("\n %2i: %-16s Flag: %2x Start: %9" PRIu32 " NumSecs: %3i Alloc: %2i ID: %X",
          static_cast<int>(k), ShowName(e.name).text, static_cast<unsigned>(e.flags), e.startLba,
          static_cast<int>(e.sectorCount), static_cast<int>(e.allocatedBytes),
          static_cast<unsigned>(e.id));
  }
}

}  // namespace

void PrintEmbrRecord(const ReportState& state, const EmbrRecord& record) {
  if (!record.found) return;
  const EmbrHeaderRecord& h = record.header;
  Print("\n");
  Print("%s", kDoubleRule);
  Print("\n                               EMBR Found (HD%i)", HdNumber(state));
  Print("%s", kSingleRule);
  Print("\n Revision:  %4x   Min SPT: %4i   Sectors: %3i   SSize:  %4i",
        static_cast<unsigned>(h.revision), static_cast<int>(h.minSectorsPerTrack),
        static_cast<int>(h.sectors), static_cast<int>(h.sectorSize));
  Print("\n  Last Cyl: %4i   Last Hd: %4i   SPT:     %3i", static_cast<int>(h.lastCylinder),
        static_cast<int>(h.lastHead), static_cast<int>(h.sectorsPerTrack));
  Print("%s", kSingleRule);
  if (record.mpt) PrintMpt(state, *record.mpt);
  if (record.mbft) PrintMbft(*record.mbft);
  if (record.mdt) PrintMdt(*record.mdt);
  Print("%s", kDoubleRule);
}

}  // namespace disklens
