// The footer of a fixed VHD whose data is read as raw, without libvhdi: the
// 511-byte footer that old tools wrote, which the library refuses.
#pragma once

#include <cstdint>
#include <string>

#include "bytes/bytes.h"

namespace disklens {

// The size of the disk that `footer` (the bytes from "conectix" to the end of
// a file of `fileSize` bytes) describes; 0 with `why` set when the footer is
// not a sound fixed-disk footer or names more data than the file holds.
std::uint64_t FixedVhdDataSize(ByteView footer, std::uint64_t fileSize, std::string& why);

}  // namespace disklens
