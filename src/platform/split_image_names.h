// Split raw images: one disk kept in segment files, as `split` and the forensic
// imagers write it. A segment's name ends in a dot and its place in the set:
// a number of two digits or more counted from 0 or 1 (".000", ".001", ".00",
// ".01") or two letters or more counted from "a" (".aa", ".ab", ...). Names
// are told apart here; which files exist is asked of the caller.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace disklens {

enum class SplitRole {
  kNone,   // not a segment of a set: a lone "x.001", "disk.img"
  kFirst,  // the first segment, with the next one beside it
  kLater,  // a segment after the first, which lies beside it
};

struct SplitSet {
  SplitRole role = SplitRole::kNone;
  // kFirst: every segment in order, the named one first (two or more), up to
  // the first name that does not exist. kLater: the segments from the first
  // up to the named one. Empty for kNone.
  std::vector<std::string> segments;
};

// Whether anything (a file of any type) has this name.
using NameExists = std::function<bool(const std::string&)>;

// What `path` is in a split set; `path` itself is taken to exist. A later
// segment counts only when every segment before it is there.
SplitSet FindSplitSet(const std::string& path, const NameExists& exists);

}  // namespace disklens
