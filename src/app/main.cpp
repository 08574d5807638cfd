#include <cstdio>
#include <ctime>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/driver.h"
#include "text/output.h"

namespace {

// The local time of `now`, through the thread-safe call each C library has.
bool LocalTime(std::time_t now, std::tm& local) {
#if defined(_WIN32)
  return localtime_s(&local, &now) == 0;
#else
  return localtime_r(&now, &local) != nullptr;
#endif
}

bool OutputIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // The run date is taken before anything else.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const bool known = LocalTime(now, local);
  // A report of many disks runs to megabytes: a file or a pipe takes it in
  // the report's own large pieces, with no second buffer in between; a
  // terminal shows each line as it comes.
  if (OutputIsTerminal()) {
    disklens::SetReportBuffered(false);
  } else {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
  }
  return disklens::RunProgram(argc, argv, known ? &local : nullptr);
}
