#include "report/driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bootsector/boot_sector_section.h"
#include "disk/session.h"
#include "gpt/gpt_section.h"
#include "report/embr_section.h"
#include "report/mbr_section.h"
#include "report/output.h"
#include "version.h"

namespace disklens {

namespace {

constexpr std::uint32_t kDiskCount = 32;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters compare without regard to case, whatever the C library's locale.
bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return *a == *b;
}

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

}  // namespace

bool IsAllOption(int argc, const char* const* argv) {
  return argc == 2 && argv != nullptr && argv[1] != nullptr && EqualsIgnoringCase(argv[1], "/all");
}

void ReportDisk(ReportState& state, std::uint32_t index) {
  ResetBootTargets(state.bootTargets);
  state.diskNumber = static_cast<std::uint8_t>(0x80 + index);
  // The program never writes, so it asks for read access only.
  state.disk = OpenDiskDevice(index, kKindHardDisk, kGenericRead);
  if (state.disk == nullptr) return;
  PrintMbrSection(state);
  PrintEmbrSection(state);
  PrintGptSection(state);
  if (state.bootTargets.count != 0) PrintBootSectorInformation(state);
  CloseDiskDevice(state.disk);
  state.disk = nullptr;
}

int RunProgram(int argc, const char* const* argv, const std::tm* now) {
  static ReportState state;
  state = ReportState{};
  state.allOption = IsAllOption(argc, argv);
  Platform& os = CurrentPlatform();
  // Page-aligned, so that section reads go straight into place.
  state.workBuffer = static_cast<std::uint8_t*>(os.VirtualAlloc(kWorkBufferSize));
  if (state.workBuffer == nullptr) {
    Print("\nNot enough memory for allocate!\n");
    FinishReport();
    return 1;
  }
  std::memset(state.workBuffer, 0, kWorkBufferSize);
  StartDiskAccess(1);
  PrintBanner(now);
  for (std::uint32_t index = 0; index < kDiskCount && ReportWriteError() == 0; ++index) {
    ReportDisk(state, index);
  }
  EndDiskAccess();
  os.VirtualFree(state.workBuffer);
  state.workBuffer = nullptr;
  return FinishReport();
}

}  // namespace disklens
