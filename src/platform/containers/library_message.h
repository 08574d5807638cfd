// The libyal libraries explain a failure as a backtrace, outermost call last;
// its first line is the cause ("libqcow_file_header_read_data: unsupported
// incompatible features flags: 0x3.").
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace disklens {

// "<library>: <cause>" from a backtrace: the first line, without the name of
// the function that wrote it nor the final period; `fallback` when empty.
std::string LibraryMessage(const char* library, const char* backtrace, const char* fallback);

// LibraryMessage of a library's error, which is freed: `sprint` and `release`
// are the library's error_backtrace_sprint and error_free.
template <typename Error, typename Sprint, typename Release>
std::string TakeLibraryError(const char* library, Error* error, const char* fallback,
                             Sprint sprint, Release release) {
  char text[4096] = "";
  if (error != nullptr) {
    sprint(error, text, sizeof text);
    release(&error);
  }
  return LibraryMessage(library, text, fallback);
}

// Reads `bytes` at `offset` of a medium of `size` bytes through a library's
// read at an offset, `read(to, count, at, error)`, which returns what it read,
// 0 at the end, or a negative count with `error` set. `done` is what was read.
template <typename Read>
bool ReadInPieces(std::uint64_t size, std::uint64_t offset, void* buffer, std::size_t bytes,
                  std::size_t& done, std::string& error, Read read) {
  done = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  while (done < bytes && offset + done < size) {
    const ssize_t n = read(p + done, bytes - done, static_cast<off64_t>(offset + done), error);
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace disklens
