#include "text/text_buffer.h"

namespace disklens {

void TextBuffer::FillSlow(char c, std::size_t count) {
  while (count > 0) {
    if (cursor_ == end_) Flush();
    const std::size_t n = count < Room() ? count : Room();
    std::memset(cursor_, c, n);
    cursor_ += n;
    count -= n;
  }
}

void TextBuffer::Flush() {
  if (cursor_ == begin_) return;
  drain_(context_, begin_, Held());
  cursor_ = begin_;
}

void TextBuffer::AppendSlow(const char* text, std::size_t size) {
  Flush();
  if (size > Capacity()) {
    drain_(context_, text, size);
    return;
  }
  std::memcpy(cursor_, text, size);
  cursor_ += size;
}

}  // namespace disklens
