// An empty file made to a size without writing its bytes (sparse where the
// file system allows), on both systems.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace disklens::test {

// Creates (or empties) `path` and sets its size; true on success. On Windows
// the C++ library's resize_file stops at 2^31 bytes, so the file's end is set
// through the system.
inline bool MakeSizedFile(const std::filesystem::path& path, std::uint64_t bytes) {
#if defined(_WIN32)
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  size.QuadPart = static_cast<LONGLONG>(bytes);
  const bool ok = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
#else
  { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
  std::error_code ec;
  std::filesystem::resize_file(path, bytes, ec);
  return !ec;
#endif
}

}  // namespace disklens::test
