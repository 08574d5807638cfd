// A block of memory that report text is collected in before it goes out.
#pragma once

#include <cstddef>
#include <cstring>

namespace disklens {

// A fixed block of memory that text is appended to; when it is full, what it
// holds goes to `drain`, which takes it all.
class TextBuffer {
 public:
  using Drain = void (*)(void* context, const char* data, std::size_t size);

  constexpr TextBuffer(char* storage, std::size_t capacity, Drain drain, void* context)
      : begin_(storage),
        cursor_(storage),
        end_(storage + capacity),
        drain_(drain),
        context_(context) {}

  void Append(const char* text, std::size_t size) {
    if (size <= Room()) {
      std::memcpy(cursor_, text, size);
      cursor_ += size;
    } else {
      AppendSlow(text, size);
    }
  }
  void Fill(char c, std::size_t count) {
    if (count <= Room()) {
      std::memset(cursor_, c, count);
      cursor_ += count;
    } else {
      FillSlow(c, count);
    }
  }
  // Hands what the buffer holds to the drain.
  void Flush();
  std::size_t Held() const { return static_cast<std::size_t>(cursor_ - begin_); }
  std::size_t Capacity() const { return static_cast<std::size_t>(end_ - begin_); }
  std::size_t Room() const { return static_cast<std::size_t>(end_ - cursor_); }

  // True when `size` bytes fit after the cursor, flushing first if need be;
  // they are then written at Cursor() and Commit takes their end.
  bool MakeRoom(std::size_t size) {
    if (size <= Room()) return true;
    Flush();
    return size <= Room();
  }
  char* Cursor() const { return cursor_; }
  char* End() const { return end_; }
  void Commit(char* end) { cursor_ = end; }

 private:
  void AppendSlow(const char* text, std::size_t size);
  void FillSlow(char c, std::size_t count);

  char* begin_;
  char* cursor_;
  char* end_;
  Drain drain_;
  void* context_;
};

}  // namespace disklens
