#include "text/text_field.h"

#include <cstring>

#include "text/ascii.h"

namespace disklens {

void CopyTextField(ByteView field, std::size_t length, char* out, std::size_t capacity) {
  if (capacity == 0) return;
  std::memset(out, 0, capacity);
  if (length > field.size) length = field.size;
  if (length > capacity - 1) length = capacity - 1;
  for (std::size_t i = 0; i < length && field.data[i] != 0; ++i) {
    out[i] = IsControlByte(field.data[i]) ? '?' : static_cast<char>(field.data[i]);
  }
}

}  // namespace disklens
