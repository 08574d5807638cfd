// EWF (E01, also split into E01, E02, ...) through libewf: the first segment
// names the set, the library's glob finds the others beside it.
#include <libewf.h>

#include <string>

#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libewf this file calls, each named once.
#define LIBEWF_FUNCTIONS(X) \
  X(libewf_error_backtrace_sprint) \
  X(libewf_error_free) \
  X(libewf_handle_close) \
  X(libewf_handle_free) \
  X(libewf_handle_read_random) \
  X(libewf_glob) \
  X(libewf_handle_initialize) \
  X(libewf_glob_free) \
  X(libewf_handle_open) \
  X(libewf_handle_get_media_size) \
  X(libewf_handle_get_bytes_per_sector) \
  X(libewf_handle_segment_files_corrupted)

struct EwfTable {
#define X(fn) decltype(&::fn) fn = nullptr;
  LIBEWF_FUNCTIONS(X)
#undef X
};
EwfTable ewf;

// False, with the reason, when the library can't be loaded.
bool LoadEwf(std::string& error) {
#define X(fn) DISKLENS_LIBRARY_SYMBOL(ewf, fn),
  static const LibrarySymbol kSymbols[] = {LIBEWF_FUNCTIONS(X)};
#undef X
  return LoadSharedLibrary(kLibEwf, kSymbols, std::size(kSymbols), error);
}

std::string Message(libewf_error_t* error, const char* fallback) {
  return TakeLibraryError("libewf", error, fallback, ewf.libewf_error_backtrace_sprint,
                          ewf.libewf_error_free);
}

class EwfSource : public ImageSource {
 public:
  explicit EwfSource(libewf_handle_t* handle) : handle_(handle) {}
  ~EwfSource() override {
    ewf.libewf_handle_close(handle_, nullptr);
    ewf.libewf_handle_free(&handle_, nullptr);
  }
  EwfSource(const EwfSource&) = delete;
  EwfSource& operator=(const EwfSource&) = delete;

  void SetShape(std::uint64_t size, std::uint32_t sectorSize) {
    size_ = size;
    sectorSize_ = sectorSize;
  }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return sectorSize_; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    return ReadInPieces(size_, offset, buffer, bytes, done, error,
                        [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                          libewf_error_t* e = nullptr;
                          const ssize_t n =
                              ewf.libewf_handle_read_random(handle_, to, count, at, &e);
                          if (n < 0) why = Message(e, "read failed");
                          return n;
                        });
  }

 private:
  libewf_handle_t* handle_;
  std::uint64_t size_ = 0;
  std::uint32_t sectorSize_ = 0;
};

}  // namespace

std::unique_ptr<ImageSource> OpenEwfSource(const std::string& path, std::string& error) {
  if (!LoadEwf(error)) return nullptr;
  libewf_error_t* e = nullptr;
  char** names = nullptr;
  int count = 0;
  if (ewf.libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &e) != 1) {
    error = Message(e, "unable to find the segment files");
    return nullptr;
  }
  libewf_handle_t* handle = nullptr;
  if (ewf.libewf_handle_initialize(&handle, &e) != 1) {
    error = Message(e, "out of memory");
    ewf.libewf_glob_free(names, count, nullptr);
    return nullptr;
  }
  const int opened = ewf.libewf_handle_open(handle, names, count, LIBEWF_OPEN_READ, &e);
  ewf.libewf_glob_free(names, count, nullptr);
  if (opened != 1) {
    error = Message(e, "unable to open the segment files");
    ewf.libewf_handle_free(&handle, nullptr);
    return nullptr;
  }
  auto source = std::make_unique<EwfSource>(handle);
  size64_t size = 0;
  std::uint32_t bytesPerSector = 0;
  if (ewf.libewf_handle_get_media_size(handle, &size, &e) != 1 ||
      ewf.libewf_handle_get_bytes_per_sector(handle, &bytesPerSector, &e) != 1) {
    error = Message(e, "unable to read the media values");
    return nullptr;
  }
  // libewf opens a set that lacks sections or segments and reads zeros where
  // the data should be: that would be a report of a disk that isn't there.
  if (ewf.libewf_handle_segment_files_corrupted(handle, &e) != 0) {
    if (e != nullptr) ewf.libewf_error_free(&e);
    error = "libewf: the segment files are incomplete or corrupted";
    return nullptr;
  }
  source->SetShape(size, bytesPerSector);
  return source;
}

}  // namespace disklens
