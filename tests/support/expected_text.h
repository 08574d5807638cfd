// Expected report texts that several tests share, read at run time from
// tests/expected/ of the source tree (which Wine shows through its Z: drive).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace disklens::test {

// tests/expected/`name` without its final newline. Callable before main(): an
// unreadable file yields a text naming it, so the comparison fails and says why.
inline std::string ExpectedText(const std::string& name) {
  const std::string path = std::string(DISKLENS_SOURCE_DIR) + "/tests/expected/" + name;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (text.empty()) return "<cannot read " + path + ">";
  if (text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace disklens::test
