// Running the file-system tools that serve as oracles, and reading what they
// and the report print.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace disklens::test {

// The sbin directories hold mkfs.* on most systems but are not always on PATH.
inline std::string Shell(const std::string& command, int* status = nullptr) {
  const std::string full = "PATH=\"$PATH:/usr/sbin:/sbin\" " + command;
  std::FILE* pipe = popen(full.c_str(), "r");
  std::string out;
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return out;
  }
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  const int rc = pclose(pipe);
  if (status != nullptr) *status = rc;
  return out;
}

// The first tool of `tools` that is not installed, or "" when all are.
inline std::string MissingTool(std::initializer_list<const char*> tools) {
  for (const char* tool : tools) {
    int status = 0;
    Shell(std::string("command -v ") + tool + " >/dev/null 2>&1", &status);
    if (status != 0) return tool;
  }
  return "";
}

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = testing::TempDir() + "disklens-bootXXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  bool Ok() const { return !path_.empty(); }

 private:
  std::string path_;
};

// At most `limit` bytes from the start of a file.
inline std::vector<std::uint8_t> ReadPrefix(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(limit);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

// Label -> value of every labelled-field line of a report.
inline std::map<std::string, std::string> ReportFields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() < 32 || line.compare(30, 2, ": ") != 0) continue;
    const std::size_t start = line.find_first_not_of(' ');
    if (start >= 30) continue;
    fields[line.substr(start, 30 - start)] = line.substr(32);
  }
  return fields;
}

// "key: value" and "key=value" lines; only from the line `from` on when given.
inline std::map<std::string, std::string> KeyValues(const std::string& text,
                                                    const std::string& from = "") {
  std::map<std::string, std::string> fields;
  std::istringstream lines(text);
  bool on = from.empty();
  for (std::string line; std::getline(lines, line);) {
    if (!on) {
      on = line.find(from) != std::string::npos;
      continue;
    }
    const std::size_t sep = line.find_first_of(":=");
    if (sep == std::string::npos) continue;
    std::size_t keyStart = line.find_first_not_of(" \t");
    std::size_t valueStart = sep + 1;
    if (valueStart < line.size() && line[valueStart] == ' ') ++valueStart;
    const std::string key = line.substr(keyStart, sep - keyStart);
    if (fields.count(key) == 0) fields[key] = line.substr(valueStart);
  }
  return fields;
}

// A number as tools print it: "0x" hexadecimal, otherwise in `base`; text
// after the digits ("512 bytes") is ignored.
inline std::uint64_t Number(const std::string& text, int base = 10) {
  const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
  return std::strtoull(text.c_str() + (hex ? 2 : 0), nullptr, hex ? 16 : base);
}

// "primary (backup)" split in two; `backup` is empty when there are no parentheses.
inline void SplitPair(const std::string& value, std::string& primary, std::string& backup) {
  const std::size_t open = value.rfind(" (");
  if (open == std::string::npos || value.empty() || value.back() != ')') {
    primary = value;
    backup.clear();
    return;
  }
  primary = value.substr(0, open);
  backup = value.substr(open + 2, value.size() - open - 3);
}

// A quoted tool value without its quotes.
inline std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace disklens::test
