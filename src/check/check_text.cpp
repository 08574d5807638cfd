#include "check/check_text.h"

#include <charconv>
#include <cinttypes>
#include <string>
#include <string_view>

#include "gpt/gpt_report.h"
#include "pass/disk_text.h"
#include "text/output.h"

namespace disklens {

namespace {

// One finding's line as its pieces, numbers written out in the record itself,
// so that the report takes them in one write and a string is built only for
// a caller that wants one.
struct LinePieces {
  std::string_view pieces[16];  // FillLine puts 16 at the most
  std::size_t count = 0;
  std::size_t size = 0;
  char lba[24];
  char byte[24];

  void Put(std::string_view piece) {
    pieces[count++] = piece;
    size += piece.size();
  }
  void PutNumber(std::uint64_t value, char (&text)[24]) {
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    Put(std::string_view(text, static_cast<std::size_t>(end - text)));
  }
};

// "\nSEVERITY ID[ LBA n[ byte b]]: MESSAGE[; expected E][, found F][. Hint: HINT]"
void FillLine(const Finding& f, LinePieces& line) {
  const std::string_view severity = SeverityName(f.severity);
  line.Put("\n");
  line.Put(severity);
  line.Put(std::string_view("        ", severity.size() < 8 ? 8 - severity.size() : 1));
  line.Put(f.id);
  if (f.lba) {
    line.Put(" LBA ");
    line.PutNumber(*f.lba, line.lba);
    if (f.byteOffset) {
      line.Put(" byte ");
      line.PutNumber(*f.byteOffset, line.byte);
    }
  }
  line.Put(": ");
  line.Put(f.message);
  if (!f.expected.empty()) {
    line.Put("; expected ");
    line.Put(f.expected);
  }
  if (!f.found.empty()) {
    line.Put(f.expected.empty() ? "; found " : ", found ");
    line.Put(f.found);
  }
  if (!f.hint.empty()) {
    line.Put(". Hint: ");
    line.Put(f.hint);
  }
}

}  // namespace

std::string FindingLine(const Finding& f) {
  LinePieces line;
  FillLine(f, line);
  std::string text;
  text.reserve(line.size);
  for (std::size_t i = 1; i < line.count; ++i) text += line.pieces[i];  // without the line feed
  return text;
}

void PrintChecksSection(const ReportState& state, const DiskCheck& check) {
  Print("\n%s", kDoubleRule);
  Print("\n                                CHECKS (HD%i)", HdNumber(state));
  Print("%s", kSingleRule);
  if (check.findings.empty()) Print("\nno problems found");
  for (const Finding& f : check.findings) {
    LinePieces line;
    FillLine(f, line);
    WriteReportPieces(line.pieces, line.count, line.size);
  }
  if (check.listBackup) {
    Print("%s", kSingleRule);
    Print("\n Backup GPT (LBA %llu), the intact copy:",
          static_cast<unsigned long long>(check.backup.headerLba));
    PrintGptEntryTable(check.backup);
  }
  Print("%s\n", kDoubleRule);
}

std::optional<Severity> PrintCheckedDiskReport(ReportState& state) {
  TextSink report(state);
  const DiskCheck check = CheckDisk(state, report);
  PrintChecksSection(state, check);
  return WorstSeverity(check.findings);
}

}  // namespace disklens
