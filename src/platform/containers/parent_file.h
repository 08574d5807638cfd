// Where the parent of a differencing container lies: the libraries give the
// name the child records, which is often a path of the machine that made it.
#pragma once

#include <string>

#include "platform/image_source.h"

namespace disklens {

// How deep a chain of parents may go; a longer one is taken for a loop.
inline constexpr int kMaxParentDepth = 16;

// The parent's file: `recorded` as it stands when it names an existing file
// (relative names beside the child), otherwise its last component beside the
// child; empty when neither exists.
std::string FindParentFile(const std::string& childPath, const std::string& recorded);

// The last component of a name a container records, "/" or "\\" separated
// ("C:\\VMs\\base.vhdx" gives "base.vhdx"): the file looked for beside it.
std::string RecordedFileName(const std::string& recorded);

// "<role> <path>: not a disk image or block device" when `path` is anything
// but a regular file or block device (a FIFO would make a library's open wait
// for a writer), or is not there; empty when it may be opened.
std::string RefuseNonDiskFile(const char* role, const std::string& path);

// A name as a library hands it over, in a buffer of the size it gave: the
// text up to its first NUL, or all of it when there is none.
inline void CutAtNul(std::string& name) {
  const std::size_t end = name.find('\0');
  if (end != std::string::npos) name.resize(end);
}

// How a format names its parent in what it says: qcow2 a "backing file",
// VHD, VHDX and VMDK a "parent".
struct ParentWords {
  const char* noun;      // before the recorded name and before the parent's path
  const char* notFound;  // after the recorded name in quotes
  const char* plural;    // "more than 16 ..."
};

// The parent's file as FindParentFile finds it for a child at `depth`; empty,
// with `error` set, when it is not there or would be deeper than kMaxParentDepth.
std::string LocateParent(const std::string& childPath, const std::string& recorded, int depth,
                         const ParentWords& words, std::string& error);

// Opens the parent of `child` (at `childPath`, `depth`) with the format's own
// `open` (path, depth, error), one level deeper; null, with `error` set, when
// it is not there, too deep or does not open (the reason of `open` behind the
// parent's name). The child lists the parent and the parent's own files.
template <typename Open>
auto OpenParent(ImageSource& child, const std::string& childPath, const std::string& recorded,
                int depth, const ParentWords& words, Open open, std::string& error)
    -> decltype(open(childPath, depth, error)) {
  const std::string parentPath = LocateParent(childPath, recorded, depth, words, error);
  if (parentPath.empty()) return nullptr;
  auto parent = open(parentPath, depth + 1, error);
  if (parent == nullptr) {
    error = std::string(words.noun) + " " + parentPath + ": " + error;
    return parent;
  }
  child.AddCompanion(words.noun, parentPath);
  child.AddCompanions(*parent);
  return parent;
}

}  // namespace disklens
