#include "platform/containers/bfio_library.h"

#include <iterator>

namespace disklens {

BfioTable bfio;

bool LoadBfio(std::string& error) {
  BfioTable& t = bfio;
  const LibrarySymbol symbols[] = {DISKLENS_BFIO_FUNCTIONS(DISKLENS_LIBRARY_ENTRY)};
  return LoadSharedLibrary(kLibBfio, symbols, std::size(symbols), error);
}

}  // namespace disklens
