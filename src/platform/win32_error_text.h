// Why a file did not open, from a Windows error code, in the words the C
// library uses for the same failure on Linux ("No such file or directory").
#pragma once

#include <cstdint>
#include <string>

namespace disklens {

std::string Win32ErrorReason(std::uint32_t error);

}  // namespace disklens
