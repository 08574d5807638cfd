#include <ctime>

#include "report/driver.h"

namespace {

// The local time of `now`, through the thread-safe call each C library has.
bool LocalTime(std::time_t now, std::tm& local) {
#if defined(_WIN32)
  return localtime_s(&local, &now) == 0;
#else
  return localtime_r(&now, &local) != nullptr;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // The run date is taken before anything else.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  const bool known = LocalTime(now, local);
  return disklens::RunProgram(argc, argv, known ? &local : nullptr);
}
