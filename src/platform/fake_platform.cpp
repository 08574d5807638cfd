#include "platform/fake_platform.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/disk_list.h"
#include "platform/dkhlp32.h"
#include "platform/geometry_reply.h"
#include "text/utf8.h"

namespace disklens {

namespace {
constexpr LibraryHandle kLibrary = 0xD1;
constexpr std::size_t kPage = 4096;

constexpr std::align_val_t kPageAlignment{kPage};

// Page-aligned through the language itself: not every C library has aligned_alloc.
void* PageAlloc(std::size_t bytes) { return ::operator new(bytes, kPageAlignment, std::nothrow); }
void PageFree(void* p) { ::operator delete(p, kPageAlignment); }
}  // namespace

FakePlatform::FakePlatform() { SetPlatform(this); }

FakePlatform::~FakePlatform() {
  SetPlatform(nullptr);
  for (void* p : allocations_) PageFree(p);
}

FakeDisk& FakePlatform::AddDisk(std::uint32_t index, std::uint64_t bytes, std::uint32_t sectorSize) {
  FakeDisk& d = disks[index];
  d.bytes.assign(bytes, 0);
  d.sectorSize = sectorSize;
  return d;
}

std::uint32_t FakePlatform::Count(const std::string& op) const {
  const auto it = counts.find(op);
  return it == counts.end() ? 0 : it->second;
}

std::vector<FakeCall> FakePlatform::Calls(const std::string& op) const {
  std::vector<FakeCall> out;
  for (const FakeCall& c : log) {
    if (c.op == op) out.push_back(c);
  }
  return out;
}

void FakePlatform::ClearLog() {
  counts.clear();
  log.clear();
  lockLog.clear();
}

bool FakePlatform::Fails(const std::string& op) {
  const std::uint32_t n = counts[op];  // already counted by Record
  const auto it = failOnCall.find(op);
  return it != failOnCall.end() && it->second.count(n) != 0;
}

void FakePlatform::Record(const std::string& op, Handle handle, std::uint64_t position,
                          std::uint64_t size, std::string detail) {
  ++counts[op];
  log.push_back(FakeCall{op, handle, position, size, std::move(detail)});
}

bool FakePlatform::GetVersionExA(OsVersionInfo& info) {
  Record("GetVersionExA");
  if (Fails("GetVersionExA") || info.osVersionInfoSize != 148) return false;
  info.platformId = platformId;
  info.majorVersion = majorVersion;
  return true;
}

std::uint32_t FakePlatform::SetErrorMode(std::uint32_t mode) {
  Record("SetErrorMode", 0, 0, mode);
  const std::uint32_t previous = errorMode_;
  errorMode_ = mode;
  return previous;
}

LibraryHandle FakePlatform::LoadLibraryA(const char* name) {
  Record("LoadLibraryA", 0, 0, 0, name != nullptr ? name : "");
  if (Fails("LoadLibraryA") || !dkhlp32Present || name == nullptr ||
      std::strcmp(name, "DKHLP32") != 0) {
    lastError_ = kErrorFileNotFound;
    return 0;
  }
  libraryLoaded_ = true;
  return kLibrary;
}

ProcAddress FakePlatform::GetProcAddress(LibraryHandle library, std::uint16_t ordinal) {
  Record("GetProcAddress", 0, 0, ordinal);
  if (library != kLibrary || !libraryLoaded_ || dkMissingOrdinals.count(ordinal) != 0) {
    return nullptr;
  }
  if (const auto it = dkReplacements.find(ordinal); it != dkReplacements.end()) return it->second;
  return Dkhlp32Export(ordinal);
}

bool FakePlatform::FreeLibrary(LibraryHandle library) {
  Record("FreeLibrary");
  if (library != kLibrary || !libraryLoaded_) return false;
  Dkhlp32Unload();
  libraryLoaded_ = false;
  return true;
}

Handle FakePlatform::CreateMutexA() {
  Record("CreateMutexA");
  if (Fails("CreateMutexA")) return 0;
  const Handle h = nextHandle_++;
  mutexes_[h] = 0;
  return h;
}

std::uint32_t FakePlatform::WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  Record("WaitForSingleObject", handle, 0, milliseconds);
  const auto it = mutexes_.find(handle);
  if (it == mutexes_.end()) return kWaitFailed;
  ++it->second;
  lockLog.push_back("wait " + std::to_string(handle));
  return kWaitObject0;
}

bool FakePlatform::ReleaseMutex(Handle handle) {
  Record("ReleaseMutex", handle);
  const auto it = mutexes_.find(handle);
  if (it == mutexes_.end() || it->second == 0) return false;
  --it->second;
  lockLog.push_back("release " + std::to_string(handle));
  return true;
}

bool FakePlatform::CloseHandle(Handle handle) {
  Record("CloseHandle", handle);
  if (Fails("CloseHandle")) return false;
  if (files_.erase(handle) != 0 || mutexes_.erase(handle) != 0) return true;
  lastError_ = kErrorInvalidHandle;
  return false;
}

void* FakePlatform::VirtualAlloc(std::size_t size) {
  Record("VirtualAlloc", 0, 0, size);
  if (Fails("VirtualAlloc")) return nullptr;
  const std::size_t rounded = (size + kPage - 1) / kPage * kPage;
  void* p = PageAlloc(rounded == 0 ? kPage : rounded);
  if (p == nullptr) return nullptr;
  std::memset(p, 0, rounded);
  allocations_.insert(p);
  return p;
}

bool FakePlatform::VirtualFree(void* address) {
  Record("VirtualFree");
  if (allocations_.erase(address) == 0) return false;
  PageFree(address);
  return true;
}

Handle FakePlatform::CreateFileA(const char* path, std::uint32_t desiredAccess,
                                 std::uint32_t shareMode, std::uint32_t creationDisposition,
                                 std::uint32_t flags) {
  Record("CreateFileA", 0, 0, desiredAccess,
         std::string(path != nullptr ? path : "") + " share=" + std::to_string(shareMode) +
             " disp=" + std::to_string(creationDisposition) + " flags=" + std::to_string(flags));
  const std::optional<std::uint32_t> index = PhysicalDriveIndex(path);
  if (Fails("CreateFileA") || !index || disks.count(*index) == 0) {
    lastError_ = kErrorFileNotFound;
    return kInvalidHandle;
  }
  const Handle h = nextHandle_++;
  files_[h] = File{*index, desiredAccess, 0};
  return h;
}

std::uint32_t FakePlatform::SetFilePointer(Handle handle, std::int32_t distanceLow,
                                           std::int32_t* distanceHigh, std::uint32_t moveMethod) {
  const std::uint64_t high = distanceHigh != nullptr ? static_cast<std::uint32_t>(*distanceHigh) : 0;
  const std::uint64_t offset = (high << 32) | static_cast<std::uint32_t>(distanceLow);
  Record("SetFilePointer", handle, offset);
  const auto it = files_.find(handle);
  if (Fails("SetFilePointer") || it == files_.end() || moveMethod != kFileBegin) {
    lastError_ = kErrorInvalidParameter;
    return kInvalidSetFilePointer;
  }
  it->second.position = offset;
  lastError_ = 0;
  return static_cast<std::uint32_t>(offset);
}

bool FakePlatform::ReadFile(Handle handle, void* buffer, std::uint32_t bytes, std::uint32_t* done) {
  const auto it = files_.find(handle);
  Record("ReadFile", handle, it != files_.end() ? it->second.position : 0, bytes);
  if (done != nullptr) *done = 0;
  if (it == files_.end()) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  if (Fails("ReadFile")) {
    lastError_ = kErrorCrc;
    return false;
  }
  File& f = it->second;
  const FakeDisk& d = disks.at(f.index);
  std::uint64_t n = bytes;
  if (shortReadLimit != 0 && n > shortReadLimit) n = shortReadLimit;
  if (f.position >= d.bytes.size()) n = 0;
  else if (n > d.bytes.size() - f.position) n = d.bytes.size() - f.position;
  bool ok = true;
  // A failing sector stops the read in front of it.
  for (const std::uint64_t lba : d.failingLbas) {
    const std::uint64_t start = lba * d.sectorSize;
    if (start < f.position + n && start + d.sectorSize > f.position) {
      n = start > f.position ? start - f.position : 0;
      ok = false;
      lastError_ = kErrorCrc;
      break;
    }
  }
  if (n != 0) std::memcpy(buffer, d.bytes.data() + f.position, n);
  f.position += n;
  if (done != nullptr) *done = static_cast<std::uint32_t>(n);
  return ok;
}

bool FakePlatform::WriteFile(Handle handle, const void* buffer, std::uint32_t bytes,
                             std::uint32_t* done) {
  const auto it = files_.find(handle);
  Record("WriteFile", handle, it != files_.end() ? it->second.position : 0, bytes);
  if (done != nullptr) *done = 0;
  if (it == files_.end() || Fails("WriteFile") || (it->second.access & kGenericWrite) == 0) {
    lastError_ = it == files_.end() ? kErrorInvalidHandle : kErrorAccessDenied;
    return false;
  }
  File& f = it->second;
  FakeDisk& d = disks.at(f.index);
  std::uint64_t n = bytes;
  if (f.position >= d.bytes.size()) n = 0;
  else if (n > d.bytes.size() - f.position) n = d.bytes.size() - f.position;
  if (n != 0) std::memcpy(d.bytes.data() + f.position, buffer, n);
  f.position += n;
  if (done != nullptr) *done = static_cast<std::uint32_t>(n);
  return true;
}

std::uint32_t FakePlatform::GetLastError() { return lastError_; }

// Not logged: the call logs of the report's own tests stay as they are.
std::uint32_t FakePlatform::PhysicalSectorSize(Handle handle) {
  const auto it = files_.find(handle);
  if (it == files_.end()) return 0;
  const auto disk = disks.find(it->second.index);
  return disk != disks.end() ? disk->second.physicalSectorSize : 0;
}

bool FakePlatform::DeviceIoControl(Handle handle, std::uint32_t code, const void* /*in*/,
                                   std::uint32_t /*inSize*/, void* out, std::uint32_t outSize,
                                   std::uint32_t* returned) {
  Record("DeviceIoControl", handle, 0, code);
  if (returned != nullptr) *returned = 0;
  const auto it = files_.find(handle);
  if (it == files_.end() || Fails("DeviceIoControl")) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  const FakeDisk& d = disks.at(it->second.index);
  const SyntheticGeometry g{d.bytes.size(), d.sectorSize, d.heads, d.sectorsPerTrack};
  std::uint32_t n = 0;
  auto* o = static_cast<std::uint8_t*>(out);
  if (code == kIoctlDiskGetDriveGeometryEx) {
    if (d.refuseGeometryEx) return false;
    if (!d.geometryExReply.empty()) {
      n = static_cast<std::uint32_t>(d.geometryExReply.size() < outSize ? d.geometryExReply.size()
                                                                         : outSize);
      std::memcpy(o, d.geometryExReply.data(), n);
    } else {
      n = BuildGeometryExReply(g, o, outSize);
    }
  } else if (code == kIoctlDiskGetDriveGeometry) {
    if (d.refuseGeometry) return false;
    if (!d.geometryReply.empty()) {
      n = static_cast<std::uint32_t>(d.geometryReply.size() < outSize ? d.geometryReply.size()
                                                                       : outSize);
      std::memcpy(o, d.geometryReply.data(), n);
    } else {
      n = BuildGeometryReply(g, o, outSize);
    }
  } else {
    lastError_ = kErrorNotSupported;
    return false;
  }
  if (returned != nullptr) *returned = n;
  return true;
}

std::int32_t FakePlatform::WideCharToMultiByte(std::uint32_t codePage, const std::uint16_t* src,
                                               std::int32_t srcUnits, char* dst,
                                               std::int32_t dstSize) {
  Record("WideCharToMultiByte", 0, 0, static_cast<std::uint64_t>(srcUnits),
         std::to_string(codePage));
  if (Fails("WideCharToMultiByte")) return 0;
  return Utf16ToUtf8(src, srcUnits, dst, dstSize);
}

}  // namespace disklens
