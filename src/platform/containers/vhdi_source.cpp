// VHD (fixed, dynamic, differencing) and VHDX through libvhdi.
#include <libvhdi.h>

#include <string>

#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libvhdi this file calls, each named once.
#define LIBVHDI_FUNCTIONS(X)                    \
  X(libvhdi_error_backtrace_sprint)             \
  X(libvhdi_error_free)                         \
  X(libvhdi_file_close)                         \
  X(libvhdi_file_free)                          \
  X(libvhdi_file_read_buffer_at_offset)         \
  X(libvhdi_file_initialize)                    \
  X(libvhdi_file_open)                          \
  X(libvhdi_file_get_media_size)                \
  X(libvhdi_file_get_file_type)                 \
  X(libvhdi_file_get_disk_type)                 \
  X(libvhdi_file_get_bytes_per_sector)          \
  X(libvhdi_file_get_utf8_parent_filename_size) \
  X(libvhdi_file_get_utf8_parent_filename)      \
  X(libvhdi_file_set_parent_file)

DISKLENS_LIBRARY_TABLE(VhdiTable, vhdi, LoadVhdi, LIBVHDI_FUNCTIONS, kLibVhdi)

std::string Message(libvhdi_error_t* error, const char* fallback) {
  return TakeLibraryError("libvhdi", error, fallback, vhdi.libvhdi_error_backtrace_sprint,
                          vhdi.libvhdi_error_free);
}

class VhdiSource : public ImageSource {
 public:
  VhdiSource(libvhdi_file_t* file, std::uint64_t size, std::uint32_t sectorSize)
      : file_(file), size_(size), sectorSize_(sectorSize) {}
  ~VhdiSource() override {
    vhdi.libvhdi_file_close(file_, nullptr);
    vhdi.libvhdi_file_free(&file_, nullptr);
  }
  VhdiSource(const VhdiSource&) = delete;
  VhdiSource& operator=(const VhdiSource&) = delete;

  libvhdi_file_t* File() { return file_; }
  void KeepParent(std::unique_ptr<VhdiSource> parent) { parent_ = std::move(parent); }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return sectorSize_; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    return ReadInPieces(size_, offset, buffer, bytes, done, error,
                        [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                          libvhdi_error_t* e = nullptr;
                          const ssize_t n =
                              vhdi.libvhdi_file_read_buffer_at_offset(file_, to, count, at, &e);
                          if (n < 0) why = Message(e, "read failed");
                          return n;
                        });
  }

 private:
  std::unique_ptr<VhdiSource> parent_;  // outlives the file that reads through it
  libvhdi_file_t* file_;
  std::uint64_t size_;
  std::uint32_t sectorSize_;
};

constexpr ParentWords kParent{"parent", " of the differencing image not found beside it",
                              "parent images"};

std::unique_ptr<VhdiSource> Open(const std::string& path, int depth, std::string& error) {
  if (!LoadVhdi(error)) return nullptr;
  libvhdi_file_t* file = nullptr;
  libvhdi_error_t* e = nullptr;
  if (vhdi.libvhdi_file_initialize(&file, &e) != 1) {
    error = Message(e, "out of memory");
    return nullptr;
  }
  if (vhdi.libvhdi_file_open(file, path.c_str(), LIBVHDI_OPEN_READ, &e) != 1) {
    error = Message(e, "unable to open the file");
    vhdi.libvhdi_file_free(&file, nullptr);
    return nullptr;
  }
  size64_t size = 0;
  int fileType = 0;
  std::uint32_t diskType = 0;
  std::uint32_t bytesPerSector = 0;
  if (vhdi.libvhdi_file_get_media_size(file, &size, &e) != 1 ||
      vhdi.libvhdi_file_get_file_type(file, &fileType, &e) != 1 ||
      vhdi.libvhdi_file_get_disk_type(file, &diskType, &e) != 1 ||
      vhdi.libvhdi_file_get_bytes_per_sector(file, &bytesPerSector, &e) != 1) {
    error = Message(e, "unable to read the header");
    vhdi.libvhdi_file_close(file, nullptr);
    vhdi.libvhdi_file_free(&file, nullptr);
    return nullptr;
  }
  // A VHD always has 512-byte sectors and says nothing; a VHDX records its
  // logical sector size.
  const std::uint32_t recorded = fileType == LIBVHDI_FILE_TYPE_VHDX ? bytesPerSector : 0;
  auto source = std::make_unique<VhdiSource>(file, size, recorded);
  if (diskType != LIBVHDI_DISK_TYPE_DIFFERENTIAL) return source;

  std::size_t nameSize = 0;
  std::string name;
  if (vhdi.libvhdi_file_get_utf8_parent_filename_size(file, &nameSize, &e) == 1 && nameSize > 1) {
    name.assign(nameSize, '\0');
    if (vhdi.libvhdi_file_get_utf8_parent_filename(
            file, reinterpret_cast<std::uint8_t*>(name.data()), nameSize, &e) != 1) {
      name.clear();
    }
    CutAtNul(name);
  }
  if (e != nullptr) vhdi.libvhdi_error_free(&e);
  if (name.empty()) {
    error = "a differencing image that names no parent";
    return nullptr;
  }
  std::unique_ptr<VhdiSource> parent = OpenParent(*source, path, name, depth, kParent, Open, error);
  if (parent == nullptr) return nullptr;
  if (vhdi.libvhdi_file_set_parent_file(file, parent->File(), &e) != 1) {
    error = Message(e, "unable to use the parent image");
    return nullptr;
  }
  source->KeepParent(std::move(parent));
  return source;
}

}  // namespace

std::unique_ptr<ImageSource> OpenVhdiSource(const std::string& path, int depth,
                                            std::string& error) {
  return Open(path, depth, error);
}

}  // namespace disklens
