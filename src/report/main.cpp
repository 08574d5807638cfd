#include <ctime>

#include "report/driver.h"

int main(int argc, char** argv) {
  // The run date is taken before anything else.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const bool known = localtime_r(&now, &local) != nullptr;
  return disklens::RunProgram(argc, argv, known ? &local : nullptr);
}
