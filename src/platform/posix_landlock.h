// Landlock (Linux 5.13 and later): the files a confined program may open,
// read-only, beneath a few folders; nothing may be created, written, removed
// or renamed anywhere, and where the kernel knows them, no TCP socket is bound
// or connected and no signal reaches another process.
#pragma once

#include <string>
#include <vector>

namespace disklens {

struct LandlockResult {
  int abi = 0;    // the kernel's Landlock version in force; 0 when none
  int error = 0;  // why it is not in force (errno); 0 when it is
};

// Restricts this process to reading beneath `folders` (a file of the list:
// that file only). Entries that do not exist are left out. `no_new_privs`
// must be set already.
LandlockResult RestrictToReading(const std::vector<std::string>& folders);

}  // namespace disklens
