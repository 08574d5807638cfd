// VMDK through libvmdk: monolithic sparse, stream-optimized, and a text
// descriptor with its extent files beside it.
#include <libvmdk.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/shared_library.h"
#include "platform/containers/parent_file.h"

namespace disklens {

namespace {

// The functions of libvmdk this file calls, each named once.
#define LIBVMDK_FUNCTIONS(X) \
  X(libvmdk_error_backtrace_sprint) \
  X(libvmdk_error_free) \
  X(libvmdk_handle_close) \
  X(libvmdk_handle_free) \
  X(libvmdk_handle_read_buffer_at_offset) \
  X(libvmdk_handle_get_number_of_extents) \
  X(libvmdk_handle_get_extent_descriptor) \
  X(libvmdk_extent_descriptor_get_utf8_filename_size) \
  X(libvmdk_extent_descriptor_get_utf8_filename) \
  X(libvmdk_extent_descriptor_free) \
  X(libvmdk_handle_initialize) \
  X(libvmdk_handle_open) \
  X(libvmdk_handle_set_extent_data_files_path) \
  X(libvmdk_handle_open_extent_data_files) \
  X(libvmdk_handle_get_media_size) \
  X(libvmdk_handle_get_utf8_parent_filename_size) \
  X(libvmdk_handle_get_utf8_parent_filename) \
  X(libvmdk_handle_set_parent_handle)

struct VmdkTable {
#define X(fn) decltype(&::fn) fn = nullptr;
  LIBVMDK_FUNCTIONS(X)
#undef X
};
VmdkTable vmdk;

// False, with the reason, when the library can't be loaded.
bool LoadVmdk(std::string& error) {
#define X(fn) DISKLENS_LIBRARY_SYMBOL(vmdk, fn),
  static const LibrarySymbol kSymbols[] = {LIBVMDK_FUNCTIONS(X)};
#undef X
  return LoadSharedLibrary(kLibVmdk, kSymbols, std::size(kSymbols), error);
}

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
  }
  VmdkSource(const VmdkSource&) = delete;
  VmdkSource& operator=(const VmdkSource&) = delete;

  libvmdk_handle_t* Handle() { return handle_; }
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
  std::uint64_t size_ = 0;
};

// The extents are opened as a descriptor names them: a FIFO among them would
// make the run wait for a writer, a character device read what is no disk.
// Each place the library may look for one must be a file or a block device.
bool ExtentsAreFiles(libvmdk_handle_t* handle, const std::filesystem::path& dir,
                     std::string& error) {
  libvmdk_error_t* e = nullptr;
  int count = 0;
  if (vmdk.libvmdk_handle_get_number_of_extents(handle, &count, &e) != 1) {
    error = Message(e, "unable to read the extents");
    return false;
  }
  for (int i = 0; i < count; ++i) {
    libvmdk_extent_descriptor_t* extent = nullptr;
    std::size_t size = 0;
    std::string name;
    if (vmdk.libvmdk_handle_get_extent_descriptor(handle, i, &extent, &e) == 1) {
      if (vmdk.libvmdk_extent_descriptor_get_utf8_filename_size(extent, &size, &e) == 1 && size > 1) {
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
    if (name.empty()) continue;
    const std::filesystem::path named(name);
    for (const std::filesystem::path& place :
         {named.is_absolute() ? named : dir / named, dir / named.filename()}) {
      struct stat st {};
      if (::stat(place.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
        error = "extent " + place.string() + ": not a disk image or block device";
        return false;
      }
    }
  }
  return true;
}

constexpr ParentWords kParent{"parent", " of the image not found beside it", "parent images"};

std::unique_ptr<VmdkSource> Open(const std::string& path, int depth, std::string& error) {
  if (!LoadVmdk(error)) return nullptr;
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
  // The extents that a descriptor names lie beside it.
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const std::string dir = folder.empty() ? std::string(".") : folder.string();
  if (!ExtentsAreFiles(handle, dir, error)) return nullptr;
  if (vmdk.libvmdk_handle_set_extent_data_files_path(handle, dir.c_str(), dir.size(), &e) != 1 ||
      vmdk.libvmdk_handle_open_extent_data_files(handle, &e) != 1) {
    error = Message(e, "unable to open the extent files");
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
  if (vmdk.libvmdk_handle_get_utf8_parent_filename(handle, reinterpret_cast<std::uint8_t*>(name.data()),
                                              nameSize, &e) != 1) {
    error = Message(e, "unable to read the parent file name");
    return nullptr;
  }
  CutAtNul(name);
  std::unique_ptr<VmdkSource> parent = OpenParent(path, name, depth, kParent, Open, error);
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
