#include "disk/session.h"

namespace disklens {

namespace {

std::uint8_t NtClassFor(std::uint32_t majorVersion) {
  if (majorVersion <= 4) return kOsNt4;
  if (majorVersion == 5) return kOsNt5;
  return kOsNt6;
}

// Loads DKHLP32 without letting the system show an error box when it is absent.
void LoadDkhlp32(DiskAccessSession& s, Platform& os) {
  const std::uint32_t previous = os.SetErrorMode(kSemNoOpenFileErrorBox);
  s.library = os.LoadLibraryA("DKHLP32");
  os.SetErrorMode(previous);
  if (s.library == 0) return;
  s.dkReadSectors = reinterpret_cast<DkTransferFn>(os.GetProcAddress(s.library, 2));
  s.dkWriteSectors = reinterpret_cast<DkTransferFn>(os.GetProcAddress(s.library, 3));
  s.dkDriveParameters = reinterpret_cast<DkDriveParametersFn>(os.GetProcAddress(s.library, 1));
}

}  // namespace

DiskAccessSession& Session() {
  static DiskAccessSession session;
  return session;
}

void StartDiskAccess(std::uint32_t setUpTransferBuffer) {
  DiskAccessSession& s = Session();
  Platform& os = CurrentPlatform();
  const std::int32_t oldCount = s.refCount++;
  if (oldCount == 0) {
    OsVersionInfo info;
    if (!os.GetVersionExA(info)) return;
    if (info.platformId == kVerPlatformWin32Nt) {
      s.osClass = NtClassFor(info.majorVersion);
    } else if (info.platformId == kVerPlatformWin32Windows) {
      s.osClass = kOsWin9x;
      LoadDkhlp32(s, os);
    } else {
      return;
    }
  } else if (!s.ready) {
    return;
  }
  if (setUpTransferBuffer != 0 && s.transferBufferSize == 0) {
    s.transferLock = os.CreateMutexA();
    if (s.transferLock == 0) return;
    s.transferBufferSize = kTransferBufferSize;
    s.transferBuffer = os.VirtualAlloc(kTransferBufferSize);
    if (s.transferBuffer == nullptr) {
      s.transferBufferSize = 0;
      os.CloseHandle(s.transferLock);
      s.transferLock = 0;
      return;
    }
  }
  s.ready = true;
}

void EndDiskAccess() {
  DiskAccessSession& s = Session();
  Platform& os = CurrentPlatform();
  if (--s.refCount != 0) return;
  s.ready = false;
  if (s.transferLock != 0) {
    os.CloseHandle(s.transferLock);
    s.transferLock = 0;
  }
  if (s.transferBuffer != nullptr) {
    os.VirtualFree(s.transferBuffer);
    s.transferBuffer = nullptr;
    s.transferBufferSize = 0;
  }
  if (s.library != 0) {
    os.FreeLibrary(s.library);
    s.library = 0;
    s.dkReadSectors = nullptr;
    s.dkWriteSectors = nullptr;
    s.dkDriveParameters = nullptr;
  }
}

}  // namespace disklens
