// The decoder lines of the three example boot sectors of
// bootsector/example_sectors.h, as the report must print them; the texts are
// in tests/expected/, each line after a newline.
#pragma once

#include <string>

#include "support/expected_text.h"

namespace disklens::test {

// tests/expected/`name` after a newline, as a row's lines follow its first line.
inline std::string ExampleLines(const std::string& name) {
  std::string text(1, '\n');  // not "\n" + ...: GCC 12 warns falsely on that
  return text += ExpectedText(name);
}

// WriteFat16Example.
inline const std::string kFat16ExampleLines = ExampleLines("fat16_example.txt");

// WriteFat32Example, beside an identical backup.
inline const std::string kFat32ExampleLines = ExampleLines("fat32_example.txt");

// WriteNtfsExample.
inline const std::string kNtfsExampleLines = ExampleLines("ntfs_example.txt");

// WriteFat32Example beside a backup area that a failed read left zero; the
// primary's "FS Bkup Sec" is `backupNumber`.
inline std::string Fat32LinesWithZeroBackup(const std::string& backupNumber) {
  std::string text = ExampleLines("fat32_zero_backup.txt");
  const std::string mark = "FS Bkup Sec: BACKUP ";
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at + mark.size() - 7, 6, backupNumber);
  return text;
}

}  // namespace disklens::test
