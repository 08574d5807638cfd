// A disk image kept in a container file (VHD, VHDX, VMDK, qcow2, EWF), read
// through the format's own library: the virtual disk inside as the bytes a raw
// image would hold. Everything is opened read-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/image_kind.h"

namespace disklens {

// A file that a container reads beside the one named: "segment", "extent",
// "parent" or "backing file", and its path.
struct CompanionFile {
  std::string role;
  std::string path;
};

class ImageSource {
 public:
  virtual ~ImageSource() = default;
  // Every file read for the disk besides the one named, in the order opened.
  const std::vector<CompanionFile>& Companions() const { return companions_; }
  void AddCompanion(std::string role, std::string path) {
    companions_.push_back({std::move(role), std::move(path)});
  }
  // A parent's own companions come after the parent itself.
  void AddCompanions(const ImageSource& other) {
    companions_.insert(companions_.end(), other.companions_.begin(), other.companions_.end());
  }
  // The size of the virtual disk in bytes.
  virtual std::uint64_t MediaSize() const = 0;
  // The sector size that the container records; 0 when it records none.
  virtual std::uint32_t RecordedSectorSize() const = 0;
  // Reads `bytes` bytes at `offset` of the virtual disk into `buffer`, short
  // only at its end; false with `error` set when the library fails.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes, std::size_t& done,
                      std::string& error) = 0;

 private:
  std::vector<CompanionFile> companions_;
};

struct OpenedImage {
  std::unique_ptr<ImageSource> source;  // null when the container does not open
  std::string error;                    // why, as the library words it
};

// Opens `path`, a container of `kind` (not kRaw), with the format's library.
OpenedImage OpenImageSource(ImageKind kind, const std::string& path);

// Opens the segments of a split raw image, first to last, as one disk; a
// segment that is not a file or block device is refused before any is opened.
OpenedImage OpenSplitRawImage(const std::vector<std::string>& segments);

}  // namespace disklens
