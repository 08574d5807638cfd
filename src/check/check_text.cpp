#include "check/check_text.h"

#include <cinttypes>
#include <string>

#include "gpt/gpt_report.h"
#include "pass/disk_text.h"
#include "text/output.h"

namespace disklens {

std::string FindingLine(const Finding& f) {
  std::string line = SeverityName(f.severity);
  line.resize(7, ' ');
  line += ' ';
  line += f.id;
  if (f.lba) {
    line += " LBA " + std::to_string(*f.lba);
    if (f.byteOffset) line += " byte " + std::to_string(*f.byteOffset);
  }
  line += ": " + f.message;
  if (!f.expected.empty()) line += "; expected " + f.expected;
  if (!f.found.empty()) line += (f.expected.empty() ? "; found " : ", found ") + f.found;
  if (!f.hint.empty()) line += ". Hint: " + f.hint;
  return line;
}

void PrintChecksSection(const ReportState& state, const DiskCheck& check) {
  Print("\n%s", kDoubleRule);
  Print("\n                                CHECKS (HD%i)", HdNumber(state));
  Print("%s", kSingleRule);
  if (check.findings.empty()) Print("\nno problems found");
  for (const Finding& f : check.findings) Print("\n%s", FindingLine(f).c_str());
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
