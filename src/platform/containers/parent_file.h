// Where the parent of a differencing container lies: the libraries give the
// name the child records, which is often a path of the machine that made it.
#pragma once

#include <string>

namespace disklens {

// How deep a chain of parents may go; a longer one is taken for a loop.
inline constexpr int kMaxParentDepth = 16;

// The parent's file: `recorded` as it stands when it names an existing file
// (relative names beside the child), otherwise its last component beside the
// child; empty when neither exists.
std::string FindParentFile(const std::string& childPath, const std::string& recorded);

}  // namespace disklens
