// GPT headers whose sizes would carry the check and the walk past the data
// read: an entry array of 2^32 bytes (0 in 32 bits), a HeaderSize of 0, an
// entry size of 0xFFFFFFFF.
#include <gtest/gtest.h>

#include <string>

#include "hostile/hostile_check.h"

namespace disklens::test::hostile {
namespace {

const std::string kProtectiveMbr = R"(
======================================================================
           MBR Partition Information (HD0 - 0x00000000)
           (CHS: 1023/254/63) (WCHS: 0/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 | 1023 254 63 | ee | 1023 254 63 |          1 |        255 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+)";

// Both headers are sealed with correct CRCs; with 32-bit sizes they would
// pass every test and send the CRC and the walk billions of bytes past the
// read. Only the MBR section is printed.
TEST(HostileGpt, AnEntryArrayOf2To32BytesIsNoGpt) {
  ExpectReport(GptEntryArrayOverflows32Bits(), kProtectiveMbr);
}

TEST(HostileGpt, AnEntrySizeOf0xFFFFFFFFIsNoGpt) {
  ExpectReport(GptHugeEntrySize(), kProtectiveMbr);
}

// A header CRC over no byte is 0, and the array still lies at LBA 2 within
// the read: the GPT is shown, its one entry read where it lies.
TEST(HostileGpt, AHeaderSizeOfZeroIsShownWithItsEntryArray) {
  const std::string expected = kProtectiveMbr + R"(

===============================================================================
            GPT Found (HD0) {5A1F2C3D-4B5E-4F60-8172-93A4B5C6D7E8}
-------------------------------------------------------------------------------
 Revision: 10000   Hdr Size: 0    Max Entries: 128    PE Size: 128  PE LBA: 2
 Primary LBA: 1                  Backup LBA: 255             
  FAvail LBA: 34                 LAvail LBA: 222             
-------------------------------------------------------------------------------
  Num            Name                Attr            Start            End                     GUID Type                                 GUID
 ----- ----------------------- ---------------- --------------- --------------- --------------------------------------  --------------------------------------)" +
                               "\n    0  Data" + std::string(35, ' ') + "0" +
                               std::string(12, ' ') + "200" + std::string(13, ' ') +
                               "239  {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  "
                               "{6C7D8E9F-A0B1-42C3-94D5-E6F708192A3B}" +
                               "\n==============================================================================="
                               "";
  ExpectReport(GptHeaderSizeZero(), expected);
}

}  // namespace
}  // namespace disklens::test::hostile
