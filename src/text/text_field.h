// Text fields taken from a disk, made safe to print.
#pragma once

#include <cstddef>

#include "bytes/bytes.h"

namespace disklens {

// The text of a field of `length` bytes at the start of `field`, into `out` of
// `capacity` bytes: up to the field's first zero byte, never past the end of
// `field` nor past `capacity` - 1 bytes, control bytes as "?" (see
// IsControlByte); the rest of `out` is zero.
void CopyTextField(ByteView field, std::size_t length, char* out, std::size_t capacity);

}  // namespace disklens
