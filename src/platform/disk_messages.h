// The lines on stderr that a back end says about the disks behind the disk
// numbers: each at most once a run, however often the disk layer tries a disk.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/disk_list.h"

namespace disklens {

inline constexpr char kNotADisk[] = "not a disk image or block device";

class DiskMessages {
 public:
  // "disklens: HD<n>: <entry>: <reason>" for a DISKLENS_DISKS entry that did
  // not open; nothing for the system's own disks, which have no entry.
  // An operand among them is remembered, for the exit status.
  void NotOpened(std::uint32_t index, const DiskSource& source, const char* reason);
  bool OperandNotOpened() const { return operandNotOpened_; }

  // "disklens: HD<n>: <entry>: <note>" for an entry that opened, each note
  // once for its disk.
  void Note(std::uint32_t index, const DiskSource& source, const std::string& note);

  // The --verbose line "disklens: HD<n> = <path> (<s>-byte sectors, <b> bytes)",
  // with "<kind>, " before the sector size for a container ("a qcow2 image").
  void Source(std::uint32_t index, const std::string& path, std::uint32_t sectorSize,
              std::uint64_t bytes, const char* kind = nullptr);

  // The --verbose line "disklens: HD<n> also reads <path> (<role>)" for a
  // file that a container reads beside the one named.
  void Companion(std::uint32_t index, const std::string& role, const std::string& path);

  // A system disk that could not be opened for lack of rights.
  void Denied(std::uint32_t index) { denied_.insert(index); }

  // "disklens: <k> disks could not be opened (Permission denied): run as root or
  // as a member of group "disk"", when any were; nothing otherwise. For the
  // `superuser` the reason alone: a container or a security module refused it,
  // and the advice would not help.
  void ExplainDenied(bool superuser = false) const;

  // Windows' raw disks: each open of \\.\PhysicalDriveN that went through,
  // and each that was refused for lack of rights.
  void RawOpened() { rawOpened_ = true; }
  void RawDenied() { rawDenied_ = true; }
  // "disklens: no disk could be opened: run from an administrator's command
  // prompt", when no raw disk opened and one at least was refused.
  void ExplainNoRawDisk() const;

 private:
  bool operandNotOpened_ = false;
  bool rawOpened_ = false;
  bool rawDenied_ = false;
  std::set<std::uint32_t> notOpened_;
  std::set<std::pair<std::uint32_t, std::string>> notes_;
  std::set<std::pair<std::uint32_t, std::string>> companions_;
  std::set<std::uint32_t> sources_;
  std::set<std::uint32_t> denied_;
};

// "disklens: <k> disks left out past HD31, the last disk number: name them as
// operands or in DISKLENS_DISKS, 32 at a time" and one "disklens: left out:
// <name>" line for each; nothing when `names` is empty.
void ExplainDisksLeftOut(const std::vector<std::string>& names);

}  // namespace disklens
