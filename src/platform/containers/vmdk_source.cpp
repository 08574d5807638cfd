// VMDK through libvmdk: monolithic sparse, stream-optimized, and a text
// descriptor with its extent files beside it. The extent files are opened
// here and handed to the library, never found by it from the names the
// descriptor records.
#include <fcntl.h>
#include <libbfio.h>
#include <libvmdk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/containers/bfio_library.h"
#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libvmdk this file calls, each named once.
#define LIBVMDK_FUNCTIONS(X)                            \
  X(libvmdk_error_backtrace_sprint)                     \
  X(libvmdk_error_free)                                 \
  X(libvmdk_handle_close)                               \
  X(libvmdk_handle_free)                                \
  X(libvmdk_handle_read_buffer_at_offset)               \
  X(libvmdk_handle_get_number_of_extents)               \
  X(libvmdk_handle_get_extent_descriptor)               \
  X(libvmdk_extent_descriptor_get_utf8_filename_size)   \
  X(libvmdk_extent_descriptor_get_utf8_filename)        \
  X(libvmdk_extent_descriptor_free)                     \
  X(libvmdk_handle_initialize)                          \
  X(libvmdk_handle_open)                                \
  X(libvmdk_extent_descriptor_get_type)                 \
  X(libvmdk_handle_open_extent_data_files_file_io_pool) \
  X(libvmdk_handle_get_media_size)                      \
  X(libvmdk_handle_get_utf8_parent_filename_size)       \
  X(libvmdk_handle_get_utf8_parent_filename)            \
  X(libvmdk_handle_set_parent_handle)

DISKLENS_LIBRARY_TABLE(VmdkTable, vmdk, LoadVmdk, LIBVMDK_FUNCTIONS, kLibVmdk)

std::string Message(libvmdk_error_t* error, const char* fallback) {
  return TakeLibraryError("libvmdk", error, fallback, vmdk.libvmdk_error_backtrace_sprint,
                          vmdk.libvmdk_error_free);
}

class VmdkSource : public ImageSource {
 public:
  explicit VmdkSource(libvmdk_handle_t* handle) : handle_(handle) {}
  ~VmdkSource() override {
    vmdk.libvmdk_handle_close(handle_, nullptr);
    vmdk.libvmdk_handle_free(&handle_, nullptr);
    // The library does not free a pool it was given.
    if (pool_ != nullptr) {
      bfio.libbfio_pool_close_all(pool_, nullptr);
      bfio.libbfio_pool_free(&pool_, nullptr);
    }
  }
  VmdkSource(const VmdkSource&) = delete;
  VmdkSource& operator=(const VmdkSource&) = delete;

  libvmdk_handle_t* Handle() { return handle_; }
  // The extent files, closed after the handle that reads them.
  void KeepPool(libbfio_pool_t* pool) { pool_ = pool; }
  void SetSize(std::uint64_t size) { size_ = size; }
  void KeepParent(std::unique_ptr<VmdkSource> parent) { parent_ = std::move(parent); }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return 0; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    return ReadInPieces(size_, offset, buffer, bytes, done, error,
                        [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                          libvmdk_error_t* e = nullptr;
                          const ssize_t n =
                              vmdk.libvmdk_handle_read_buffer_at_offset(handle_, to, count, at, &e);
                          if (n < 0) why = Message(e, "read failed");
                          return n;
                        });
  }

 private:
  std::unique_ptr<VmdkSource> parent_;  // outlives the handle that reads through it
  libvmdk_handle_t* handle_;
  libbfio_pool_t* pool_ = nullptr;
  std::uint64_t size_ = 0;
};

// A sparse VMDK file (monolithicSparse, streamOptimized, ESX's COWD) keeps
// its descriptor inside: it is its own single extent, whatever name that
// descriptor recorded when the file was made.
bool HoldsItsDescriptor(const std::string& path) {
  char magic[4] = {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool read = ::pread(fd, magic, sizeof magic, 0) == static_cast<ssize_t>(sizeof magic);
  ::close(fd);
  return read && (std::memcmp(magic, "KDMV", 4) == 0 || std::memcmp(magic, "COWD", 4) == 0);
}

// The name extent `index` records; empty for one without a file (ZERO).
std::string ExtentName(libvmdk_handle_t* handle, int index) {
  libvmdk_error_t* e = nullptr;
  libvmdk_extent_descriptor_t* extent = nullptr;
  std::string name;
  if (vmdk.libvmdk_handle_get_extent_descriptor(handle, index, &extent, &e) == 1) {
    int type = 0;
    std::size_t size = 0;
    if (vmdk.libvmdk_extent_descriptor_get_type(extent, &type, &e) == 1 &&
        type != LIBVMDK_EXTENT_TYPE_ZERO &&
        vmdk.libvmdk_extent_descriptor_get_utf8_filename_size(extent, &size, &e) == 1 && size > 1) {
      name.assign(size, '\0');
      if (vmdk.libvmdk_extent_descriptor_get_utf8_filename(
              extent, reinterpret_cast<std::uint8_t*>(name.data()), size, &e) != 1) {
        name.clear();
      }
    }
    vmdk.libvmdk_extent_descriptor_free(&extent, nullptr);
  }
  if (e != nullptr) vmdk.libvmdk_error_free(&e);
  CutAtNul(name);
  return name;
}

// The file of an extent that a descriptor at `descriptor` names `recorded`:
// the recorded file name (a path of the machine that made it, "/" or "\\"
// separated) beside the descriptor. Empty, with `error` set, when it is not a
// regular file or block device there, or is the descriptor itself: a FIFO
// would make the run wait for a writer, a character device read no disk.
std::string ExtentFile(const std::string& descriptor, const std::string& recorded,
                       std::string& error) {
  const std::string base = RecordedFileName(recorded);
  const std::filesystem::path folder = std::filesystem::path(descriptor).parent_path();
  const std::string place = (folder.empty() ? std::filesystem::path(base) : folder / base).string();
  struct stat st {};
  struct stat self {};
  if (base.empty() || ::stat(place.c_str(), &st) != 0) {
    error = "extent \"" + recorded + "\" not found beside the descriptor";
    return {};
  }
  if (error = RefuseNonDiskFile("extent", place); !error.empty()) return {};
  if (::stat(descriptor.c_str(), &self) == 0 && self.st_dev == st.st_dev &&
      self.st_ino == st.st_ino) {
    error = "extent " + place + ": the descriptor itself";
    return {};
  }
  return place;
}

// The pool of extent files, in the descriptor's order, opened read-only; null
// with `error` set when one is refused or does not open.
libbfio_pool_t* OpenExtents(libvmdk_handle_t* handle, const std::string& path, ImageSource& source,
                            std::string& error) {
  libvmdk_error_t* e = nullptr;
  int count = 0;
  if (vmdk.libvmdk_handle_get_number_of_extents(handle, &count, &e) != 1 || count <= 0) {
    error = Message(e, "no extents");
    return nullptr;
  }
  const bool selfContained = count == 1 && HoldsItsDescriptor(path);
  libbfio_error_t* be = nullptr;
  libbfio_pool_t* pool = nullptr;
  if (bfio.libbfio_pool_initialize(&pool, count, LIBBFIO_POOL_UNLIMITED_NUMBER_OF_OPEN_HANDLES,
                                   &be) != 1) {
    if (be != nullptr) bfio.libbfio_error_free(&be);
    error = "libbfio: out of memory";
    return nullptr;
  }
  for (int i = 0; i < count; ++i) {
    const std::string name = ExtentName(handle, i);
    if (name.empty()) continue;  // an extent of zeros has no file
    const std::string file = selfContained ? path : ExtentFile(path, name, error);
    libbfio_handle_t* h = nullptr;
    bool opened = !file.empty() && bfio.libbfio_file_initialize(&h, &be) == 1 &&
                  bfio.libbfio_file_set_name(h, file.c_str(), file.size() + 1, &be) == 1 &&
                  bfio.libbfio_handle_open(h, LIBBFIO_OPEN_READ, &be) == 1;
    if (opened && bfio.libbfio_pool_set_handle(pool, i, h, LIBBFIO_OPEN_READ, &be) != 1) {
      opened = false;
    } else if (opened) {
      h = nullptr;  // the pool has it
    }
    if (be != nullptr) bfio.libbfio_error_free(&be);
    if (h != nullptr) bfio.libbfio_handle_free(&h, nullptr);
    if (!opened) {
      if (!file.empty()) error = "extent " + file + ": unable to open it";
      bfio.libbfio_pool_close_all(pool, nullptr);
      bfio.libbfio_pool_free(&pool, nullptr);
      return nullptr;
    }
    if (file != path) source.AddCompanion("extent", file);
  }
  return pool;
}

constexpr ParentWords kParent{"parent", " of the image not found beside it", "parent images"};

std::unique_ptr<VmdkSource> Open(const std::string& path, int depth, std::string& error) {
  if (!LoadVmdk(error) || !LoadBfio(error)) return nullptr;
  libvmdk_handle_t* handle = nullptr;
  libvmdk_error_t* e = nullptr;
  if (vmdk.libvmdk_handle_initialize(&handle, &e) != 1) {
    error = Message(e, "out of memory");
    return nullptr;
  }
  if (vmdk.libvmdk_handle_open(handle, path.c_str(), LIBVMDK_OPEN_READ, &e) != 1) {
    error = Message(e, "unable to open the file");
    vmdk.libvmdk_handle_free(&handle, nullptr);
    return nullptr;
  }
  auto source = std::make_unique<VmdkSource>(handle);
  libbfio_pool_t* pool = OpenExtents(handle, path, *source, error);
  if (pool == nullptr) return nullptr;
  source->KeepPool(pool);
  if (vmdk.libvmdk_handle_open_extent_data_files_file_io_pool(handle, pool, &e) != 1) {
    error = Message(e, "unable to read the extent files");
    return nullptr;
  }
  size64_t size = 0;
  if (vmdk.libvmdk_handle_get_media_size(handle, &size, &e) != 1) {
    error = Message(e, "unable to read the media size");
    return nullptr;
  }
  source->SetSize(size);

  std::size_t nameSize = 0;
  const int hasParent = vmdk.libvmdk_handle_get_utf8_parent_filename_size(handle, &nameSize, &e);
  if (hasParent != 1 || nameSize <= 1) {
    if (e != nullptr) vmdk.libvmdk_error_free(&e);
    return source;
  }
  std::string name(nameSize, '\0');
  if (vmdk.libvmdk_handle_get_utf8_parent_filename(
          handle, reinterpret_cast<std::uint8_t*>(name.data()), nameSize, &e) != 1) {
    error = Message(e, "unable to read the parent file name");
    return nullptr;
  }
  CutAtNul(name);
  std::unique_ptr<VmdkSource> parent = OpenParent(*source, path, name, depth, kParent, Open, error);
  if (parent == nullptr) return nullptr;
  if (vmdk.libvmdk_handle_set_parent_handle(handle, parent->Handle(), &e) != 1) {
    error = Message(e, "unable to use the parent image");
    return nullptr;
  }
  source->KeepParent(std::move(parent));
  return source;
}

}  // namespace

std::unique_ptr<ImageSource> OpenVmdkSource(const std::string& path, int depth,
                                            std::string& error) {
  return Open(path, depth, error);
}

}  // namespace disklens
