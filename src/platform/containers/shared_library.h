// The container libraries are loaded when a container of their format is
// met, by their versioned soname, so that a run over raw disks maps and
// relocates none of them. Each format's file keeps one small table of the
// functions it calls.
#pragma once

#include <cstddef>
#include <string>

namespace disklens {

// One function to look up: its name and where its address goes (a pointer to
// function of `size` bytes).
struct LibrarySymbol {
  const char* name;
  void* slot;
  std::size_t size;
};

// A library of the system: its soname and the Debian package that holds it.
struct SharedLibrary {
  const char* soname;
  const char* package;
};

inline constexpr SharedLibrary kLibVhdi{"libvhdi.so.1", "libvhdi1"};
inline constexpr SharedLibrary kLibVmdk{"libvmdk.so.1", "libvmdk1"};
inline constexpr SharedLibrary kLibQcow{"libqcow.so.1", "libqcow1"};
inline constexpr SharedLibrary kLibEwf{"libewf.so.2", "libewf2"};
inline constexpr SharedLibrary kLibBfio{"libbfio.so.1", "libbfio1"};

// Loads `library` (once a run; later calls give the first answer) and fills
// every slot of `symbols`; false with `error` naming the package to install
// when the library or one of its functions is missing.
bool LoadSharedLibrary(const SharedLibrary& library, const LibrarySymbol* symbols,
                       std::size_t count, std::string& error);

}  // namespace disklens

// A table entry for the library function `fn`, kept in the member of the same
// name of `table`: the name is written once.
#define DISKLENS_LIBRARY_SYMBOL(table, fn) \
  ::disklens::LibrarySymbol { #fn, &(table).fn, sizeof((table).fn) }
