// The decoder lines of the three example boot sectors of
// bootsector/example_sectors.h, as the report must print them.
#pragma once

#include <string>

namespace disklens::test {

// WriteFat16Example.
inline const std::string kFat16ExampleLines = R"(
                          Jump: EB 3C 90
                      OEM Name: FORMAT01
                 Bytes Per Sec: 512
                 Sec Per Clust: 64
                   Res Sectors: 1
                      Num FATs: 2
                 Root Dir Ents: 512
                       Sectors: 0
                         Media: 0xF8
                  Secs Per FAT: 256
                 Sec Per Track: 63
                         Heads: 255
                   Hidden Secs: 63
                  Huge Sectors: 4192902
                     Drive Num: 0x80
                           Res: 0x0
                           Sig: 0x29
                        Vol ID: 0x5C2E1A07
                  Volume Label: SHAREDFILES
                       FS Type: FAT16   
                     Boot Flag: 0xAA55)";

// WriteFat32Example, beside an identical backup.
inline const std::string kFat32ExampleLines = R"(
                          Jump: EB 58 90 (EB 58 90)
                      OEM Name: FORMAT01 (FORMAT01)
                 Bytes Per Sec: 512 (512)
                 Sec Per Clust: 8 (8)
                   Res Sectors: 32 (32)
                      Num FATs: 2 (2)
                 Root Dir Ents: 0 (0)
                       Sectors: 0 (0)
                         Media: 0xF8 (0xF8)
                  Secs Per FAT: 0 (0)
                 Sec Per Track: 63 (63)
                         Heads: 255 (255)
                   Hidden Secs: 2048 (2048)
                  Huge Sectors: 20971520 (20971520)
             Huge Secs Per FAT: 20472 (20472)
                         Flags: 0x0 (0x0)
                       Version: 0 (0)
                Root Dir Clust: 2 (2)
                   FS Info Sec: 1 (1)
                   FS Bkup Sec: 6 (6)
                      Reserved:  0  0  0  0  0  0
                     Drive Num: 0x80 (0x80)
                           Res: 0x0 (0x0)
                      Boot Sig: 0x29 (0x29)
                        Vol ID: 0x1A2B3C4D (0x1A2B3C4D)
                  Volume Label: SHAREDFILES (SHAREDFILES)
                       FS Type: FAT32    (FAT32   )
                     Boot Flag: 0xAA55 (0xAA55))";

// WriteNtfsExample.
inline const std::string kNtfsExampleLines = R"(
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
                   Hidden Secs: 2048
                          NA 2: 0x0
                          NA 3: 0x800080
                 Total Sectors: 0x00C34FFFF
                       MFT LCN: 0x0000C0000
                  MFT Mirr LCN: 0x000000002
                 Clust Per FRS: 0xF6
              Clust Per IBlock: 0x1
                     Volume SN: 0x2C4A8E21D3F41B07
                      Checksum: 0x0
                     Boot Flag: 0xAA55)";

// WriteFat32Example beside a backup area that a failed read left zero; the
// primary's "FS Bkup Sec" is `backupNumber`.
inline std::string Fat32LinesWithZeroBackup(const std::string& backupNumber) {
  return R"(
                          Jump: EB 58 90 (0 0 0)
                      OEM Name: FORMAT01 ()
                 Bytes Per Sec: 512 (0)
                 Sec Per Clust: 8 (0)
                   Res Sectors: 32 (0)
                      Num FATs: 2 (0)
                 Root Dir Ents: 0 (0)
                       Sectors: 0 (0)
                         Media: 0xF8 (0x0)
                  Secs Per FAT: 0 (0)
                 Sec Per Track: 63 (0)
                         Heads: 255 (0)
                   Hidden Secs: 2048 (0)
                  Huge Sectors: 20971520 (0)
             Huge Secs Per FAT: 20472 (0)
                         Flags: 0x0 (0x0)
                       Version: 0 (0)
                Root Dir Clust: 2 (0)
                   FS Info Sec: 1 (0)
                   FS Bkup Sec: )" +
         backupNumber + R"( (0)
                      Reserved:  0  0  0  0  0  0
                     Drive Num: 0x80 (0x0)
                           Res: 0x0 (0x0)
                      Boot Sig: 0x29 (0x0)
                        Vol ID: 0x1A2B3C4D (0x0)
                  Volume Label: SHAREDFILES ()
                       FS Type: FAT32    ()
                     Boot Flag: 0xAA55 (0x0))";
}

}  // namespace disklens::test
