// qcow and qcow2 (versions 1 to 3, compressed clusters too) through libqcow.
#include <libqcow.h>

#include <string>

#include "platform/containers/containers.h"
#include "platform/containers/library_message.h"
#include "platform/containers/parent_file.h"

namespace disklens {

namespace {

std::string Message(libqcow_error_t* error, const char* fallback) {
  char text[4096] = "";
  if (error != nullptr) {
    libqcow_error_backtrace_sprint(error, text, sizeof text);
    libqcow_error_free(&error);
  }
  return LibraryMessage("libqcow", text, fallback);
}

class QcowSource : public ImageSource {
 public:
  QcowSource(libqcow_file_t* file, std::uint64_t size) : file_(file), size_(size) {}
  ~QcowSource() override {
    libqcow_file_close(file_, nullptr);
    libqcow_file_free(&file_, nullptr);
  }
  QcowSource(const QcowSource&) = delete;
  QcowSource& operator=(const QcowSource&) = delete;

  libqcow_file_t* File() { return file_; }
  void KeepParent(std::unique_ptr<QcowSource> parent) { parent_ = std::move(parent); }
  std::uint64_t MediaSize() const override { return size_; }
  std::uint32_t RecordedSectorSize() const override { return 0; }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
              std::string& error) override {
    done = 0;
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (done < bytes && offset + done < size_) {
      libqcow_error_t* e = nullptr;
      const ssize_t n = libqcow_file_read_buffer_at_offset(
          file_, p + done, bytes - done, static_cast<off64_t>(offset + done), &e);
      if (n < 0) {
        error = Message(e, "read failed");
        return false;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  std::unique_ptr<QcowSource> parent_;  // outlives the file that reads through it
  libqcow_file_t* file_;
  std::uint64_t size_;
};

std::unique_ptr<QcowSource> Open(const std::string& path, int depth, std::string& error) {
  libqcow_file_t* file = nullptr;
  libqcow_error_t* e = nullptr;
  if (libqcow_file_initialize(&file, &e) != 1) {
    error = Message(e, "out of memory");
    return nullptr;
  }
  if (libqcow_file_open(file, path.c_str(), LIBQCOW_OPEN_READ, &e) != 1) {
    error = Message(e, "unable to open the file");
    libqcow_file_free(&file, nullptr);
    return nullptr;
  }
  size64_t size = 0;
  std::uint32_t encryption = LIBQCOW_ENCRYPTION_METHOD_NONE;
  if (libqcow_file_get_media_size(file, &size, &e) != 1 ||
      libqcow_file_get_encryption_method(file, &encryption, &e) != 1) {
    error = Message(e, "unable to read the header");
    libqcow_file_close(file, nullptr);
    libqcow_file_free(&file, nullptr);
    return nullptr;
  }
  auto source = std::make_unique<QcowSource>(file, size);
  if (encryption != LIBQCOW_ENCRYPTION_METHOD_NONE) {
    error = "libqcow: the image is encrypted";
    return nullptr;
  }
  std::size_t nameSize = 0;
  if (libqcow_file_get_utf8_backing_filename_size(file, &nameSize, &e) != 1) {
    libqcow_error_free(&e);
    nameSize = 0;
  }
  if (nameSize > 1) {
    std::string name(nameSize, '\0');
    if (libqcow_file_get_utf8_backing_filename(file, reinterpret_cast<std::uint8_t*>(name.data()),
                                               nameSize, &e) != 1) {
      error = Message(e, "unable to read the backing file name");
      return nullptr;
    }
    name.resize(name.find('\0'));
    const std::string parentPath = FindParentFile(path, name);
    if (parentPath.empty()) {
      error = "backing file \"" + name + "\" not found beside the image";
      return nullptr;
    }
    if (depth + 1 > kMaxParentDepth) {
      error = "more than " + std::to_string(kMaxParentDepth) + " backing files (a loop?)";
      return nullptr;
    }
    std::unique_ptr<QcowSource> parent = Open(parentPath, depth + 1, error);
    if (parent == nullptr) {
      error = "backing file " + parentPath + ": " + error;
      return nullptr;
    }
    if (libqcow_file_set_parent_file(file, parent->File(), &e) != 1) {
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
