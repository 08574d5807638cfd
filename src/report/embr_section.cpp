#include "report/embr_section.h"

#include "report/embr_tables.h"
#include "report/output.h"

namespace disklens {

namespace {

constexpr std::uint32_t kEmbrReadSectors = 63;
constexpr std::size_t kEmbrHeaderSize = 18;
constexpr std::size_t kSecondPlace = 512;  // LBA 2 with 512-byte sectors

}  // namespace

void PrintEmbrSection(ReportState& state) {
  const std::size_t bytesRead = ReadIntoWorkBuffer(state, 1, kEmbrReadSectors);
  if (bytesRead == 0) return;
  const ByteView data{state.workBuffer, bytesRead};
  ByteView embr;
  if (data.Matches(0, "EMBR", 4)) {
    embr = data;
  } else if (data.Matches(kSecondPlace, "EMBR", 4)) {
    embr = data.From(kSecondPlace);
  } else {
    return;
  }
  if (!embr.Has(0, kEmbrHeaderSize)) return;

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
  // Each table is looked for only right behind the one before it; a table that
  // runs past the data read ends the section.
  if (embr.Matches(kEmbrHeaderSize, "MPT", 3)) {
    const auto mptEnd = PrintMptTable(state, embr, kEmbrHeaderSize);
    if (mptEnd && embr.Matches(*mptEnd, "MBFT", 4)) {
      const auto mbftEnd = PrintMbftTable(embr, *mptEnd);
      if (mbftEnd && embr.Matches(*mbftEnd, "MDT", 3)) PrintMdtTable(embr, *mbftEnd);
    }
  }
  Print("%s", kDoubleRule);
}

}  // namespace disklens
