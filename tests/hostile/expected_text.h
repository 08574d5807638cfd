// Small pieces for writing expected reports out.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace disklens::test::hostile {

inline const std::string kBootHeading = R"(
                           BOOT SECTOR INFORMATION
-------------------------------------------------------------------------------)";
inline const std::string kBootRule =
    "\n-------------------------------------------------------------------------------";

// A labelled line of the boot sector decoders: the label right-aligned in 30 columns.
inline std::string Field(const std::string& label, const std::string& value) {
  std::string line = "\n";
  line.append(30 - label.size(), ' ');
  line += label;
  line += ": ";
  line += value;
  return line;
}

// `text` with its one occurrence of `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace disklens::test::hostile
