// Runs the command-line tools that serve as oracles, in temporary directories.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace disklens::test {

// Standard output of `command` when it exits with 0 (stderr is dropped).
inline std::optional<std::string> RunTool(const std::string& command) {
  std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
  return pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

inline bool HaveTool(const std::string& name) {
  return RunTool("command -v " + name + " >/dev/null").has_value();
}

}  // namespace disklens::test
