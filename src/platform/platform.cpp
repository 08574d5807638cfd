#include "platform/platform.h"

namespace disklens {

namespace {
Platform* g_installed = nullptr;
}

Platform& CurrentPlatform() { return g_installed != nullptr ? *g_installed : NativePlatform(); }

void SetPlatform(Platform* platform) { g_installed = platform; }

}  // namespace disklens
