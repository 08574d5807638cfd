#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "report/driver.h"

int main(int argc, char** argv) {
  // The run date is taken before anything else.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const bool known = localtime_r(&now, &local) != nullptr;
  // A report of many disks runs to megabytes: a file or a pipe takes it in
  // large pieces; a terminal keeps its line buffering.
  static char outputBuffer[1 << 16];
  if (isatty(STDOUT_FILENO) == 0) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  return disklens::RunProgram(argc, argv, known ? &local : nullptr);
}
