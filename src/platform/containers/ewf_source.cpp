// EWF (E01, also split into E01, E02, ...) through libewf: the first segment
// names the set, the library's glob finds the others beside it.
#include <fcntl.h>
#include <libewf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bytes/bytes.h"
#include "layout/ewf.h"
#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libewf this file calls, each named once.
#define LIBEWF_FUNCTIONS(X)                      \
  X(libewf_error_backtrace_sprint)               \
  X(libewf_error_free)                           \
  X(libewf_handle_close)                         \
  X(libewf_handle_free)                          \
  X(libewf_handle_read_random)                   \
  X(libewf_glob)                                 \
  X(libewf_handle_initialize)                    \
  X(libewf_glob_free)                            \
  X(libewf_handle_open)                          \
  X(libewf_handle_get_media_size)                \
  X(libewf_handle_get_bytes_per_sector)          \
  X(libewf_handle_segment_files_corrupted)       \
  X(libewf_handle_get_number_of_checksum_errors) \
  X(libewf_handle_get_checksum_error)

DISKLENS_LIBRARY_TABLE(EwfTable, ewf, LoadEwf, LIBEWF_FUNCTIONS, kLibEwf)

std::string Message(libewf_error_t* error, const char* fallback) {
  return TakeLibraryError("libewf", error, fallback, ewf.libewf_error_backtrace_sprint,
                          ewf.libewf_error_free);
}

// The name of the first segment of the set that `path` belongs to: its
// extension's number made 01 (E02 and EAB give E01, Ex02 gives Ex01).
std::string FirstSegmentName(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || name.size() - dot < 4) return "its .E01 file";
  return name.substr(0, name.size() - 2) + "01";
}

// An EWF set is opened from its first segment: libewf, given another one,
// says only "invalid filenames".
bool IsFirstSegment(const std::string& path, std::string& error) {
  namespace h = ewf_header;
  std::uint8_t header[h::kSize] = {};
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return true;  // the library says why
  const ssize_t n = ::pread(fd, header, sizeof header, 0);
  ::close(fd);
  const ByteView view{header, n > 0 ? static_cast<std::size_t>(n) : 0};
  std::uint64_t segment = 1;
  if (view.Matches(0, h::kSignature1, h::kSignatureSize)) {
    segment = view.U16(h::kSegment1);
  } else if (view.Matches(0, h::kSignature2, h::kSignatureSize)) {
    segment = view.U32(h::kSegment2);
  }
  if (segment == 1 || !view.Has(0, h::kSize)) return true;
  const std::string first = FirstSegmentName(path);
  // Named as the first, numbered as another: the header is what is wrong.
  error = first == std::filesystem::path(path).filename().string()
              ? "an EWF image whose first segment's header gives segment number " +
                    std::to_string(segment) + ": the header is damaged"
              : "segment " + std::to_string(segment) +
                    " of an EWF image: name its first segment (" + first + ")";
  return false;
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
    const bool read =
        ReadInPieces(size_, offset, buffer, bytes, done, error,
                     [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                       libewf_error_t* e = nullptr;
                       const ssize_t n = ewf.libewf_handle_read_random(handle_, to, count, at, &e);
                       if (n < 0) why = Message(e, "read failed");
                       return n;
                     });
    return read && !TouchesDamage(offset, done, error);
  }

 private:
  // libewf gives a chunk whose checksum fails as zeros and only records the
  // sectors: a read that touched one fails, as an unreadable sector does.
  bool TouchesDamage(std::uint64_t offset, std::size_t bytes, std::string& error) {
    libewf_error_t* e = nullptr;
    std::uint32_t count = 0;
    if (bytes == 0 || sectorSize_ == 0 ||
        ewf.libewf_handle_get_number_of_checksum_errors(handle_, &count, &e) != 1) {
      if (e != nullptr) ewf.libewf_error_free(&e);
      return false;
    }
    const std::uint64_t first = offset / sectorSize_;
    const std::uint64_t last = (offset + bytes - 1) / sectorSize_;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint64_t start = 0;
      std::uint64_t sectors = 0;
      if (ewf.libewf_handle_get_checksum_error(handle_, i, &start, &sectors, &e) != 1) {
        if (e != nullptr) ewf.libewf_error_free(&e);
        continue;
      }
      if (sectors != 0 && start <= last && first <= start + sectors - 1) {
        error = "libewf: sectors " + std::to_string(start) + " to " +
                std::to_string(start + sectors - 1) +
                " fail their checksum: the image is damaged there (ewfverify checks it all)";
        return true;
      }
    }
    return false;
  }

  libewf_handle_t* handle_;
  std::uint64_t size_ = 0;
  std::uint32_t sectorSize_ = 0;
};

}  // namespace

std::unique_ptr<ImageSource> OpenEwfSource(const std::string& path, std::string& error) {
  if (!IsFirstSegment(path, error) || !LoadEwf(error)) return nullptr;
  libewf_error_t* e = nullptr;
  char** names = nullptr;
  int count = 0;
  if (ewf.libewf_glob(path.c_str(), path.size(), LIBEWF_FORMAT_UNKNOWN, &names, &count, &e) != 1) {
    error = Message(e, "unable to find the segment files");
    return nullptr;
  }
  // libewf opens each name its glob found: a FIFO among them would make the
  // run wait for a writer.
  std::vector<std::string> segments;
  for (int i = 0; i < count; ++i) {
    segments.emplace_back(names[i] != nullptr ? names[i] : "");
    error = RefuseNonDiskFile("segment", segments.back());
    if (!error.empty()) {
      ewf.libewf_glob_free(names, count, nullptr);
      return nullptr;
    }
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
  for (std::size_t i = 1; i < segments.size(); ++i) source->AddCompanion("segment", segments[i]);
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
