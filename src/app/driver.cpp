#include "app/driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check/check_text.h"
#include "disk/session.h"
#include "json/disk_json.h"
#include "json/json_document.h"
#include "json/json_writer.h"
#include "platform/disk_list.h"
#include "platform/disk_messages.h"
#include "app/command_line.h"
#include "pass/disk_text.h"
#include "text/output.h"
#include "version.h"

namespace disklens {

namespace {

constexpr std::uint32_t kDiskCount = kDiskNumbers;

void PrintBanner(const std::tm* now) {
  Print("\nDISKLENS %s\n", kVersion);
  Print("%s\n\n", kNotice);
  if (now == nullptr) {
    Print("Run date: unknown\n");
    return;
  }
  Print("Run date: %02i/%02i/%04i %i:%02i\n", now->tm_mon + 1, now->tm_mday, now->tm_year + 1900,
        now->tm_hour, now->tm_min);
}

// The exit code once the report is out: a write that failed is a failure. A
// reader that went away (`disklens | head -1`) is told nothing, as a pipe's
// SIGPIPE would leave it.
int FinishReport() {
  FlushReport();
  const int error = ReportWriteError();
  if (error == 0) return 0;
  if (error != EPIPE) std::fprintf(stderr, "disklens: write error: %s\n", std::strerror(error));
  return 1;
}

// A fresh pass over disk `index`; false when the disk is absent.
bool OpenPass(ReportState& state, std::uint32_t index) {
  ResetBootTargets(state.bootTargets);
  state.chainEbrsLeft = kPassEbrBudget;
  state.diskNumber = static_cast<std::uint8_t>(0x80 + index);
  // The program never writes, so it asks for read access only.
  state.disk = OpenDiskDevice(index, kKindHardDisk, kGenericRead);
  return state.disk != nullptr;
}

void ClosePass(ReportState& state) {
  CloseDiskDevice(state.disk);
  state.disk = nullptr;
}

// The worst finding of the run so far, under --check.
void KeepWorst(std::optional<Severity>& worst, std::optional<Severity> disk) {
  if (disk && (!worst || *disk > *worst)) worst = disk;
}

// The exit status --check gives a run whose report was written whole.
int CheckStatus(std::optional<Severity> worst) {
  if (!worst || *worst == Severity::kNote) return 0;
  return *worst == Severity::kWarning ? 2 : 3;
}

}  // namespace

// The disk's object of the --json document; false when the disk is absent.
bool ReportDiskJson(ReportState& state, std::uint32_t index, bool first, bool check,
                    std::optional<Severity>& worst) {
  if (!OpenPass(state, index)) return false;
  // Kept from disk to disk, so that its room is made once.
  static std::string text;
  text.clear();
  JsonWriter json(text);
  KeepWorst(worst, WriteDiskJson(json, state, index, check));
  WriteJsonDisk(text, first);
  ClosePass(state);
  return true;
}

bool ReportDiskJson(ReportState& state, std::uint32_t index, bool first) {
  std::optional<Severity> worst;
  return ReportDiskJson(state, index, first, false, worst);
}

bool IsAllOption(int argc, const char* const* argv) { return ParseCommandLine(argc, argv).all; }

void ReportDisk(ReportState& state, std::uint32_t index) {
  std::optional<Severity> worst;
  ReportDisk(state, index, false, worst);
}

void ReportDisk(ReportState& state, std::uint32_t index, bool check,
                std::optional<Severity>& worst) {
  if (!OpenPass(state, index)) return;
  if (check) {
    KeepWorst(worst, PrintCheckedDiskReport(state));
  } else {
    PrintDiskReport(state);
  }
  ClosePass(state);
}

int RunProgram(int argc, const char* const* argv, const std::tm* now) {
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.help || line.version) {
    // Text of its own, through the report's stream and its write checks.
    if (line.help) Print("%s", kUsage);
    if (line.version) Print("disklens %s\n", kVersion);
    return FinishReport();
  }
  for (const std::string& arg : line.ignored) {
    std::fprintf(stderr, "disklens: ignoring argument \"%s\" (see --help)\n", arg.c_str());
  }
  if (line.allNotApplied) {
    std::fprintf(stderr,
                 "disklens: /all not applied: it must be the only argument besides the options "
                 "and the disks\n");
  }
  static ReportState state;
  state = ReportState{};
  state.allOption = line.all;
  Platform& os = CurrentPlatform();
  os.SetVerbose(line.verbose);
  if (!line.operands.empty()) {
    if (line.verbose && DiskListVariable()) {
      std::fprintf(stderr,
                   "disklens: DISKLENS_DISKS not read: the disks named on the command line are "
                   "reported\n");
    }
    os.UseDisks(OperandDisks(line.operands));
  }
  os.EnterConfinement();
  // Page-aligned, so that section reads go straight into place.
  state.workBuffer = static_cast<std::uint8_t*>(os.VirtualAlloc(kWorkBufferSize));
  if (state.workBuffer == nullptr) {
    // Standard output takes JSON or nothing.
    if (line.json) {
      std::fprintf(stderr, "disklens: not enough memory for the work buffer\n");
      return 1;
    }
    Print("\nNot enough memory for allocate!\n");
    FinishReport();
    return 1;
  }
  // VirtualAlloc's memory comes zeroed (see platform.h): the WorkBuffer starts as all zeros.
  StartDiskAccess(1);
  std::optional<Severity> worst;
  if (line.json) {
    BeginJsonDocument(now);
    bool first = true;
    for (std::uint32_t index = 0; index < kDiskCount && ReportWriteError() == 0; ++index) {
      if (ReportDiskJson(state, index, first, line.check, worst)) first = false;
    }
    EndJsonDocument();
  } else {
    PrintBanner(now);
    for (std::uint32_t index = 0; index < kDiskCount && ReportWriteError() == 0; ++index) {
      ReportDisk(state, index, line.check, worst);
    }
  }
  os.ExplainUnopenedDisks();
  const std::vector<std::string> leftOut = os.DisksLeftOut();
  ExplainDisksLeftOut(leftOut);
  EndDiskAccess();
  os.VirtualFree(state.workBuffer);
  state.workBuffer = nullptr;
  const int written = FinishReport();
  if (written != 0) return written;
  // Disks asked for by name that are not in the report fail the run, after
  // the whole of it; those of DISKLENS_DISKS and the system's never have.
  const bool operandMissing = os.OperandNotOpened() || (!line.operands.empty() && !leftOut.empty());
  if (operandMissing) return 1;
  return line.check ? CheckStatus(worst) : 0;
}

}  // namespace disklens
