#include "check/check_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cinttypes>
#include <string>
#include <string_view>

#include "gpt/gpt_report.h"
#include "pass/disk_text.h"
#include "text/output.h"

namespace disklens {

namespace {

// Hands the finding's line to `put` piece by piece, so that the report takes
// it without a string built first.
template <typename Put>
void PutFindingLine(const Finding& f, Put&& put) {
  const std::string_view severity = SeverityName(f.severity);
  put(severity);
  put(std::string_view("        ", severity.size() < 8 ? 8 - severity.size() : 1));
  put(f.id);
  const auto number = [&put](std::uint64_t value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    put(std::string_view(text, static_cast<std::size_t>(end - text)));
  };
  if (f.lba) {
    put(" LBA ");
    number(*f.lba);
    if (f.byteOffset) {
      put(" byte ");
      number(*f.byteOffset);
    }
  }
  put(": ");
  put(f.message);
  if (!f.expected.empty()) {
    put("; expected ");
    put(f.expected);
  }
  if (!f.found.empty()) {
    put(f.expected.empty() ? "; found " : ", found ");
    put(f.found);
  }
  if (!f.hint.empty()) {
    put(". Hint: ");
    put(f.hint);
  }
}

}  // namespace

std::string FindingLine(const Finding& f) {
  std::string line;
  PutFindingLine(f, [&line](std::string_view piece) { line += piece; });
  return line;
}

void PrintChecksSection(const ReportState& state, const DiskCheck& check) {
  Print("\n%s", kDoubleRule);
  Print("\n                                CHECKS (HD%i)", HdNumber(state));
  Print("%s", kSingleRule);
  if (check.findings.empty()) Print("\nno problems found");
  // Each line is gathered in one buffer and goes to the report at once; a
  // line longer than the buffer goes in parts.
  char line[1024];
  std::size_t used = 0;
  const auto put = [&line, &used](std::string_view piece) {
    while (!piece.empty()) {
      if (used == sizeof line) {
        WriteReportText(line, used);
        used = 0;
      }
      const std::size_t n = std::min(piece.size(), sizeof line - used);
      std::memcpy(line + used, piece.data(), n);
      used += n;
      piece.remove_prefix(n);
    }
  };
  for (const Finding& f : check.findings) {
    put("\n");
    PutFindingLine(f, put);
    WriteReportText(line, used);
    used = 0;
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
