#include "platform/containers/library_message.h"

namespace disklens {

std::string LibraryMessage(const char* library, const char* backtrace, const char* fallback) {
  std::string line = backtrace != nullptr ? backtrace : "";
  if (const std::size_t end = line.find('\n'); end != std::string::npos) line.resize(end);
  // The function name ends at the first ": " and holds no space.
  if (const std::size_t colon = line.find(": ");
      colon != std::string::npos && line.find(' ') > colon) {
    line.erase(0, colon + 2);
  }
  while (!line.empty() && (line.back() == '.' || line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
  if (line.empty()) line = fallback;
  return std::string(library) + ": " + line;
}

}  // namespace disklens
