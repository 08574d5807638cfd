// The container libraries are loaded when a container of their format is
// met, by their versioned soname, so that a run over raw disks maps and
// relocates none of them. Each format's file keeps one small table of the
// functions it calls.
#pragma once

#include <cstddef>
#include <iterator>
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
inline constexpr SharedLibrary kLibSmraw{"libsmraw.so.1", "libsmraw1"};

// Loads `library` (once a run; later calls give the first answer) and fills
// every slot of `symbols`; false with `error` naming the package to install
// when the library or one of its functions is missing.
bool LoadSharedLibrary(const SharedLibrary& library, const LibrarySymbol* symbols,
                       std::size_t count, std::string& error);

}  // namespace disklens

// A table of the functions of a library that a file calls, each named once in
// LIST (a macro that applies its argument to each function name):
//   #define LIBVHDI_FUNCTIONS(X) X(libvhdi_file_open) X(libvhdi_file_close)
//   DISKLENS_LIBRARY_TABLE(VhdiTable, vhdi, LoadVhdi, LIBVHDI_FUNCTIONS, kLibVhdi)
// declares `vhdi`, whose member of each function's name holds its address,
// and `bool LoadVhdi(std::string& error)`, which fills it (see LoadSharedLibrary).
#define DISKLENS_LIBRARY_MEMBER(fn) decltype(&::fn) fn = nullptr;
#define DISKLENS_LIBRARY_ENTRY(fn) ::disklens::LibrarySymbol{#fn, &t.fn, sizeof t.fn},
#define DISKLENS_LIBRARY_TABLE(Table, table, Load, LIST, library)                      \
  struct Table {                                                                       \
    LIST(DISKLENS_LIBRARY_MEMBER)                                                      \
  };                                                                                   \
  Table table;                                                                         \
  bool Load(std::string& error) {                                                      \
    Table& t = table;                                                                  \
    const ::disklens::LibrarySymbol symbols[] = {LIST(DISKLENS_LIBRARY_ENTRY)};        \
    return ::disklens::LoadSharedLibrary(library, symbols, std::size(symbols), error); \
  }
