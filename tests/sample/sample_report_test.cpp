// The report of the two sample disks, written out by hand from the layouts the
// sample tool lays down (8 MiB disks, 255 heads and 63 sectors a track for the
// CHS fields), compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/driver.h"
#include "support/program_runner.h"

namespace disklens {
namespace {

const std::string kDisk0 = DISKLENS_SAMPLE_DIR "/disk0.img";
const std::string kDisk1 = DISKLENS_SAMPLE_DIR "/disk1.img";

const std::string kBanner = std::string("\nDISKLENS 1.15\n") + kNotice + "\n\nRun date: <date>\n";

// Lines ending in spaces: the FAT and NTFS "FS Type" and "OEM Name" values
// keep the spaces of their fields.
const std::string kDisk0Report = R"(
======================================================================
           MBR Partition Information (HD0 - 0x5EED0000)
           (CHS: 1023/254/63) (WCHS: 1/255/63)
+====+====+=============+====+=============+============+============+
| 0: | 80 |    0  32 33 |  6 |    0 162 34 |       2048 |       8192 |
| 1: |  0 |    0 162 35 |  f |    0 227 35 |      10240 |       4096 |
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0 163 36 |  1 |    0 195  3 |         64 |       1984 |
| 1: |  0 |    0 195  4 |  5 |    0 227 35 |       2048 |       2048 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0 196  5 |  7 |    0 227 35 |         64 |       1984 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
            MBR Partition Information (HD0) Continued:
+====+====+=============+====+=============+============+============+
| 2: |  0 |    0 227 36 | da |    1   5  4 |      14336 |       2048 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+

===============================================================================
                               EMBR Found (HD0)
-------------------------------------------------------------------------------
 Revision:     1   Min SPT:   63   Sectors:  62   SSize:   512
  Last Cyl:    0   Last Hd:  254   SPT:      63
-------------------------------------------------------------------------------
                MPT Found:  Revision: 1,  Number of Entries: 3 Flag: 0
-------------------------------------------------------------------------------
  0: FAT16 SYSTEM     Flag:    0 Start:      2048 End:     10239 FS:  6 ID: 1
  1: EXTENDED         Flag:    0 Start:     10240 End:     14335 FS:  F ID: 2
  2: IMAGE STORE      Flag:    0 Start:     14336 End:     16383 FS: DA ID: 3
-------------------------------------------------------------------------------
                MBFT Found: Revision: 1,  Number of Entries: 2
-------------------------------------------------------------------------------
  0: BOOT MENU        LoadSeg:  7c0 CodeSeg: 2000: 100 NumSecs:  16 Alloc:  0 ID: 1
  1: PASSWORD         LoadSeg:  7c0 CodeSeg: 2200:   0 NumSecs:   4 Alloc:  2 ID: 2
-------------------------------------------------------------------------------
                MDT Found:  Revision: 1,  Number of Entries: 1
-------------------------------------------------------------------------------
  0: HD0              Flag:  1 Start:        20 NumSecs:   8 Alloc:  0 ID: 1
===============================================================================
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0x6   LBA: 2048  Total Sectors: 8192   ID: 0x1
                          Jump: EB 3C 90
                      OEM Name: DLSAMPLE
                 Bytes Per Sec: 512
                 Sec Per Clust: 1
                   Res Sectors: 1
                      Num FATs: 2
                 Root Dir Ents: 512
                       Sectors: 8192
                         Media: 0xF8
                  Secs Per FAT: 32
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 2048
                  Huge Sectors: 0
                     Drive Num: 0x80
                           Res: 0x0
                           Sig: 0x29
                        Vol ID: 0x5EED0016
                  Volume Label: DISK0 FAT16
                       FS Type: FAT16   
                     Boot Flag: 0xAA55
-------------------------------------------------------------------------------
File System ID: 0x1   LBA: 10304  Total Sectors: 1984
                          Jump: EB 3C 90
                      OEM Name: DLSAMPLE
                 Bytes Per Sec: 512
                 Sec Per Clust: 1
                   Res Sectors: 1
                      Num FATs: 2
                 Root Dir Ents: 224
                       Sectors: 1984
                         Media: 0xF8
                  Secs Per FAT: 6
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 10304
                  Huge Sectors: 0
                     Drive Num: 0x80
                           Res: 0x0
                           Sig: 0x29
                        Vol ID: 0x5EED0012
                  Volume Label: DISK0 FAT12
                       FS Type: FAT12   
                     Boot Flag: 0xAA55
-------------------------------------------------------------------------------
File System ID: 0x7   LBA: 12352  Total Sectors: 1984
                          Jump: EB 52 90
                      OEM Name: NTFS    
                 Bytes Per Sec: 512
                 Sec Per Clust: 8
                   Res Sectors: 0
                        Zero 1: 0x0
                        Zero 2: 0x0
                          NA 1: 0x0
                         Media: 0xF8
                        Zero 3: 0x0
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 12352
                          NA 2: 0x0
                          NA 3: 0x800080
                 Total Sectors: 0x0000007BF
                       MFT LCN: 0x000000010
                  MFT Mirr LCN: 0x00000007B
                 Clust Per FRS: 0xF6
              Clust Per IBlock: 0x1
                     Volume SN: 0x5EED0007A1B2C3D4
                      Checksum: 0x0
                     Boot Flag: 0xAA55
-------------------------------------------------------------------------------
File System ID: 0xDA   LBA: 14336  Total Sectors: 2048   ID: 0x3
                   Image Label: FAT1
        Total Sectors (Uncomp): 8192
                          Flag: 0x1
               Unused Bytes LS: 312
                            FS: 6
                           DFS: 6
          Total Sectors (Comp): 1500
-------------------------------------------------------------------------------)";

// The "Primary LBA" and "FAvail LBA" lines end in the padding of their second
// 16-column value.
const std::string kDisk1Report = R"(
======================================================================
           MBR Partition Information (HD1 - 0x5EED0001)
           (CHS: 1023/254/63) (WCHS: 1/255/63)
+====+====+=============+====+=============+============+============+
| 0: |  0 |    0   0  2 | ee |    1   5  4 |          1 |      16383 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+====+====+=============+====+=============+============+============+

===============================================================================
            GPT Found (HD1) {5EED0001-0000-4000-8000-000000000000}
-------------------------------------------------------------------------------
 Revision: 10000   Hdr Size: 92   Max Entries: 128    PE Size: 128  PE LBA: 2
 Primary LBA: 1                  Backup LBA: 16383           
  FAvail LBA: 34                 LAvail LBA: 16350           
-------------------------------------------------------------------------------
  Num            Name                Attr            Start            End                     GUID Type                                 GUID
 ----- ----------------------- ---------------- --------------- --------------- --------------------------------------  --------------------------------------
    0  EFI system partition                   0           2048            6143  {C12A7328-F81F-11D2-BA4B-00A0C93EC93B}  {5EED0001-0000-4000-8000-000000000001}
    1  Basic data partition    8000000000000000           6144           10239  {EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {5EED0001-0000-4000-8000-000000000002}
    2  Linux filesystem                       0          10240           12287  {0FC63DAF-8483-4772-8E79-3D69D8477DE4}  {5EED0001-0000-4000-8000-000000000003}
    3  Linux swap                             0          12288           14335  {0657FD6D-A4AB-43C4-84E5-0933C84B4F4F}  {5EED0001-0000-4000-8000-000000000004}
===============================================================================
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------
File System ID: 0xB   LBA: 2048  Total Sectors: 4096
                          Jump: EB 58 90 (EB 58 90)
                      OEM Name: DLSAMPLE (DLSAMPLE)
                 Bytes Per Sec: 512 (512)
                 Sec Per Clust: 1 (1)
                   Res Sectors: 32 (32)
                      Num FATs: 2 (2)
                 Root Dir Ents: 0 (0)
                       Sectors: 0 (0)
                         Media: 0xF8 (0xF8)
                  Secs Per FAT: 0 (0)
                 Sec Per Track: 63 (63)
                         Heads: 255 (255)
                   Hidden Secs: 2048 (2048)
                  Huge Sectors: 4096 (4096)
             Huge Secs Per FAT: 32 (32)
                         Flags: 0x0 (0x0)
                       Version: 0 (0)
                Root Dir Clust: 2 (2)
                   FS Info Sec: 1 (1)
                   FS Bkup Sec: 6 (6)
                      Reserved:  0  0  0  0  0  0
                     Drive Num: 0x80 (0x80)
                           Res: 0x0 (0x0)
                      Boot Sig: 0x29 (0x29)
                        Vol ID: 0x5EED0032 (0x5EED0032)
                  Volume Label: DISK1 FAT32 (DISK1 FAT32)
                       FS Type: FAT32    (FAT32   )
                     Boot Flag: 0xAA55 (0xAA55)
-------------------------------------------------------------------------------
File System ID: 0x7   LBA: 6144  Total Sectors: 4096   ID: 0x1
                          Jump: EB 52 90
                      OEM Name: NTFS    
                 Bytes Per Sec: 512
                 Sec Per Clust: 8
                   Res Sectors: 0
                        Zero 1: 0x0
                        Zero 2: 0x0
                          NA 1: 0x0
                         Media: 0xF8
                        Zero 3: 0x0
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 6144
                          NA 2: 0x0
                          NA 3: 0x800080
                 Total Sectors: 0x000000FFF
                       MFT LCN: 0x000000010
                  MFT Mirr LCN: 0x0000000FF
                 Clust Per FRS: 0xF6
              Clust Per IBlock: 0x1
                     Volume SN: 0x5EED0107A1B2C3D4
                      Checksum: 0x0
                     Boot Flag: 0xAA55
-------------------------------------------------------------------------------)";

// Under /all the MPT's extended entry (ID 2) is walked too, and the logical
// partitions take the id 2 x 256 + the first byte behind their EBR (0).
const std::string kDisk0EmbrWithAll = R"(
                MPT Found:  Revision: 1,  Number of Entries: 3 Flag: 0
-------------------------------------------------------------------------------
  0: FAT16 SYSTEM     Flag:    0 Start:      2048 End:     10239 FS:  6 ID: 1
  1: EXTENDED         Flag:    0 Start:     10240 End:     14335 FS:  F ID: 2
+====+====+=============+====+=============+============+============+
                         Volume Information
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0 163 36 |  1 |    0 195  3 |         64 |       1984 |
| 1: |  0 |    0 195  4 |  5 |    0 227 35 |       2048 |       2048 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
| 0: |  0 |    0 196  5 |  7 |    0 227 35 |         64 |       1984 |
| 1: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 2: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
| 3: |  0 |    0   0  0 |  0 |    0   0  0 |          0 |          0 |
+----+----+-------------+----+-------------+------------+------------+
            EMBR Partition Information (HD0) Continued:
====================================================================
  2: IMAGE STORE      Flag:    0 Start:     14336 End:     16383 FS: DA ID: 3
-------------------------------------------------------------------------------
)";

TEST(SampleDisks, ReportMatchesTheLayoutsByteForByte) {
  ASSERT_TRUE(std::filesystem::exists(kDisk0) && std::filesystem::exists(kDisk1))
      << "the sample disks are built by the disklens_sample target";
  const test::ProgramRun run = test::RunDisklens(kDisk0 + ":" + kDisk1);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, kBanner + kDisk0Report + kDisk1Report);
}

TEST(SampleDisks, AllWalksTheMptChainAndNumbersTheLogicalPartitions) {
  const test::ProgramRun run = test::RunDisklens(kDisk0, {"/all"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find(kDisk0EmbrWithAll), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nFile System ID: 0x1   LBA: 10304  Total Sectors: 1984   ID: 0x200\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("\nFile System ID: 0x7   LBA: 12352  Total Sectors: 1984   ID: 0x200\n"),
            std::string::npos);
}

}  // namespace
}  // namespace disklens
