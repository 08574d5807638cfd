// Starts the disk access session for a test and ends it when the test ends.
// Declare it after the FakePlatform, so that the session ends first.
#pragma once

#include "disk/session.h"

namespace disklens::test {

class SessionGuard {
 public:
  explicit SessionGuard(std::uint32_t setUpTransferBuffer = 1) {
    StartDiskAccess(setUpTransferBuffer);
  }
  ~SessionGuard() { EndDiskAccess(); }
  SessionGuard(const SessionGuard&) = delete;
  SessionGuard& operator=(const SessionGuard&) = delete;
};

}  // namespace disklens::test
