// Puts a platform behind the disk layer for the life of a test.
#pragma once

#include "platform/platform.h"

namespace disklens::test {

class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& p) { SetPlatform(&p); }
  ~ScopedPlatform() { SetPlatform(nullptr); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;
};

}  // namespace disklens::test
