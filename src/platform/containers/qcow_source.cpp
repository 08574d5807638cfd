// qcow and qcow2 (versions 1 to 3, compressed clusters too) through libqcow.
#include <fcntl.h>
#include <libbfio.h>
// libqcow declares its bfio entry points only when asked to.
#define HAVE_LIBBFIO 1
#include <libqcow.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/containers/bfio_library.h"
#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libqcow this file calls, each named once.
#define LIBQCOW_FUNCTIONS(X)                     \
  X(libqcow_error_backtrace_sprint)              \
  X(libqcow_error_free)                          \
  X(libqcow_file_close)                          \
  X(libqcow_file_free)                           \
  X(libqcow_file_read_buffer_at_offset)          \
  X(libqcow_file_initialize)                     \
  X(libqcow_file_open_file_io_handle)            \
  X(libqcow_file_get_media_size)                 \
  X(libqcow_file_get_encryption_method)          \
  X(libqcow_file_get_utf8_backing_filename_size) \
  X(libqcow_file_get_utf8_backing_filename)      \
  X(libqcow_file_set_parent_file)

DISKLENS_LIBRARY_TABLE(QcowTable, qcow, LoadQcow, LIBQCOW_FUNCTIONS, kLibQcow)

std::string Message(libqcow_error_t* error, const char* fallback) {
  return TakeLibraryError("libqcow", error, fallback, qcow.libqcow_error_backtrace_sprint,
                          qcow.libqcow_error_free);
}

// libqcow copies a whole cluster out of the block it read even where the file
// ends inside that cluster (a truncated image), beyond the block's end. So the
// file is read through a private read-only mapping that zeros pad to a whole
// number of clusters, the largest cluster when the header names none.
class PaddedFile {
 public:
  PaddedFile() = default;
  ~PaddedFile() {
    if (handle_ != nullptr) bfio.libbfio_handle_free(&handle_, nullptr);
    if (base_ != MAP_FAILED) ::munmap(base_, size_);
  }
  PaddedFile(const PaddedFile&) = delete;
  PaddedFile& operator=(const PaddedFile&) = delete;

  // False with `error` set when the file can't be mapped.
  bool Open(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size <= 0) {
      error = "libqcow: unable to read the file";
      if (fd >= 0) ::close(fd);
      return false;
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t cluster = ClusterSize(fd);
    size_ = static_cast<std::size_t>((fileSize + cluster - 1) / cluster * cluster);
    base_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const bool mapped =
        base_ != MAP_FAILED && ::mmap(base_, static_cast<std::size_t>(fileSize), PROT_READ,
                                      MAP_PRIVATE | MAP_FIXED, fd, 0) != MAP_FAILED;
    ::close(fd);
    libbfio_error_t* e = nullptr;
    if (!mapped || bfio.libbfio_memory_range_initialize(&handle_, &e) != 1 ||
        bfio.libbfio_memory_range_set(handle_, static_cast<std::uint8_t*>(base_), size_, &e) != 1) {
      if (e != nullptr) bfio.libbfio_error_free(&e);
      error = "libqcow: unable to map the file";
      return false;
    }
    return true;
  }
  libbfio_handle_t* Handle() { return handle_; }

 private:
  // Version 1 keeps the cluster bits in byte 32, versions 2 and 3 in the
  // big-endian word at 20; 2 MiB, the largest, for anything else.
  static std::uint64_t ClusterSize(int fd) {
    std::uint8_t h[36] = {};
    if (::pread(fd, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h)) return 1u << 21;
    const std::uint32_t version = (std::uint32_t{h[4]} << 24) | (std::uint32_t{h[5]} << 16) |
                                  (std::uint32_t{h[6]} << 8) | h[7];
    const std::uint32_t bits = version == 1
                                   ? h[32]
                                   : (std::uint32_t{h[20]} << 24) | (std::uint32_t{h[21]} << 16) |
                                         (std::uint32_t{h[22]} << 8) | h[23];
    return bits >= 9 && bits <= 21 ? std::uint64_t{1} << bits : std::uint64_t{1} << 21;
  }

  void* base_ = MAP_FAILED;
  std::size_t size_ = 0;
  libbfio_handle_t* handle_ = nullptr;
};

class QcowSource : public ImageSource {
 public:
  QcowSource(libqcow_file_t* file, std::unique_ptr<PaddedFile> padded, std::uint64_t size)
      : padded_(std::move(padded)), file_(file), size_(size) {}
  ~QcowSource() override {
    qcow.libqcow_file_close(file_, nullptr);
    qcow.libqcow_file_free(&file_, nullptr);
  }
  QcowSource(const QcowSource&) = delete;
  QcowSource& operator=(const QcowSource&) = delete;

  libqcow_file_t* File() { return file_; }
  void KeepParent(std::unique_ptr<QcowSource> parent) { parent_ = std::move(parent); }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return 0; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    return ReadInPieces(size_, offset, buffer, bytes, done, error,
                        [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                          libqcow_error_t* e = nullptr;
                          const ssize_t n =
                              qcow.libqcow_file_read_buffer_at_offset(file_, to, count, at, &e);
                          if (n < 0) why = Message(e, "read failed");
                          return n;
                        });
  }

 private:
  std::unique_ptr<QcowSource> parent_;  // outlives the file that reads through it
  std::unique_ptr<PaddedFile> padded_;  // the bytes the file is read from
  libqcow_file_t* file_;
  std::uint64_t size_;
};

constexpr ParentWords kBackingFile{"backing file", " not found beside the image", "backing files"};

std::unique_ptr<QcowSource> Open(const std::string& path, int depth, std::string& error) {
  if (!LoadQcow(error) || !LoadBfio(error)) return nullptr;
  libqcow_file_t* file = nullptr;
  libqcow_error_t* e = nullptr;
  if (qcow.libqcow_file_initialize(&file, &e) != 1) {
    error = Message(e, "out of memory");
    return nullptr;
  }
  auto padded = std::make_unique<PaddedFile>();
  if (!padded->Open(path, error)) {
    qcow.libqcow_file_free(&file, nullptr);
    return nullptr;
  }
  if (qcow.libqcow_file_open_file_io_handle(file, padded->Handle(), LIBQCOW_OPEN_READ, &e) != 1) {
    error = Message(e, "unable to open the file");
    qcow.libqcow_file_free(&file, nullptr);
    return nullptr;
  }
  size64_t size = 0;
  std::uint32_t encryption = LIBQCOW_ENCRYPTION_METHOD_NONE;
  if (qcow.libqcow_file_get_media_size(file, &size, &e) != 1 ||
      qcow.libqcow_file_get_encryption_method(file, &encryption, &e) != 1) {
    error = Message(e, "unable to read the header");
    qcow.libqcow_file_close(file, nullptr);
    qcow.libqcow_file_free(&file, nullptr);
    return nullptr;
  }
  auto source = std::make_unique<QcowSource>(file, std::move(padded), size);
  if (encryption != LIBQCOW_ENCRYPTION_METHOD_NONE) {
    error = "libqcow: the image is encrypted";
    return nullptr;
  }
  std::size_t nameSize = 0;
  if (qcow.libqcow_file_get_utf8_backing_filename_size(file, &nameSize, &e) != 1) {
    qcow.libqcow_error_free(&e);
    nameSize = 0;
  }
  if (nameSize > 1) {
    std::string name(nameSize, '\0');
    if (qcow.libqcow_file_get_utf8_backing_filename(
            file, reinterpret_cast<std::uint8_t*>(name.data()), nameSize, &e) != 1) {
      error = Message(e, "unable to read the backing file name");
      return nullptr;
    }
    CutAtNul(name);
    std::unique_ptr<QcowSource> parent =
        OpenParent(*source, path, name, depth, kBackingFile, Open, error);
    if (parent == nullptr) return nullptr;
    if (qcow.libqcow_file_set_parent_file(file, parent->File(), &e) != 1) {
      error = Message(e, "unable to use the backing file");
      return nullptr;
    }
    // The child reads through the parent from now on.
    source->KeepParent(std::move(parent));
  }
  return source;
}

}  // namespace

std::unique_ptr<ImageSource> OpenQcowSource(const std::string& path, int depth,
                                            std::string& error) {
  return Open(path, depth, error);
}

}  // namespace disklens
