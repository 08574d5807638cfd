// ReadDiskRecords: the records of one disk come in the order of the pass, and
// the MBR, EMBR and GPT records are values that both writers print the same
// after every byte of the WorkBuffer was overwritten.
#include "pass/disk_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bootsector/boot_sector_section.h"
#include "support/gpt_image.h"
#include "gpt/gpt_report.h"
#include "json/boot_row_json.h"
#include "json/embr_json.h"
#include "json/gpt_json.h"
#include "json/json_writer.h"
#include "json/mbr_json.h"
#include "platform/fake_platform.h"
#include "pass/disk_text.h"
#include "mbr/embr_tables.h"
#include "mbr/mbr_section.h"
#include "support/capture.h"
#include "support/disk_image.h"
#include "support/report_disk.h"

namespace disklens {
namespace {

constexpr char kBasicData[] = "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}";

void PutBootSector(test::DiskImage& d, std::uint64_t lba, std::uint8_t jump, std::size_t markAt,
                   const char* mark) {
  d.U8(lba * 512, 0xEB);
  d.U8(lba * 512 + 1, jump);
  d.U8(lba * 512 + 2, 0x90);
  d.Text(lba * 512 + markAt, mark);
  d.PutBootSignature(lba);
}

// A protective MBR with a FAT32 entry beside it, and a GPT whose slot 0 holds
// NTFS and slot 2 the same FAT32 partition.
test::DiskImage GptDisk() {
  test::DiskImage d(16384 * 512);
  d.PutEntry(0, 0, test::Entry(0xEE, 1, 2047));
  d.PutEntry(0, 1, test::Entry(0x0C, 2048, 4096));
  d.PutBootSignature(0);
  test::WriteGpt(d.Bytes(), 512, {},
                 {{0, kBasicData, "{11111111-2222-3333-4444-555555555555}", 8192, 10239, 0, u"ntfs"},
                  {2, kBasicData, "{66666666-7777-8888-9999-AAAAAAAAAAAA}", 2048, 7047, 0, u"fat"}});
  PutBootSector(d, 2048, 0x58, 0x52, "FAT32   ");
  d.U16(2048 * 512 + 0x32, 0xFFFF);
  PutBootSector(d, 8192, 0x52, 3, "NTFS    ");
  return d;
}

// An EMBR at LBA 1 with all three tables; MPT entry 1 is extended, with one
// EBR behind it that "/all" walks.
test::DiskImage EmbrDisk() {
  test::DiskImage d(4096 * 512);
  d.PutBootSignature(0);
  const std::uint64_t e = 512;
  d.Text(e, "EMBR");
  d.U8(e + 4, 1), d.U8(e + 5, 63), d.U8(e + 6, 62), d.U16(e + 8, 0xFE00);  // SSize -512
  d.U16(e + 10, 1023), d.U8(e + 12, 254), d.U8(e + 13, 63);
  d.Text(e + 18, "MPT"), d.U8(e + 21, 1), d.U8(e + 22, 2), d.U8(e + 23, 0x80);
  const std::uint64_t m0 = e + 28, m1 = m0 + 28;
  d.U16(m0, 0x8001), d.U32(m0 + 2, 100), d.U32(m0 + 6, 199), d.U8(m0 + 10, 1), d.U8(m0 + 11, 0x06);
  d.Text(m0 + 12, "FIRST");
  d.U32(m1 + 2, 1000), d.U32(m1 + 6, 1999), d.U8(m1 + 10, 2), d.U8(m1 + 11, 0x05);
  d.Text(m1 + 12, "EXTENDED");
  const std::uint64_t b = m1 + 28;
  d.Text(b, "MBFT"), d.U8(b + 4, 1), d.U8(b + 5, 1);
  d.Text(b + 6, "MENU"), d.U16(b + 22, 0x7C0), d.U16(b + 24, 0x100), d.U16(b + 26, 0x2000);
  d.U8(b + 28, 16), d.U8(b + 29, 3), d.U8(b + 32, 2);  // two bytes of its own behind it
  const std::uint64_t t = b + 6 + 27 + 2;
  d.Text(t, "MDT"), d.U8(t + 3, 1), d.U8(t + 4, 1);
  d.U8(t + 16, 1), d.U8(t + 17, 4), d.U8(t + 18, 8), d.U32(t + 20, 20);
  d.Text(t + 30, "ABCDEFGHIJKLMNOP");  // the whole field, no NUL
  d.PutEntry(1000, 0, test::Entry(0x06, 1, 99));
  d.PutBootSignature(1000);
  PutBootSector(d, 100, 0x3C, 0x36, "FAT16   ");
  PutBootSector(d, 1001, 0x3C, 0x36, "FAT16   ");
  return d;
}

// Writes both outputs as the records come. With `scribble`, every byte of the
// WorkBuffer is overwritten before a value record is written, so a writer
// that still read the disk's bytes there would write something else.
class WritingSink final : public DiskRecordSink {
 public:
  WritingSink(ReportState& state, bool scribble) : state_(state), scribble_(scribble) {}
  std::vector<std::string> calls;
  std::string json;

  void Mbr(const MbrRecord& mbr, const MbrChains& chains) override {
    Take("mbr");
    PrintMbrRecord(state_, mbr, chains);
    if (mbr.bytesRead != 0) WriteMbrJson(writer_, mbr, chains);
  }
  void Embr(const EmbrRecord& embr) override {
    Take("embr");
    PrintEmbrRecord(state_, embr);
    WriteEmbrJson(writer_, embr);
  }
  void Gpt(const GptRecord& gpt) override {
    Take("gpt");
    PrintGptReport(state_, gpt);
    WriteGptJson(writer_, gpt);
  }
  void BeginBootRows(std::uint32_t count) override {
    calls.push_back("boot rows " + std::to_string(count));
    if (count != 0) PrintBootSectorHeading();
    writer_.BeginArray();
  }
  // A boot row borrows the WorkBuffer: it is written as it stands.
  void BootRow(const BootRowRecord& row) override {
    calls.push_back("row " + std::to_string(row.row.lba));
    PrintBootRow(row);
    WriteBootRowJson(writer_, row);
  }
  void EndBootRows() override {
    calls.push_back("end");
    writer_.EndArray();
  }

 private:
  void Take(const char* name) {
    calls.push_back(name);
    if (scribble_) std::memset(state_.workBuffer, 0xA5, kWorkBufferSize);
  }
  ReportState& state_;
  bool scribble_;
  JsonWriter writer_{json};
};

struct Written {
  std::vector<std::string> calls;
  std::string text;
  std::string json;
};

Written Write(bool all, bool scribble) {
  test::ReportDisk rd(0, all);
  test::CapturedOutput out;
  WritingSink sink(rd.state, scribble);
  ReadDiskRecords(rd.state, sink);
  return {sink.calls, out.Text(), sink.json};
}

std::string PrintedReport(bool all) {
  test::ReportDisk rd(0, all);
  test::CapturedOutput out;
  PrintDiskReport(rd.state);
  return out.Text();
}

struct DiskCase {
  const char* name;
  test::DiskImage (*make)();
  bool all;
  std::vector<std::string> calls;
  std::vector<std::string> shown;  // lines the text must hold
};

class DiskRecords : public testing::TestWithParam<DiskCase> {};

TEST_P(DiskRecords, ComeInPassOrderAndAreValuesForBothWriters) {
  const DiskCase& c = GetParam();
  FakePlatform fake;
  fake.AddDisk(0, 0).bytes = c.make().Bytes();
  const Written plain = Write(c.all, false);
  const Written scribbled = Write(c.all, true);
  EXPECT_EQ(plain.calls, c.calls);
  EXPECT_EQ(scribbled.text, PrintedReport(c.all));
  EXPECT_EQ(scribbled.text, plain.text);
  EXPECT_EQ(scribbled.json, plain.json);
  for (const std::string& line : c.shown) {
    EXPECT_NE(scribbled.text.find(line), std::string::npos) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Disks, DiskRecords,
    testing::Values(
        DiskCase{"Gpt",
                 GptDisk,
                 false,
                 {"mbr", "embr", "gpt", "boot rows 2", "row 2048", "row 8192", "end"},
                 {"\n    0  ntfs                                   0           8192           10239  "
                  "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {11111111-2222-3333-4444-555555555555}",
                  "\n    2  fat                                    0           2048            7047  "
                  "{EBD0A0A2-B9E5-4433-87C0-68B6B72699C7}  {66666666-7777-8888-9999-AAAAAAAAAAAA}"}},
        DiskCase{"EmbrAll",
                 EmbrDisk,
                 true,
                 {"mbr", "embr", "gpt", "boot rows 2", "row 100", "row 1001", "end"},
                 {"\n Revision:     1   Min SPT:   63   Sectors:  62   SSize:  -512",
                  "\n                MPT Found:  Revision: 1,  Number of Entries: 2 Flag: 80",
                  "\n  0: FIRST            Flag: 8001 Start:       100 End:       199 FS:  6 ID: 1",
                  "\n  1: EXTENDED         Flag:    0 Start:      1000 End:      1999 FS:  5 ID: 2",
                  "\n            EMBR Partition Information (HD0) Continued:",
                  "\n  0: MENU             LoadSeg:  7c0 CodeSeg: 2000: 100 NumSecs:  16 Alloc:  2 "
                  "ID: 3",
                  "\n  0: ABCDEFGHIJKLMNOP Flag:  1 Start:        20 NumSecs:   8 Alloc:  0 ID: 4"}}),
    [](const testing::TestParamInfo<DiskCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace disklens
