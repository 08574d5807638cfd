// printf formatting into a buffer of our own: the report is megabytes of
// short formatted lines, and the C library's vfprintf with its stream locking
// cost more than everything else the program does apart from reading.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstring>

namespace disklens {

// A fixed block of memory that text is appended to; when it is full, what it
// holds goes to `drain`, which takes it all.
class TextBuffer {
 public:
  using Drain = void (*)(void* context, const char* data, std::size_t size);

  constexpr TextBuffer(char* storage, std::size_t capacity, Drain drain, void* context)
      : data_(storage), capacity_(capacity), drain_(drain), context_(context) {}

  void Append(const char* text, std::size_t size) {
    if (size <= capacity_ - used_) {
      std::memcpy(data_ + used_, text, size);
      used_ += size;
    } else {
      AppendSlow(text, size);
    }
  }
  void Fill(char c, std::size_t count);
  // Hands what the buffer holds to the drain.
  void Flush();
  std::size_t Held() const { return used_; }

 private:
  void AppendSlow(const char* text, std::size_t size);

  char* data_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  Drain drain_;
  void* context_;
};

// Appends `format` with `args` as vsnprintf would write it. Flags "-0+ #",
// width and precision (digits or "*"), lengths hh h l ll z j t and the
// conversions d i u o x X c s % are done here; the rest (floating point, p,
// wide characters) goes through the C library one conversion at a time.
void AppendFormatted(TextBuffer& out, const char* format, std::va_list args);

}  // namespace disklens
