#include "platform/posix_platform.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/disk_messages.h"
#include "platform/dkhlp32.h"
#include "platform/geometry_reply.h"
#include "platform/posix_confinement.h"
#include "platform/posix_image_kind.h"
#include "platform/posix_split_image.h"
#include "text/utf8.h"
#include "platform/vhd_footer.h"

namespace disklens {

namespace {

constexpr LibraryHandle kDkhlp32Handle = 0xD1;
constexpr std::size_t kPageSize = 4096;

thread_local std::uint32_t t_lastError = 0;

std::uint32_t ErrorFromErrno(int e) {
  switch (e) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return kErrorFileNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case EROFS:
      return kErrorWriteProtect;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case EIO:
      return kErrorCrc;
    default:
      return kErrorGenFailure;
  }
}

void Fail(std::uint32_t error) { t_lastError = error; }

bool IsDiskType(const struct stat& st) { return S_ISREG(st.st_mode) || S_ISBLK(st.st_mode); }

// The folder a file lies in, as one path whatever way it was named.
std::filesystem::path FolderOf(const std::string& path) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, ec);
  return ec ? folder : canonical;
}

}  // namespace

Platform& NativePlatform() {
  static PosixPlatform& platform = []() -> PosixPlatform& {
    static PosixPlatform native;
    native.AllowConfinement();
    return native;
  }();
  return platform;
}

PosixPlatform::PosixPlatform(bool asWin9x) : asWin9x_(asWin9x) {}

PosixPlatform::PosixPlatform(std::vector<DiskSource> disks, bool asWin9x)
    : asWin9x_(asWin9x), disksKnown_(true), disks_(std::move(disks)) {}

PosixPlatform::~PosixPlatform() {
  for (auto& [handle, file] : files_) ::close(file.fd);
}

const std::vector<DiskSource>& PosixPlatform::Disks() {
  if (!disksKnown_) {
    disks_ = ConfiguredDisks();
    disksKnown_ = true;
  }
  return disks_;
}

void PosixPlatform::UseDisks(std::vector<DiskSource> disks) {
  disks_ = std::move(disks);
  disksKnown_ = true;
}

void PosixPlatform::ExplainUnopenedDisks() { messages_.ExplainDenied(::geteuid() == 0); }

void PosixPlatform::EnterConfinement() {
  if (!confinable_) return;
  // The disks are listed (and /sys/block read) before the doors close.
  const Confinement confinement = Confine(ReadableFolders(Disks()));
  if (verbose_) std::fprintf(stderr, "%s\n", DescribeConfinement(confinement).c_str());
}

std::string PosixPlatform::DiskSourceName(std::uint32_t index) {
  const std::vector<DiskSource>& disks = Disks();
  return index < disks.size() ? disks[index].path : std::string{};
}

void PosixPlatform::SayNotOpened(std::uint32_t index, const DiskSource& source, int error) {
  messages_.NotOpened(index, source, std::strerror(error));
  // The system's own disks are counted, for one line at the end of the run.
  if (source.entry.empty() && (error == EACCES || error == EPERM)) messages_.Denied(index);
}

// The --verbose line of the image formats, once a run meets a file that is
// not raw.
void PosixPlatform::SayFormats() {
  if (!verbose_ || formatsSaid_) return;
  formatsSaid_ = true;
  std::fprintf(stderr, "disklens: %s\n", kImageFormatsText);
}

// A DISKLENS_DISKS file that its signature names a container is read through
// the container's library, a format we do not read is named and refused; false
// (said on stderr) when the file is left out.
bool PosixPlatform::OpenContainer(std::uint32_t index, const DiskSource& source, int fd,
                                  std::uint64_t fileSize, File& file) {
  const ImageKind kind = DetectFileKind(fd, fileSize);
  if (kind != ImageKind::kRaw) SayFormats();
  if (kind == ImageKind::kRaw) {
    if (const ImageKind named = KindNamedBy(source.path); named != ImageKind::kRaw) {
      messages_.Note(index, source,
                     "named like " + std::string(ImageKindText(named)) +
                         " but without its signature: read as a raw image");
      return true;
    }
    return OpenSplitSet(index, source, file);
  }
  if (IsUnreadKind(kind)) {
    messages_.NotOpened(index, source, UnreadKindReason(kind).c_str());
    return false;
  }
  if (kind == ImageKind::kVhdOldFooter) return OpenOldFooterVhd(index, source, fd, fileSize, file);
  OpenedImage opened = OpenImageSource(kind, source.path);
  if (opened.source == nullptr) {
    // libvhdi says only "unsupported signature" when the footer at the end is gone.
    const std::string reason =
        kind == ImageKind::kVhdFooterMissing
            ? "a dynamic VHD image whose footer at the end is missing or damaged (the file may "
              "be truncated)"
            : opened.error;
    messages_.NotOpened(index, source, reason.c_str());
    return false;
  }
  const std::uint32_t recorded = opened.source->RecordedSectorSize();
  if (recorded != 0) {
    // The sizes an entry may name are the ones the disk layer is made for.
    if (recorded != 512 && recorded != 1024 && recorded != 2048 && recorded != 4096) {
      const std::string reason = "the container records " + std::to_string(recorded) +
                                 "-byte sectors (disklens reads 512, 1024, 2048 or 4096)";
      messages_.NotOpened(index, source, reason.c_str());
      return false;
    }
    if (source.sectorSizeGiven && recorded != source.imageSectorSize &&
        sectorSizeSaid_.insert(index).second) {
      std::fprintf(stderr,
                   "disklens: HD%u: %s: the container records %u-byte sectors, not %u; %u used\n",
                   static_cast<unsigned>(index), source.entry.c_str(),
                   static_cast<unsigned>(recorded), static_cast<unsigned>(source.imageSectorSize),
                   static_cast<unsigned>(recorded));
    }
    file.sectorSize = recorded;
  }
  // The report depends on a parent that lies elsewhere: say which, always.
  const std::filesystem::path folder = FolderOf(source.path);
  for (const CompanionFile& c : opened.source->Companions()) {
    if (c.role != "extent" && c.role != "segment" && FolderOf(c.path) != folder) {
      messages_.Note(index, source,
                     "the report depends on its " + c.role + " " + c.path +
                         ", outside the image's folder");
    }
  }
  file.dataSize = opened.source->MediaSize();
  file.image = std::move(opened.source);
  file.kind = kind;
  file.description = ImageKindText(kind);
  return true;
}

// A raw file named as the first segment of a split image reads the whole set;
// false (said on stderr) for a later segment or a set that does not open.
bool PosixPlatform::OpenSplitSet(std::uint32_t index, const DiskSource& source, File& file) {
  SplitImageOpen split = OpenSplitImage(source.path);
  if (!split.split) return true;
  if (split.image.source == nullptr) {
    messages_.NotOpened(index, source, split.image.error.c_str());
    return false;
  }
  SayFormats();
  file.dataSize = split.image.source->MediaSize();
  file.image = std::move(split.image.source);
  file.kind = ImageKind::kSplitRaw;
  file.description = "a split raw image of " + std::to_string(split.segments) + " segments";
  return true;
}

// A fixed VHD with the 511-byte footer of old tools, which libvhdi refuses:
// its data is raw, up to the size the footer gives.
bool PosixPlatform::OpenOldFooterVhd(std::uint32_t index, const DiskSource& source, int fd,
                                     std::uint64_t fileSize, File& file) {
  std::uint8_t footer[511] = {};
  const ssize_t n = fileSize >= sizeof footer
                        ? ::pread(fd, footer, sizeof footer,
                                  static_cast<off_t>(fileSize - sizeof footer))
                        : -1;
  std::string why = "the footer could not be read";
  const std::uint64_t size =
      n == static_cast<ssize_t>(sizeof footer)
          ? FixedVhdDataSize(ByteView{footer, sizeof footer}, fileSize, why)
          : 0;
  if (size == 0) {
    messages_.NotOpened(index, source, (std::string(ImageKindText(ImageKind::kVhdOldFooter)) +
                                        ": " + why).c_str());
    return false;
  }
  file.dataSize = size;
  file.kind = ImageKind::kVhdOldFooter;
  file.description = ImageKindText(file.kind);
  return true;
}

Handle PosixPlatform::NewHandle() { return nextHandle_++; }

PosixPlatform::File* PosixPlatform::FindFile(Handle handle) {
  if (lastFile_ != nullptr && lastFileHandle_ == handle) return lastFile_;
  const auto it = files_.find(handle);
  if (it == files_.end()) return nullptr;
  lastFileHandle_ = handle;
  lastFile_ = &it->second;
  return lastFile_;
}

PosixPlatform::Mutex* PosixPlatform::FindMutex(Handle handle) {
  if (lastMutex_ != nullptr && lastMutexHandle_ == handle) return lastMutex_;
  const auto it = mutexes_.find(handle);
  if (it == mutexes_.end()) return nullptr;
  lastMutexHandle_ = handle;
  lastMutex_ = it->second.get();
  return lastMutex_;
}

bool PosixPlatform::GetVersionExA(OsVersionInfo& info) {
  if (info.osVersionInfoSize != 148) return false;
  info.platformId = asWin9x_ ? kVerPlatformWin32Windows : kVerPlatformWin32Nt;
  info.majorVersion = asWin9x_ ? 4 : 6;
  info.minorVersion = asWin9x_ ? 10 : 0;
  return true;
}

std::uint32_t PosixPlatform::SetErrorMode(std::uint32_t mode) {
  const std::uint32_t previous = errorMode_;
  errorMode_ = mode;
  return previous;
}

LibraryHandle PosixPlatform::LoadLibraryA(const char* name) {
  if (name == nullptr || std::strcmp(name, "DKHLP32") != 0) {
    Fail(kErrorFileNotFound);
    return 0;
  }
  libraryLoaded_ = true;
  return kDkhlp32Handle;
}

ProcAddress PosixPlatform::GetProcAddress(LibraryHandle library, std::uint16_t ordinal) {
  if (library != kDkhlp32Handle || !libraryLoaded_) return nullptr;
  return Dkhlp32Export(ordinal);
}

bool PosixPlatform::FreeLibrary(LibraryHandle library) {
  if (library != kDkhlp32Handle || !libraryLoaded_) return false;
  Dkhlp32Unload();
  libraryLoaded_ = false;
  return true;
}

Handle PosixPlatform::CreateMutexA() {
  const Handle h = NewHandle();
  mutexes_.emplace(h, std::make_unique<Mutex>());
  return h;
}

std::uint32_t PosixPlatform::WaitForSingleObject(Handle handle, std::uint32_t /*milliseconds*/) {
  Mutex* const m = FindMutex(handle);
  if (m == nullptr) {
    Fail(kErrorInvalidHandle);
    return kWaitFailed;
  }
  m->mutex.lock();
  return kWaitObject0;
}

bool PosixPlatform::ReleaseMutex(Handle handle) {
  Mutex* const m = FindMutex(handle);
  if (m == nullptr) {
    Fail(kErrorInvalidHandle);
    return false;
  }
  m->mutex.unlock();
  return true;
}

bool PosixPlatform::CloseHandle(Handle handle) {
  if (lastFileHandle_ == handle) lastFile_ = nullptr;
  if (lastMutexHandle_ == handle) lastMutex_ = nullptr;
  if (const auto f = files_.find(handle); f != files_.end()) {
    const int rc = ::close(f->second.fd);
    files_.erase(f);
    if (rc != 0) Fail(ErrorFromErrno(errno));
    return rc == 0;
  }
  if (mutexes_.erase(handle) != 0) return true;
  Fail(kErrorInvalidHandle);
  return false;
}

void* PosixPlatform::VirtualAlloc(std::size_t size) {
  const std::size_t rounded =
      size == 0 ? kPageSize : (size + kPageSize - 1) / kPageSize * kPageSize;
  // Pages of their own, as VirtualAlloc's are: they come zeroed, and a run
  // past the end meets no other allocation.
  void* const p =
      ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) {
    Fail(kErrorNotEnoughMemory);
    return nullptr;
  }
  pages_.emplace(p, rounded);
  return p;
}

bool PosixPlatform::VirtualFree(void* address) {
  if (address == nullptr) return true;
  const auto it = pages_.find(address);
  if (it == pages_.end()) {
    Fail(kErrorInvalidParameter);
    return false;
  }
  ::munmap(it->first, it->second);
  pages_.erase(it);
  return true;
}

Handle PosixPlatform::CreateFileA(const char* path, std::uint32_t desiredAccess,
                                  std::uint32_t /*shareMode*/, std::uint32_t creationDisposition,
                                  std::uint32_t /*flags*/) {
  const std::optional<std::uint32_t> index = PhysicalDriveIndex(path);
  const std::vector<DiskSource>& disks = Disks();
  if (!index || creationDisposition != kOpenExisting || *index >= disks.size()) {
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  const DiskSource& source = disks[*index];
  // An entry's error first: a bare "@513" has no path, but is no empty entry.
  if (!source.error.empty()) {
    messages_.NotOpened(*index, source, source.error.c_str());
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  if (source.path.empty()) {
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  // The type is checked before the open, so that a FIFO never makes the run
  // wait for a writer (nor a character device see an open at all), and again
  // on what was opened, without blocking, in case the path changed between.
  struct stat st {};
  if (::stat(source.path.c_str(), &st) != 0) {
    const int error = errno;
    SayNotOpened(*index, source, error);
    Fail(ErrorFromErrno(error));
    return kInvalidHandle;
  }
  if (!IsDiskType(st)) {
    messages_.NotOpened(*index, source, kNotADisk);
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  const int mode = (desiredAccess & kGenericWrite) != 0 ? O_RDWR : O_RDONLY;
  const int fd = ::open(source.path.c_str(), mode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    SayNotOpened(*index, source, error);
    Fail(ErrorFromErrno(error));
    return kInvalidHandle;
  }
  if (::fstat(fd, &st) != 0 || !IsDiskType(st)) {
    ::close(fd);
    messages_.NotOpened(*index, source, kNotADisk);
    Fail(kErrorFileNotFound);
    return kInvalidHandle;
  }
  // Reads of an image or a block device wait as any read does.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  File file;
  file.fd = fd;
  file.index = *index;
  file.blockDevice = S_ISBLK(st.st_mode);
  file.sectorSize = source.imageSectorSize;
  if (file.blockDevice) {
    int logical = 0;
    if (::ioctl(fd, BLKSSZGET, &logical) == 0 && logical > 0) {
      file.sectorSize = static_cast<std::uint32_t>(logical);
    }
  } else if (!source.entry.empty()) {
    // Only files that the user named may be containers; the system's disks are raw.
    if (!OpenContainer(*index, source, fd, static_cast<std::uint64_t>(st.st_size), file)) {
      ::close(fd);
      Fail(kErrorFileNotFound);
      return kInvalidHandle;
    }
  }
  if (verbose_) {
    std::uint64_t bytes = static_cast<std::uint64_t>(st.st_size);
    if (file.blockDevice && ::ioctl(fd, BLKGETSIZE64, &bytes) != 0) bytes = 0;
    if (file.kind != ImageKind::kRaw) bytes = file.dataSize;
    messages_.Source(*index, source.path, file.sectorSize, bytes,
                     file.kind != ImageKind::kRaw ? file.description.c_str() : nullptr);
    if (file.image != nullptr) {
      for (const CompanionFile& c : file.image->Companions()) {
        messages_.Companion(*index, c.role, c.path);
      }
    }
  }
  const Handle h = NewHandle();
  files_.emplace(h, std::move(file));
  return h;
}

std::uint32_t PosixPlatform::SetFilePointer(Handle handle, std::int32_t distanceLow,
                                            std::int32_t* distanceHigh, std::uint32_t moveMethod) {
  File* const file = FindFile(handle);
  if (file == nullptr || moveMethod != kFileBegin) {
    Fail(file == nullptr ? kErrorInvalidHandle : kErrorInvalidParameter);
    return kInvalidSetFilePointer;
  }
  const std::uint64_t high = distanceHigh != nullptr ? static_cast<std::uint32_t>(*distanceHigh) : 0;
  const std::uint64_t offset = (high << 32) | static_cast<std::uint32_t>(distanceLow);
  if (distanceHigh != nullptr && *distanceHigh < 0) {
    Fail(kErrorNegativeSeek);
    return kInvalidSetFilePointer;
  }
  file->position = offset;
  t_lastError = 0;
  return static_cast<std::uint32_t>(offset);
}

bool PosixPlatform::ReadFile(Handle handle, void* buffer, std::uint32_t bytes,
                             std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  File* const file = FindFile(handle);
  if (file == nullptr) {
    Fail(kErrorInvalidHandle);
    return false;
  }
  File& f = *file;
  if (f.image != nullptr) return ReadImage(f, buffer, bytes, done);
  std::uint32_t total = 0;
  auto* p = static_cast<std::uint8_t*>(buffer);
  // Raw data that a footer follows ends where the footer says.
  if (f.kind != ImageKind::kRaw) {
    const std::uint64_t left = f.position < f.dataSize ? f.dataSize - f.position : 0;
    if (bytes > left) bytes = static_cast<std::uint32_t>(left);
  }
  // A read that runs past the end of an image stops short; the caller sees the count.
  while (total < bytes) {
    const ssize_t n = ::pread(f.fd, p + total, bytes - total, static_cast<off_t>(f.position + total));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(ErrorFromErrno(errno));
      if (done != nullptr) *done = total;
      f.position += total;
      return false;
    }
    if (n == 0) break;
    total += static_cast<std::uint32_t>(n);
  }
  f.position += total;
  if (done != nullptr) *done = total;
  return true;
}

// Reads of a container's virtual disk, which ends at its media size as an
// image file ends at its last byte. The library's reason for a failed read is
// said once for the disk: the report itself only leaves the data out.
bool PosixPlatform::ReadImage(File& f, void* buffer, std::uint32_t bytes, std::uint32_t* done) {
  std::size_t got = 0;
  std::string error;
  const bool ok = f.image->ReadAt(f.position, buffer, bytes, got, error);
  if (!ok) {
    if (readErrorSaid_.insert(f.index).second) {
      std::fprintf(stderr, "disklens: HD%u: %s: %s\n", static_cast<unsigned>(f.index),
                   Disks()[f.index].entry.c_str(), error.c_str());
    }
    Fail(kErrorCrc);
  }
  f.position += got;
  if (done != nullptr) *done = static_cast<std::uint32_t>(got);
  return ok;
}

bool PosixPlatform::WriteFile(Handle handle, const void* buffer, std::uint32_t bytes,
                              std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  const auto it = files_.find(handle);
  if (it == files_.end()) {
    Fail(kErrorInvalidHandle);
    return false;
  }
  File& f = it->second;
  if (f.kind != ImageKind::kRaw) {  // containers are open for reading only
    Fail(kErrorWriteProtect);
    return false;
  }
  std::uint32_t total = 0;
  const auto* p = static_cast<const std::uint8_t*>(buffer);
  while (total < bytes) {
    const ssize_t n = ::pwrite(f.fd, p + total, bytes - total, static_cast<off_t>(f.position + total));
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(ErrorFromErrno(errno));
      break;
    }
    if (n == 0) break;
    total += static_cast<std::uint32_t>(n);
  }
  f.position += total;
  if (done != nullptr) *done = total;
  return total == bytes;
}

std::uint32_t PosixPlatform::GetLastError() { return t_lastError; }

// Only a block device knows its physical sectors; an image file has none.
std::uint32_t PosixPlatform::PhysicalSectorSize(Handle handle) {
  const auto it = files_.find(handle);
  if (it == files_.end() || !it->second.blockDevice || it->second.kind != ImageKind::kRaw) return 0;
  unsigned int physical = 0;
  if (::ioctl(it->second.fd, BLKPBSZGET, &physical) != 0) return 0;
  return physical;
}

bool PosixPlatform::DeviceIoControl(Handle handle, std::uint32_t code, const void* /*in*/,
                                    std::uint32_t /*inSize*/, void* out, std::uint32_t outSize,
                                    std::uint32_t* returned) {
  if (returned != nullptr) *returned = 0;
  const auto it = files_.find(handle);
  if (it == files_.end()) {
    Fail(kErrorInvalidHandle);
    return false;
  }
  const File& f = it->second;
  SyntheticGeometry g;
  g.sectorSize = f.sectorSize;
  if (f.kind != ImageKind::kRaw) {
    g.totalBytes = f.dataSize;
  } else if (f.blockDevice) {
    std::uint64_t size = 0;
    if (::ioctl(f.fd, BLKGETSIZE64, &size) != 0) {
      Fail(ErrorFromErrno(errno));
      return false;
    }
    g.totalBytes = size;
    struct hd_geometry geo {};
    if (::ioctl(f.fd, HDIO_GETGEO, &geo) == 0 && geo.heads != 0 && geo.sectors != 0) {
      g.heads = geo.heads;
      g.sectorsPerTrack = geo.sectors;
    }
  } else {
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) {
      Fail(ErrorFromErrno(errno));
      return false;
    }
    g.totalBytes = static_cast<std::uint64_t>(st.st_size);
  }
  std::uint32_t n = 0;
  if (code == kIoctlDiskGetDriveGeometryEx) {
    n = BuildGeometryExReply(g, static_cast<std::uint8_t*>(out), outSize);
  } else if (code == kIoctlDiskGetDriveGeometry) {
    n = BuildGeometryReply(g, static_cast<std::uint8_t*>(out), outSize);
  } else {
    Fail(kErrorNotSupported);
    return false;
  }
  if (n == 0) {
    Fail(kErrorInvalidParameter);
    return false;
  }
  if (returned != nullptr) *returned = n;
  return true;
}

std::int32_t PosixPlatform::WideCharToMultiByte(std::uint32_t /*codePage*/,
                                                const std::uint16_t* src, std::int32_t srcUnits,
                                                char* dst, std::int32_t dstSize) {
  // The console's narrow encoding on Linux is UTF-8, whatever the code page asked.
  return Utf16ToUtf8(src, srcUnits, dst, dstSize);
}

}  // namespace disklens
