// The confinement of the Linux program, entered before the first byte of any
// disk is read: the kernel then refuses it every open for writing and every
// write but to standard output and error, every new program, process or
// socket, and every change to the system (seccomp); where it has Landlock,
// also every read outside the disks' folders and the system's libraries.
// DISKLENS_NO_SANDBOX=1 leaves it off.
#pragma once

#include <string>
#include <vector>

#include "platform/disk_list.h"

namespace disklens {

// The folders (and files) a run over `disks` may read: the folder of every
// disk named (and of the file it links to), /dev and /sys/block for the
// machine's own disks, and what the dynamic loader reads to load a library.
std::vector<std::string> ReadableFolders(const std::vector<DiskSource>& disks);

struct Confinement {
  bool off = false;       // DISKLENS_NO_SANDBOX asked for none
  int seccompError = 0;   // 0: the filters are in force
  int landlockAbi = 0;    // 0: no Landlock, for the reason in landlockError
  int landlockError = 0;
};

// Enters the confinement for good; what could not be entered is said in the
// result, and the run goes on without it.
Confinement Confine(const std::vector<std::string>& readable);

// The --verbose line that says what is in force.
std::string DescribeConfinement(const Confinement& confinement);

// True once this process may read only beneath the folders given to Confine.
bool ReadsConfined();

}  // namespace disklens
