#include "platform/containers/shared_library.h"

#include <dlfcn.h>

#include <cstring>
#include <map>

namespace disklens {

namespace {

struct Loaded {
  void* handle = nullptr;
  std::string error;
};

}  // namespace

bool LoadSharedLibrary(const SharedLibrary& library, const LibrarySymbol* symbols,
                       std::size_t count, std::string& error) {
  const std::string hint = std::string(": install the Debian package ") + library.package;
  // One load a run: a library that failed once is not looked for again for
  // the next disk. The handles stay open until the process ends.
  static std::map<std::string, Loaded> loaded;
  const auto [it, first] = loaded.try_emplace(library.soname);
  Loaded& state = it->second;
  if (first) {
    state.handle = ::dlopen(library.soname, RTLD_NOW | RTLD_LOCAL);
    if (state.handle == nullptr) {
      const char* why = ::dlerror();
      state.error = std::string(library.soname) + " could not be loaded (" +
                    (why != nullptr ? why : "not found") + ")" + hint;
    }
  }
  if (state.handle == nullptr) {
    error = state.error;
    return false;
  }
  // Each file that uses the library asks for its own functions.
  for (std::size_t i = 0; i < count; ++i) {
    void* address = ::dlsym(state.handle, symbols[i].name);
    if (address == nullptr || symbols[i].size != sizeof address) {
      error =
          std::string(library.soname) + " lacks " + symbols[i].name + " (an older version?)" + hint;
      return false;
    }
    // POSIX gives function addresses as object pointers of the same size.
    std::memcpy(symbols[i].slot, &address, sizeof address);
  }
  return true;
}

}  // namespace disklens
