#include "platform/win32_platform.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/geometry_reply.h"
#include "platform/split_image_names.h"
#include "platform/win32_image_kind.h"
#include "platform/win32_error_text.h"

namespace disklens {

namespace {

bool AnythingNamed(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE ToWin(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle FromWin(HANDLE h) { return reinterpret_cast<Handle>(h); }
HMODULE ToModule(LibraryHandle h) { return reinterpret_cast<HMODULE>(h); }

}  // namespace

Platform& NativePlatform() {
  static Win32Platform platform;
  return platform;
}

std::optional<std::string> DiskListVariable() {
  // GetEnvironmentVariableA, not getenv: the C library can't tell an empty
  // variable from an absent one.
  std::string value(256, '\0');
  while (true) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD n = ::GetEnvironmentVariableA("DISKLENS_DISKS", value.data(),
                                              static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.assign(n, '\0');  // n counts the terminating NUL when the buffer is short
  }
}

Win32Platform::Win32Platform(std::vector<DiskSource> disks)
    : imagesKnown_(true), images_(std::move(disks)) {}

const std::optional<std::vector<DiskSource>>& Win32Platform::Images() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!imagesKnown_) {
    if (const std::optional<std::string> list = DiskListVariable()) {
      images_ = ParseDiskList(*list, ';');
    }
    imagesKnown_ = true;
  }
  return images_;
}

void Win32Platform::UseDisks(std::vector<DiskSource> disks) {
  std::lock_guard<std::mutex> guard(lock_);
  images_ = std::move(disks);
  imagesKnown_ = true;
}

// The raw disks Windows numbers past 31. An open that asks for no access needs
// no administrator: it tells whether the disk is there. Numbers have gaps
// (a disk taken away), so every one up to the last the system hands out is tried.
std::vector<std::string> Win32Platform::DisksLeftOut() {
  const std::optional<std::vector<DiskSource>>& images = Images();
  if (images) return DisksPastTheNumbers(*images);
  std::vector<std::string> past;
  for (std::uint32_t n = kDiskNumbers; n < 256; ++n) {
    const std::string path = "\\\\.\\PhysicalDrive" + std::to_string(n);
    const HANDLE device = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
      ::CloseHandle(device);
      past.push_back(path);
    } else if (::GetLastError() == ERROR_ACCESS_DENIED) {
      past.push_back(path);
    }
  }
  return past;
}

std::string Win32Platform::DiskSourceName(std::uint32_t index) {
  const std::optional<std::vector<DiskSource>>& images = Images();
  if (!images) return "\\\\.\\PhysicalDrive" + std::to_string(index);
  return index < images->size() ? (*images)[index].path : std::string{};
}

std::optional<std::uint32_t> Win32Platform::ImageSectorSize(Handle handle) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto it = imageHandles_.find(handle);
  if (it == imageHandles_.end()) return std::nullopt;
  return it->second;
}

bool Win32Platform::GetVersionExA(OsVersionInfo& info) {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (info.osVersionInfoSize != sizeof v || !::GetVersionExA(&v)) return false;
  info.majorVersion = v.dwMajorVersion;
  info.minorVersion = v.dwMinorVersion;
  info.buildNumber = v.dwBuildNumber;
  info.platformId = v.dwPlatformId;
  return true;
}

std::uint32_t Win32Platform::SetErrorMode(std::uint32_t mode) { return ::SetErrorMode(mode); }

LibraryHandle Win32Platform::LoadLibraryA(const char* name) {
  return reinterpret_cast<LibraryHandle>(::LoadLibraryA(name));
}

ProcAddress Win32Platform::GetProcAddress(LibraryHandle library, std::uint16_t ordinal) {
  const FARPROC proc = ::GetProcAddress(ToModule(library), MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<ProcAddress>(proc);
}

bool Win32Platform::FreeLibrary(LibraryHandle library) {
  return ::FreeLibrary(ToModule(library)) != FALSE;
}

Handle Win32Platform::CreateMutexA() { return FromWin(::CreateMutexA(nullptr, FALSE, nullptr)); }

std::uint32_t Win32Platform::WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(ToWin(handle), milliseconds);
}

bool Win32Platform::ReleaseMutex(Handle handle) { return ::ReleaseMutex(ToWin(handle)) != FALSE; }

bool Win32Platform::CloseHandle(Handle handle) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    imageHandles_.erase(handle);
  }
  return ::CloseHandle(ToWin(handle)) != FALSE;
}

void* Win32Platform::VirtualAlloc(std::size_t size) {
  // Committed pages come zeroed and page-aligned.
  return ::VirtualAlloc(nullptr, size == 0 ? 1 : size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

bool Win32Platform::VirtualFree(void* address) {
  return ::VirtualFree(address, 0, MEM_RELEASE) != FALSE;
}

Handle Win32Platform::CreateFileA(const char* path, std::uint32_t desiredAccess,
                                  std::uint32_t shareMode, std::uint32_t creationDisposition,
                                  std::uint32_t flags) {
  const std::optional<std::vector<DiskSource>>& images = Images();
  const std::optional<std::uint32_t> index = PhysicalDriveIndex(path);
  if (!images || !index) {
    const HANDLE device = ::CreateFileA(path, desiredAccess, shareMode, nullptr,
                                        creationDisposition, flags, nullptr);
    if (index) NoteRawOpen(*index, path, device);
    return FromWin(device);
  }
  if (creationDisposition != kOpenExisting || *index >= images->size()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  const DiskSource& source = (*images)[*index];
  // An entry's error first: a bare "@513" has no path, but is no empty entry.
  if (!source.error.empty()) {
    messages_.NotOpened(*index, source, source.error.c_str());
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  if (source.path.empty()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  if (PhysicalDriveIndex(source.path.c_str())) {
    return OpenNamedRawDisk(*index, source, desiredAccess, shareMode, flags);
  }
  // A directory opens only with backup semantics; refused, it would read as
  // "Permission denied".
  const DWORD attributes = ::GetFileAttributesA(source.path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    messages_.NotOpened(*index, source, kNotADisk);
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  // An image is an ordinary file: no unbuffered or other raw-device flags.
  const HANDLE file = ::CreateFileA(source.path.c_str(), desiredAccess, shareMode, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    messages_.NotOpened(*index, source, Win32ErrorReason(error).c_str());
    ::SetLastError(error);
    return kInvalidHandle;
  }
  // A pipe or a character device (NUL, CON, a FIFO under Wine) is refused
  // before anything is read from it, which could wait.
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    messages_.NotOpened(*index, source, kNotADisk);
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  // This build has no container libraries: a container is named instead of
  // being reported from its raw bytes, which would be garbage.
  if (const ImageKind kind = DetectHandleKind(FromWin(file)); kind != ImageKind::kRaw) {
    ::CloseHandle(file);
    const std::string reason =
        IsUnreadKind(kind)
            ? UnreadKindReason(kind)
            : std::string(ImageKindText(kind)) +
                  " (this build reads raw images; attach it with Disk Management or "
                  "Mount-DiskImage and run disklens on the physical drive it becomes)";
    messages_.NotOpened(*index, source, reason.c_str());
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return kInvalidHandle;
  }
  // Nor is a segment of a split raw image read as if it were the whole disk.
  if (const SplitSet split = FindSplitSet(source.path, AnythingNamed);
      split.role != SplitRole::kNone) {
    ::CloseHandle(file);
    const std::string reason =
        (split.role == SplitRole::kFirst
             ? "the first of " + std::to_string(split.segments.size()) + " segments"
             : "a later segment, after " + split.segments.front() + ",") +
        " of a split raw image (this build reads whole raw images: join the segments into one "
        "file first, with copy /b)";
    messages_.NotOpened(*index, source, reason.c_str());
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return kInvalidHandle;
  }
  if (verbose_) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) size.QuadPart = 0;
    messages_.Source(*index, source.path, source.imageSectorSize,
                 static_cast<std::uint64_t>(size.QuadPart));
  }
  std::lock_guard<std::mutex> guard(lock_);
  imageHandles_[FromWin(file)] = source.imageSectorSize;
  return FromWin(file);
}

Handle Win32Platform::OpenNamedRawDisk(std::uint32_t index, const DiskSource& source,
                                       std::uint32_t desiredAccess, std::uint32_t shareMode,
                                       std::uint32_t flags) {
  const HANDLE device = ::CreateFileA(source.path.c_str(), desiredAccess, shareMode, nullptr,
                                      OPEN_EXISTING, flags, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    messages_.NotOpened(index, source, Win32ErrorReason(error).c_str());
    ::SetLastError(error);
    return kInvalidHandle;
  }
  NoteRawOpen(index, source.path.c_str(), device);
  return FromWin(device);
}

void Win32Platform::NoteRawOpen(std::uint32_t index, const char* path, void* device) {
  if (device == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) messages_.RawDenied();
    ::SetLastError(error);
    return;
  }
  messages_.RawOpened();
  if (!verbose_) return;
  // The disk's own sector size and size, as the geometry request gives them.
  DISK_GEOMETRY_EX geometry{};
  DWORD n = 0;
  std::uint32_t sectorSize = 0;
  std::uint64_t bytes = 0;
  if (::DeviceIoControl(device, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, &geometry,
                        sizeof geometry, &n, nullptr) &&
      n >= sizeof(DISK_GEOMETRY) + sizeof(LARGE_INTEGER)) {
    sectorSize = geometry.Geometry.BytesPerSector;
    bytes = static_cast<std::uint64_t>(geometry.DiskSize.QuadPart);
  }
  messages_.Source(index, path, sectorSize, bytes);
}

std::uint32_t Win32Platform::SetFilePointer(Handle handle, std::int32_t distanceLow,
                                            std::int32_t* distanceHigh, std::uint32_t moveMethod) {
  LONG high = distanceHigh != nullptr ? *distanceHigh : 0;
  const DWORD low =
      ::SetFilePointer(ToWin(handle), distanceLow, distanceHigh != nullptr ? &high : nullptr,
                       moveMethod);
  if (distanceHigh != nullptr) *distanceHigh = high;
  return low;
}

bool Win32Platform::ReadFile(Handle handle, void* buffer, std::uint32_t bytes,
                             std::uint32_t* done) {
  DWORD n = 0;
  const BOOL ok = ::ReadFile(ToWin(handle), buffer, bytes, &n, nullptr);
  if (done != nullptr) *done = n;
  return ok != FALSE;
}

bool Win32Platform::WriteFile(Handle handle, const void* buffer, std::uint32_t bytes,
                              std::uint32_t* done) {
  DWORD n = 0;
  const BOOL ok = ::WriteFile(ToWin(handle), buffer, bytes, &n, nullptr);
  if (done != nullptr) *done = n;
  return ok != FALSE;
}

std::uint32_t Win32Platform::GetLastError() { return ::GetLastError(); }

bool Win32Platform::DeviceIoControl(Handle handle, std::uint32_t code, const void* in,
                                    std::uint32_t inSize, void* out, std::uint32_t outSize,
                                    std::uint32_t* returned) {
  if (returned != nullptr) *returned = 0;
  const std::optional<std::uint32_t> imageSectorSize = ImageSectorSize(handle);
  if (!imageSectorSize) {
    DWORD n = 0;
    const BOOL ok = ::DeviceIoControl(ToWin(handle), code, const_cast<void*>(in), inSize, out,
                                      outSize, &n, nullptr);
    if (returned != nullptr) *returned = n;
    return ok != FALSE;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(ToWin(handle), &size)) return false;
  SyntheticGeometry g;
  g.totalBytes = static_cast<std::uint64_t>(size.QuadPart);
  g.sectorSize = *imageSectorSize;
  std::uint32_t n = 0;
  if (code == kIoctlDiskGetDriveGeometryEx) {
    n = BuildGeometryExReply(g, static_cast<std::uint8_t*>(out), outSize);
  } else if (code == kIoctlDiskGetDriveGeometry) {
    n = BuildGeometryReply(g, static_cast<std::uint8_t*>(out), outSize);
  } else {
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  if (n == 0) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  if (returned != nullptr) *returned = n;
  return true;
}

std::int32_t Win32Platform::WideCharToMultiByte(std::uint32_t codePage, const std::uint16_t* src,
                                                std::int32_t srcUnits, char* dst,
                                                std::int32_t dstSize) {
  return ::WideCharToMultiByte(codePage, 0, reinterpret_cast<LPCWCH>(src), srcUnits, dst, dstSize,
                               nullptr, nullptr);
}

}  // namespace disklens
