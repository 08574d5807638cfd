// A split raw image through libsmraw: the segments, in order, read as one disk.
// The library is handed the names found beside the first segment, never its
// own glob, which joins "disk1" and "disk2" and crashes on some short names.
#include <libsmraw.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"
#include "platform/containers/shared_library.h"

namespace disklens {

namespace {

// The functions of libsmraw this file calls, each named once.
#define LIBSMRAW_FUNCTIONS(X)                           \
  X(libsmraw_error_backtrace_sprint)                    \
  X(libsmraw_error_free)                                \
  X(libsmraw_handle_close)                              \
  X(libsmraw_handle_free)                               \
  X(libsmraw_handle_read_buffer_at_offset)              \
  X(libsmraw_handle_initialize)                         \
  X(libsmraw_handle_set_maximum_number_of_open_handles) \
  X(libsmraw_handle_open)                               \
  X(libsmraw_handle_get_media_size)

DISKLENS_LIBRARY_TABLE(SmrawTable, smraw, LoadSmraw, LIBSMRAW_FUNCTIONS, kLibSmraw)

constexpr int kMaxOpenSegments = 64;

std::string Message(libsmraw_error_t* error, const char* fallback) {
  return TakeLibraryError("libsmraw", error, fallback, smraw.libsmraw_error_backtrace_sprint,
                          smraw.libsmraw_error_free);
}

class SmrawSource : public ImageSource {
 public:
  explicit SmrawSource(libsmraw_handle_t* handle) : handle_(handle) {}
  ~SmrawSource() override {
    smraw.libsmraw_handle_close(handle_, nullptr);
    smraw.libsmraw_handle_free(&handle_, nullptr);
  }
  SmrawSource(const SmrawSource&) = delete;
  SmrawSource& operator=(const SmrawSource&) = delete;

  void SetSize(std::uint64_t size) { size_ = size; }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return 0; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    return ReadInPieces(size_, offset, buffer, bytes, done, error,
                        [this](std::uint8_t* to, std::size_t count, off64_t at, std::string& why) {
                          libsmraw_error_t* e = nullptr;
                          const ssize_t n = smraw.libsmraw_handle_read_buffer_at_offset(
                              handle_, to, count, at, &e);
                          if (n < 0) why = Message(e, "read failed");
                          return n;
                        });
  }

 private:
  libsmraw_handle_t* handle_;
  std::uint64_t size_ = 0;
};

// Beside the segments the library reads an information file, named after the
// first segment without its last four characters ("x.001" gives
// "x.raw.info"), when one is there.
std::string InformationFile(const std::string& first) {
  return first.size() > 4 ? first.substr(0, first.size() - 4) + ".raw.info" : std::string{};
}

}  // namespace

std::unique_ptr<ImageSource> OpenSmrawSource(std::vector<std::string> segments,
                                             std::string& error) {
  if (!LoadSmraw(error)) return nullptr;
  std::vector<CompanionFile> besides;
  if (segments.empty()) {
    error = "libsmraw: no segment files";
    return nullptr;
  }
  // The library refuses a first name of four characters or fewer ("x.aa"),
  // which leaves it no stem for the information file.
  if (segments[0].size() <= 4) {
    for (std::string& s : segments) s.insert(0, "./");
  }
  for (std::size_t i = 0; i < segments.size(); ++i) {
    error = RefuseNonDiskFile("segment", segments[i]);
    if (!error.empty()) return nullptr;
    if (i != 0) besides.push_back({"segment", segments[i]});
  }
  if (const std::string info = InformationFile(segments[0]); !info.empty()) {
    struct stat st {};
    if (::stat(info.c_str(), &st) == 0) {
      if (!S_ISREG(st.st_mode)) {
        error = "information file " + info + ": not a regular file";
        return nullptr;
      }
      besides.push_back({"information file", info});
    }
  }
  std::vector<char*> names;
  names.reserve(segments.size());
  for (const std::string& s : segments) names.push_back(const_cast<char*>(s.c_str()));

  libsmraw_handle_t* handle = nullptr;
  libsmraw_error_t* e = nullptr;
  if (smraw.libsmraw_handle_initialize(&handle, &e) != 1) {
    error = Message(e, "out of memory");
    return nullptr;
  }
  // Without a bound the library keeps every segment open, and a set of
  // thousands runs out of file descriptors.
  if (smraw.libsmraw_handle_set_maximum_number_of_open_handles(handle, kMaxOpenSegments, &e) != 1 ||
      smraw.libsmraw_handle_open(handle, names.data(), static_cast<int>(names.size()),
                                 LIBSMRAW_OPEN_READ, &e) != 1) {
    error = Message(e, "unable to open the segment files");
    smraw.libsmraw_handle_free(&handle, nullptr);
    return nullptr;
  }
  auto source = std::make_unique<SmrawSource>(handle);
  size64_t size = 0;
  if (smraw.libsmraw_handle_get_media_size(handle, &size, &e) != 1) {
    error = Message(e, "unable to read the media size");
    return nullptr;
  }
  source->SetSize(size);
  for (CompanionFile& c : besides) source->AddCompanion(std::move(c.role), std::move(c.path));
  return source;
}

}  // namespace disklens
