#include "platform/win32_image_kind.h"

#include <windows.h>

namespace disklens {

namespace {

std::size_t ReadAt(HANDLE file, std::uint8_t* buffer, std::size_t bytes, std::uint64_t offset) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return 0;
  DWORD n = 0;
  if (!::ReadFile(file, buffer, static_cast<DWORD>(bytes), &n, nullptr)) return 0;
  return n;
}

}  // namespace

ImageKind DetectHandleKind(Handle handle) {
  const HANDLE file = reinterpret_cast<HANDLE>(handle);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return ImageKind::kRaw;
  const std::uint64_t fileSize = static_cast<std::uint64_t>(size.QuadPart);
  std::uint8_t head[kImageHeadBytes];
  std::uint8_t tail[kImageTailBytes];
  const std::size_t headSize = ReadAt(file, head, sizeof head, 0);
  const std::uint64_t tailStart = fileSize > sizeof tail ? fileSize - sizeof tail : 0;
  const std::size_t tailSize = ReadAt(file, tail, sizeof tail, tailStart);
  ReadAt(file, head, 0, 0);
  return DetectImageKind(head, headSize, tail, tailSize);
}

}  // namespace disklens
